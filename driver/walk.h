// Batch conversion: the recordings of a directory picked by a wildcard
// selector, optionally in every subdirectory too.
#ifndef BRELVIK_DRIVER_WALK_H_
#define BRELVIK_DRIVER_WALK_H_

#include <cstdint>
#include <string>

#include "driver/options.h"

struct WalkCounts {
  int64_t converted = 0;
  int64_t failed = 0;  // conversions that failed, and directories that could not be read
};

// Converts, in directory, every file whose name matches selector (every
// file when selector is null) and ends in ".csv" (not "_JUX.csv") or
// ".bin", under the default output name.  When recursive, subdirectories
// are walked depth-first; with a selector, the matching files of a
// directory come before its subdirectories.  Entries are taken in byte
// order of their names; a directory already on the walk's path (reached
// again through a link) is not entered again.  Each failure is reported
// on stderr.  Returns 0.
int ProcessDirectory(const std::string& directory, const std::string* selector, bool recursive,
                     ConversionOptions* options, WalkCounts* counts);

// Splits a selector with a directory part ("sub/*.csv", "/data/*.bin") into
// the directory to walk ("./sub", "/data") and the selector proper
// ("*.csv"); a selector without one walks ".".
void SplitSelector(const std::string& selector, std::string* directory, std::string* pattern);

#endif  // BRELVIK_DRIVER_WALK_H_
