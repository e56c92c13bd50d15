// What the two whole-conversion targets check after a conversion, beyond the
// feature file itself: the progress line, the result, the correction of the
// caller's record, and that the scratch folder holds only the input and, on
// success, the feature file (no temporary file left behind, and nothing at
// the output name after a failure).
#ifndef BRELVIK_FUZZ_CONVERSION_CHECK_H_
#define BRELVIK_FUZZ_CONVERSION_CHECK_H_

#include <string>
#include <vector>

#include "driver/options.h"
#include "fuzz/captured_output.h"
#include "recordings/sensor_sample.h"

namespace fuzz {

struct ConversionRun {
  std::string inputName;   // file name in the scratch folder
  std::string outputName;  // file name in the scratch folder
  ConversionOptions before;  // the record as passed in
  ConversionOptions after;   // the record afterwards
  int result = 0;
  std::string error;
  bool opened = true;  // whether the input was taken (the progress line is due)
};

// Checks the run; samples are those the input offers the processor.
void CheckConversion(const ConversionRun& run, const CapturedOutput& output, const std::vector<SensorSample>& samples);

}  // namespace fuzz

#endif  // BRELVIK_FUZZ_CONVERSION_CHECK_H_
