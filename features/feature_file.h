// The feature file being written: rows are formatted into a large buffer and
// written in blocks; every write and the final close are checked, and the
// file appears under its name only when complete.  A file that may hold a
// recording is never replaced: not the input itself, and not an existing
// file that does not begin with a feature-file header.
#ifndef BRELVIK_FEATURES_FEATURE_FILE_H_
#define BRELVIK_FEATURES_FEATURE_FILE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/output_file.h"

class FeatureFile {
 public:
  FeatureFile();
  ~FeatureFile();
  FeatureFile(const FeatureFile&) = delete;
  FeatureFile& operator=(const FeatureFile&) = delete;

  // Starts the file at path; input, when given, is the recording it is made
  // from.  False with *error filled when it cannot be created or may not
  // be replaced.
  bool Open(const std::string& path, const std::string* input, std::string* error);

  // Room for at least n bytes (n at most kBufferSize) at the write position.
  char* Reserve(size_t n) {
    if (static_cast<size_t>(end_ - pos_) < n) FlushBuffer();
    return pos_;
  }
  // Moves the write position to p, after what was written at Reserve().
  void Advance(char* p) { pos_ = p; }
  void Write(std::string_view text);

  // Writes what is buffered, closes the file and makes it the output.
  // False with *error filled when any write or the close failed.
  bool Close(std::string* error);
  // Closes and removes whatever was written.
  void Abandon();

  static constexpr size_t kBufferSize = 1 << 16;

 private:
  void FlushBuffer();

  std::unique_ptr<platform::OutputFile> file_;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  char* pos_ = nullptr;
  char* end_ = nullptr;
  std::string writeError_;  // the first failed write, empty while all succeeded
};

#endif  // BRELVIK_FEATURES_FEATURE_FILE_H_
