// In-memory capture of the stdout and stderr streams.
#include "fuzz/captured_output.h"

#include <cstdlib>

namespace fuzz {

CapturedOutput::CapturedOutput() : realOut_(stdout), realErr_(stderr) {
  std::fflush(stdout);
  std::fflush(stderr);
  memOut_ = open_memstream(&outBuffer_, &outSize_);
  memErr_ = open_memstream(&errBuffer_, &errSize_);
  if (!memOut_ || !memErr_) {
    std::fprintf(stderr, "cannot capture the output\n");
    std::abort();
  }
  stdout = memOut_;
  stderr = memErr_;
  capturing_ = true;
}

CapturedOutput::~CapturedOutput() { Finish(); }

void CapturedOutput::Finish() {
  if (!capturing_) return;
  capturing_ = false;
  stdout = realOut_;
  stderr = realErr_;
  std::fclose(memOut_);
  std::fclose(memErr_);
  out_.assign(outBuffer_, outSize_);
  err_.assign(errBuffer_, errSize_);
  std::free(outBuffer_);
  std::free(errBuffer_);
}

}  // namespace fuzz
