// Buffered, checked and safe writing of a feature file.
#include "features/feature_file.h"

#include <cstring>

#include "features/processor.h"

FeatureFile::FeatureFile() : buffer_(new char[kBufferSize]) {
  pos_ = buffer_.get();
  end_ = pos_ + kBufferSize;
}

FeatureFile::~FeatureFile() { Abandon(); }

bool FeatureFile::Open(const std::string& path, const std::string* input, std::string* error) {
  platform::FileSystem* fs = platform::CurrentFileSystem();
  platform::FileInfo out;
  std::string reason;
  if (!fs->Stat(path, &out, &reason)) {
    *error = "cannot create the output " + path + ": " + reason;
    return false;
  }
  if (out.exists && input) {
    platform::FileInfo in;
    if (fs->Stat(*input, &in, &reason) && in.exists && in.device == out.device && in.inode == out.inode) {
      *error = "refusing to write the output " + path + ": it is the input itself";
      return false;
    }
  }
  if (out.exists && out.regular && out.size > 0) {
    const std::string_view header = kFeatureHeaderStart;
    std::string start;
    if (!fs->ReadPrefix(path, header.size(), &start, &reason)) {
      *error = "cannot create the output " + path + ": " + reason;
      return false;
    }
    if (start != header) {
      *error = "refusing to replace " + path +
               ": it exists and is not a feature file (its first line does not begin with \"" +
               std::string(header) + "\")";
      return false;
    }
  }
  file_ = fs->Create(path, &reason);
  if (!file_) {
    *error = "cannot create the output " + path + ": " + reason;
    return false;
  }
  path_ = path;
  return true;
}

void FeatureFile::FlushBuffer() {
  const size_t n = static_cast<size_t>(pos_ - buffer_.get());
  pos_ = buffer_.get();
  if (n == 0 || !writeError_.empty()) return;
  std::string reason;
  if (!file_->Write(buffer_.get(), n, &reason)) writeError_ = reason.empty() ? "write failed" : reason;
}

void FeatureFile::Write(std::string_view text) {
  while (!text.empty()) {
    size_t room = static_cast<size_t>(end_ - pos_);
    if (room == 0) {
      FlushBuffer();
      room = kBufferSize;
    }
    const size_t n = text.size() < room ? text.size() : room;
    std::memcpy(pos_, text.data(), n);
    pos_ += n;
    text.remove_prefix(n);
  }
}

bool FeatureFile::Close(std::string* error) {
  FlushBuffer();
  std::unique_ptr<platform::OutputFile> file = std::move(file_);
  if (!writeError_.empty()) {
    file->Discard();
    *error = "write error on " + path_ + ": " + writeError_;
    return false;
  }
  std::string reason;
  if (!file->Commit(&reason)) {
    *error = "write error on " + path_ + ": " + reason;
    return false;
  }
  return true;
}

void FeatureFile::Abandon() {
  if (file_) file_->Discard();
  file_.reset();
}
