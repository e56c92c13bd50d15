// Fuzz target: a whole conversion of an arbitrary byte string as a binary
// data set, through ConvertDataSetFile.
//
// Input: the settings bytes (fuzz_options.h), then the data set.  A file
// that is not a data set (shorter than its 24-byte header, another magic,
// an offset inside the header) must be refused without a progress line or
// an output.  Any other file gives a feature file with one row per whole
// record from the offset on (every N-th under decimation), whose sample
// columns hold the record's index cut to 16 bits and its six little-endian
// values (feature_check.h); see conversion_check.h for the rest.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/captured_output.h"
#include "fuzz/check.h"
#include "fuzz/conversion_check.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/reference.h"
#include "fuzz/scratch.h"
#include "recordings/data_set.h"

namespace {

int16_t Little16(std::string_view bytes, size_t at) {
  return reference::Low16(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// The samples of a data set, or false when it is none.
bool RecordSamples(std::string_view file, std::vector<SensorSample>* samples) {
  if (file.size() < 24 || std::memcmp(file.data(), "QK DataSet V1.0.0", 18) != 0) return false;
  const int64_t offset = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(file[20])) |
                                              (static_cast<uint32_t>(static_cast<unsigned char>(file[21])) << 8) |
                                              (static_cast<uint32_t>(static_cast<unsigned char>(file[22])) << 16) |
                                              (static_cast<uint32_t>(static_cast<unsigned char>(file[23])) << 24));
  if (offset < 24) return false;
  for (size_t at = static_cast<size_t>(offset), i = 0; at + 12 <= file.size(); at += 12, ++i) {
    samples->push_back(SensorSample{reference::Low16(static_cast<int64_t>(i)), Little16(file, at),
                                    Little16(file, at + 2), Little16(file, at + 4), Little16(file, at + 6),
                                    Little16(file, at + 8), Little16(file, at + 10)});
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = fuzz::ScratchPath("in.bin");
  static const std::string output = fuzz::ScratchPath("out_JUX.csv");
  fuzz::ByteReader bytes(data, size);
  fuzz::ConversionRun run;
  run.inputName = "in.bin";
  run.outputName = "out_JUX.csv";
  run.before = fuzz::OptionsFromBytes(&bytes);
  const std::string_view file = bytes.Rest();
  fuzz::WriteFileOrDie(input, file);
  fuzz::RemoveFile(output);

  std::vector<SensorSample> samples;
  run.opened = RecordSamples(file, &samples);
  run.after = run.before;
  fuzz::CapturedOutput captured;
  run.result = ConvertDataSetFile(input, &output, &run.after, &run.error);
  captured.Finish();
  if (!run.opened) {
    // Refused before anything was touched: the record is as it was.
    FUZZ_REQUIRE(std::memcmp(&run.after, &run.before, sizeof run.before) == 0, "a refused data set changed the record");
  }

  fuzz::CheckConversion(run, captured, samples);
  return 0;
}
