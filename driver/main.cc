// brelvik: converts inertial-sensor recordings into feature files.
//
//   brelvik <csv_file> [<jux_file>]
//
// Exit status: 0 when everything asked for was converted, 1 after the usage
// text, 2 when a conversion failed or nothing was converted.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/config.h"
#include "driver/convert.h"
#include "driver/options.h"
#include "platform/output_file.h"

namespace {

void PrintUsage() {
  std::printf("Usage: brelvik <csv_file> [<jux_file>]\n");
  std::printf("       brelvik <file_selector>\n");
  std::printf("       brelvik -r [<file_selector>]\n");
}

void ReportFailure(const std::string& file, const std::string& reason) {
  std::fflush(stdout);
  std::fprintf(stderr, "brelvik: %s: %s\n", file.c_str(), reason.c_str());
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

  const std::string input = argv[1];
  std::string output;
  if (argc == 3) output = argv[2];
  std::string error;
  const int result = ConvertFile(input, argc == 3 ? &output : nullptr, &options, &error);
  if (result != 0) {
    ReportFailure(input, error);
    return 2;
  }
  return 0;
}
