// Captures what the code under test prints on standard output and standard
// error during one call, without touching the file descriptors that
// libFuzzer and the sanitizers report on: the C library's stdout and stderr
// streams are swapped for in-memory ones (glibc allows assigning them) and
// put back afterwards.
#ifndef BRELVIK_FUZZ_CAPTURED_OUTPUT_H_
#define BRELVIK_FUZZ_CAPTURED_OUTPUT_H_

#include <cstdio>
#include <string>

namespace fuzz {

class CapturedOutput {
 public:
  CapturedOutput();   // starts capturing
  ~CapturedOutput();  // stops, if Finish was not called
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Stops capturing and puts the real streams back.
  void Finish();
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  std::FILE* realOut_;
  std::FILE* realErr_;
  std::FILE* memOut_ = nullptr;
  std::FILE* memErr_ = nullptr;
  char* outBuffer_ = nullptr;
  char* errBuffer_ = nullptr;
  size_t outSize_ = 0;
  size_t errSize_ = 0;
  bool capturing_ = false;
  std::string out_, err_;
};

}  // namespace fuzz

#endif  // BRELVIK_FUZZ_CAPTURED_OUTPUT_H_
