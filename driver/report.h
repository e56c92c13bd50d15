// How the driver tells the user that a conversion failed: one line on
// standard error naming the file and the reason.
#ifndef BRELVIK_DRIVER_REPORT_H_
#define BRELVIK_DRIVER_REPORT_H_

#include <cstdio>
#include <string>

// "brelvik: <file>: <reason>"
inline void ReportFailure(const std::string& file, const std::string& reason) {
  std::fflush(stdout);
  std::fprintf(stderr, "brelvik: %s: %s\n", file.c_str(), reason.c_str());
}

#endif  // BRELVIK_DRIVER_REPORT_H_
