// Fuzz target: an arbitrary byte string as a configuration file.
//
// LoadConfigFile must read it to its end, print a log of the right outline
// (its first and last lines, and "  +Label : value" between), leave exactly
// the record that an independent reading of the file gives and print
// exactly that reading's log, and put every warning on one line of its own.
// Each input is applied twice: to the defaults, and to a record whose
// fileType is already 2, as when the file beside the executable set it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "driver/config.h"
#include "driver/options.h"
#include "fuzz/captured_output.h"
#include "fuzz/check.h"
#include "fuzz/config_reference.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/scratch.h"

namespace {

void CheckWarnings(const std::string& err, const std::string& path) {
  const std::string prefix = "brelvik: warning: " + path + ":";
  std::string_view rest = err;
  while (!rest.empty()) {
    const size_t lf = rest.find('\n');
    FUZZ_REQUIRE(lf != std::string_view::npos, "a warning without its line feed");
    FUZZ_REQUIRE(rest.substr(0, prefix.size()) == prefix,
                 "a warning line that does not name the file: " + std::string(rest.substr(0, lf)));
    rest.remove_prefix(lf + 1);
  }
}

void ApplyOnce(std::string_view text, const std::string& path, const ConversionOptions& start) {
  ConversionOptions options = start;
  fuzz::CapturedOutput output;
  const int result = LoadConfigFile(path, &options);
  output.Finish();

  FUZZ_REQUIRE(result == 0, "LoadConfigFile gave " + std::to_string(result) + " for a readable file");
  const std::string shape = reference::CheckLogShape(output.out(), path);
  FUZZ_REQUIRE(shape.empty(), shape + "\nlog:\n" + output.out());
  const reference::ConfigOutcome expected = reference::ExpectedConfig(text, path, start);
  FUZZ_REQUIRE(output.out() == expected.log, "log:\n" + output.out() + "expected:\n" + expected.log);
  FUZZ_REQUIRE(std::memcmp(&options, &expected.options, sizeof options) == 0,
               "record " + fuzz::Describe(options) + "\nexpected " + fuzz::Describe(expected.options));
  CheckWarnings(output.err(), path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchPath("brelvik.cnf");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFileOrDie(path, text);

  ConversionOptions defaults;
  InitOptions(&defaults);
  ApplyOnce(text, path, defaults);
  ConversionOptions realFactors = defaults;
  realFactors.fileType = 2;
  ApplyOnce(text, path, realFactors);
  return 0;
}
