// Names of inputs and of the feature files made from them.
#ifndef BRELVIK_RECORDINGS_OUTPUT_NAME_H_
#define BRELVIK_RECORDINGS_OUTPUT_NAME_H_

#include <string>
#include <string_view>

// True when name is at least as long as suffix and ends in it (case-sensitive).
inline bool EndsWith(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

inline constexpr std::string_view kFeatureSuffix = "_JUX.csv";

// The feature file's default name: the input with its last four characters
// replaced by "_JUX.csv" (walk01.csv gives walk01_JUX.csv).  When the file
// name proper is shorter than four characters the suffix is appended
// instead, so the result always lies beside the input.
std::string DefaultOutputName(std::string_view input);

#endif  // BRELVIK_RECORDINGS_OUTPUT_NAME_H_
