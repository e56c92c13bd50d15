// The checks common to the whole-conversion targets.
#include "fuzz/conversion_check.h"

#include <algorithm>
#include <cstring>

#include "fuzz/check.h"
#include "fuzz/feature_check.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/scratch.h"

namespace fuzz {

void CheckConversion(const ConversionRun& run, const CapturedOutput& output, const std::vector<SensorSample>& samples) {
  const std::string input = ScratchPath(run.inputName);
  const std::string outputPath = ScratchPath(run.outputName);

  // A sampling frequency of 0 or less is corrected in the caller's record;
  // a negative cut-off that is then still in force makes the filter
  // unusable, and only that makes a conversion of a readable input fail.
  ConversionOptions corrected = run.before;
  if (corrected.samplingFrequency <= 0) {
    corrected.samplingFrequency = 50;
    corrected.cutOffFrequency = 5;
  }
  const bool mustFail = !run.opened || corrected.cutOffFrequency < 0;
  FUZZ_REQUIRE((run.result != 0) == mustFail,
               "result " + std::to_string(run.result) + " (" + run.error + "); " + Describe(run.before));
  FUZZ_REQUIRE(run.result == 0 || !run.error.empty(), "a failed conversion without a reason");
  if (run.opened) {
    FUZZ_REQUIRE(std::memcmp(&run.after, &corrected, sizeof corrected) == 0,
                 "the caller's record became " + Describe(run.after));
  }

  const std::string progress = run.opened ? input + " -> " + outputPath + "\n" : "";
  FUZZ_REQUIRE(output.out() == progress, "standard output: \"" + output.out() + "\"");
  const std::string warning = "brelvik: warning: " + input + ": ";
  for (size_t start = 0; start < output.err().size();) {
    const size_t lf = output.err().find('\n', start);
    FUZZ_REQUIRE(lf != std::string::npos && output.err().compare(start, warning.size(), warning) == 0,
                 "standard error: \"" + output.err() + "\"");
    start = lf + 1;
  }

  std::vector<std::string> expected = {run.inputName};
  if (run.result == 0) expected.push_back(run.outputName);
  std::sort(expected.begin(), expected.end());
  const std::vector<std::string> entries = FolderEntries(ScratchFolder());
  std::string listing;
  for (const std::string& e : entries) listing += " " + e;
  FUZZ_REQUIRE(entries == expected, "the scratch folder holds" + listing);
  if (run.result != 0) return;

  std::string text;
  FUZZ_REQUIRE(ReadWholeFile(outputPath, &text), "the feature file cannot be read");
  const std::string problem = reference::CheckFeatureFile(text, run.before, samples);
  FUZZ_REQUIRE(problem.empty(), problem + "; " + Describe(run.before));
}

}  // namespace fuzz
