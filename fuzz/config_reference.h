// An independent reading of a configuration file, for the fuzz target to
// compare with the project's: the record it leaves and the exact log it
// prints.  The rules, as the configuration reader documents them:
//
// - Lines end at a line feed, which stays on the line's last token; CR LF
//   counts as LF; a line may be of any length.
// - A "#" in the very first column makes a comment; a line of white space
//   alone has no key.
// - The key and the value are the first two runs of bytes other than the
//   space character; a line without a value is skipped.
// - The key, upper-cased (ASCII), is looked up in a fixed table; the two
//   scaling-factor keys read a real into the real factor while fileType is
//   2 at that moment, an integer into the integer factor otherwise.
// - Each stored value is logged as "  +Label : value\n", between
//   "LoadConfigFile : <path>\n\n" and "\nLoadConfigFile : Complete.\n\n".
#ifndef BRELVIK_FUZZ_CONFIG_REFERENCE_H_
#define BRELVIK_FUZZ_CONFIG_REFERENCE_H_

#include <string>
#include <string_view>

#include "driver/options.h"

namespace reference {

struct ConfigOutcome {
  ConversionOptions options;
  std::string log;
};

ConfigOutcome ExpectedConfig(std::string_view text, const std::string& path, const ConversionOptions& start);

// Checks only the outline of a log: its first and last lines, and that every
// line between is "  +<known label> : <number>".  "" when it holds, else
// what is wrong.
std::string CheckLogShape(std::string_view log, const std::string& path);

}  // namespace reference

#endif  // BRELVIK_FUZZ_CONFIG_REFERENCE_H_
