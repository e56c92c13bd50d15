// brelvik: converts inertial-sensor recordings into feature files.
//
//   brelvik <csv_file> [<jux_file>]   one file
//   brelvik <file_selector>           the matching recordings of the working directory
//   brelvik -r [<file_selector>]      the same in every subdirectory too
//
// Exit status: 0 when everything asked for was converted, 1 after the usage
// text, 2 when a conversion failed or nothing was converted.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/config.h"
#include "driver/convert.h"
#include "driver/options.h"
#include "driver/report.h"
#include "driver/walk.h"
#include "platform/output_file.h"
#include "recordings/output_name.h"

namespace {

void PrintUsage() {
  std::printf("Usage: brelvik <csv_file> [<jux_file>]\n");
  std::printf("       brelvik <file_selector>\n");
  std::printf("       brelvik -r [<file_selector>]\n");
}

int StatusOf(const WalkCounts& counts) { return counts.converted > 0 && counts.failed == 0 ? 0 : 2; }

// The status of a "-r" walk, which says so when it found nothing to convert.
int RecursiveStatus(const WalkCounts& counts, const std::string* selector) {
  if (counts.converted == 0 && counts.failed == 0) {
    ReportFailure(selector ? *selector : ".",
                  selector ? "no recording (.csv or .bin) matches it in this tree"
                           : "no recording (.csv or .bin) in this tree");
  }
  return StatusOf(counts);
}

// A walk of the working directory, or of the directory part of the selector.
WalkCounts Walk(const std::string* selector, bool recursive, ConversionOptions* options) {
  WalkCounts counts;
  if (!selector) {
    ProcessDirectory(".", nullptr, recursive, options, &counts);
    return counts;
  }
  std::string directory, pattern;
  SplitSelector(*selector, &directory, &pattern);
  ProcessDirectory(directory, &pattern, recursive, options, &counts);
  return counts;
}

int ConvertOne(const std::string& name, ConversionOptions* options) {
  std::string error;
  if (ConvertFile(name, nullptr, options, &error) == 0) return 0;
  // Not convertible as a file name: apply it as a selector.  The walk reports
  // every conversion that fails; the first attempt is not reported by itself.
  const WalkCounts counts = Walk(&name, false, options);
  if (counts.converted == 0 && counts.failed == 0) {
    platform::FileInfo info;
    std::string reason;
    const bool exists = !platform::CurrentFileSystem()->Stat(name, &info, &reason) || info.exists;
    const bool featureFile = EndsWith(name, kFeatureSuffix);
    ReportFailure(name, exists || featureFile ? error : "no such file, and no recording matches it as a selector");
  }
  return StatusOf(counts);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    PrintUsage();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("brelvik %s\n", BRELVIK_VERSION);
    return 0;
  }
  if (argc != 2 && argc != 3) {
    PrintUsage();
    return 1;
  }

  platform::InstallInterruptCleanup();
  ConversionOptions options;
  InitOptions(&options);
  LoadConfigFiles(&options);

  const std::string first = argv[1];
  const bool recursive = first == "-r";
  if (argc == 2) {
    if (recursive) return RecursiveStatus(Walk(nullptr, true, &options), nullptr);
    return ConvertOne(first, &options);
  }
  const std::string second = argv[2];
  if (recursive) return RecursiveStatus(Walk(&second, true, &options), &second);
  std::string error;
  if (ConvertFile(first, &second, &options, &error) != 0) {
    ReportFailure(first, error);
    return 2;
  }
  return 0;
}
