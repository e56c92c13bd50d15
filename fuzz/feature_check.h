// The checks that the conversion targets make of a feature file written
// from known samples:
//
// - exactly one header line, the fixed names followed by the optional groups
//   that the output flags select, each group starting with ", ";
// - then one row per processed sample (every sample, or the 1st, (N+1)-th,
//   ... when resampleCount N is 2 or more), each ending in a line feed and
//   holding as many comma-separated fields as the header names;
// - every field a decimal integer as "%d" prints it;
// - the seven sample columns within -32768..32767 and equal to the sample;
// - the relations between columns that do not depend on the filter: the raw
//   magnitudes from the sample, the differences from the previous row, the
//   free-fall counter from the filtered magnitude, the angles' ranges.
#ifndef BRELVIK_FUZZ_FEATURE_CHECK_H_
#define BRELVIK_FUZZ_FEATURE_CHECK_H_

#include <string>
#include <string_view>
#include <vector>

#include "driver/options.h"
#include "recordings/sensor_sample.h"

namespace reference {

// The header line, with its line feed, that these options give.
std::string ExpectedHeader(const ConversionOptions& options);

// The samples that become rows, after decimation.
std::vector<SensorSample> ProcessedSamples(const ConversionOptions& options, const std::vector<SensorSample>& offered);

// "" when text is the feature file of the samples offered to the processor
// under these options (as they were before the conversion), else the first
// thing wrong with it.
std::string CheckFeatureFile(std::string_view text, const ConversionOptions& options,
                             const std::vector<SensorSample>& offered);

}  // namespace reference

#endif  // BRELVIK_FUZZ_FEATURE_CHECK_H_
