// Opening recordings.
#include "recordings/input_file.h"

#include <cerrno>
#include <cstring>

#include "platform/output_file.h"
#include "platform/platform.h"

std::FILE* OpenInput(const std::string& path, std::string* error) {
  platform::FileInfo info;
  std::string reason;
  if (!platform::CheckPathLength(path, &reason)) {
    *error = "cannot open: " + reason;
    return nullptr;
  }
  if (platform::CurrentFileSystem()->Stat(path, &info, &reason) && info.directory) {
    *error = "cannot open: " + std::string(std::strerror(EISDIR));
    return nullptr;
  }
  errno = 0;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) *error = std::string("cannot open: ") + std::strerror(errno ? errno : ENOENT);
  return in;
}
