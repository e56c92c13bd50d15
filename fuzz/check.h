// How a fuzz target reports a broken property: the message goes to standard
// error and the process aborts, so that libFuzzer keeps the input that did
// it as a crash reproducer.
#ifndef BRELVIK_FUZZ_CHECK_H_
#define BRELVIK_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const std::string& message) {
  std::fprintf(stderr, "\n*** property broken at %s:%d: %s\n", file, line, message.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace fuzz

// FUZZ_REQUIRE(condition, message): message, a std::string expression, is
// evaluated only when the condition fails.
#define FUZZ_REQUIRE(condition, message)                                 \
  do {                                                                   \
    if (!(condition)) ::fuzz::Fail(__FILE__, __LINE__, (message));       \
  } while (0)

#endif  // BRELVIK_FUZZ_CHECK_H_
