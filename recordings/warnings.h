// Warnings on standard error about what a conversion passed over.
#ifndef BRELVIK_RECORDINGS_WARNINGS_H_
#define BRELVIK_RECORDINGS_WARNINGS_H_

#include <cstdio>
#include <string>

// "brelvik: warning: <file>: <text>"
inline void Warn(const std::string& file, const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "brelvik: warning: %s: %s\n", file.c_str(), text.c_str());
}

#endif  // BRELVIK_RECORDINGS_WARNINGS_H_
