// POSIX half of the platform layer (Linux and macOS): the running program's
// own path.  Linux reads the /proc/self/exe link; macOS asks the loader.
#include "platform/platform.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#if defined(__APPLE__)
#include <mach-o/dyld.h>

#include <cstdint>
#endif

namespace platform {

bool ReadSymbolicLink(const std::string& link, std::string* target,
                      std::string* error) {
  target->clear();
  // readlink neither reports the length of the link nor terminates the text,
  // so a result that fills the whole buffer may have been cut short: grow the
  // buffer until the text leaves room to spare.
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
    if (length < 0) {
      *error = "cannot read the link " + link + ": " + std::strerror(errno);
      return false;
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      target->assign(buffer.data(), static_cast<std::size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

#if defined(__APPLE__)

bool ExecutablePath(std::string* path, std::string* error) {
  path->clear();
  // The first call only reports the size that the path needs, terminator
  // included; the second fills a buffer of that size.
  uint32_t size = 0;
  char empty = '\0';
  _NSGetExecutablePath(&empty, &size);
  if (size == 0) {
    *error = "_NSGetExecutablePath reported no path";
    return false;
  }
  std::vector<char> buffer(size);
  if (_NSGetExecutablePath(buffer.data(), &size) != 0) {
    *error = "_NSGetExecutablePath failed";
    return false;
  }
  path->assign(buffer.data());
  return true;
}

#else

bool ExecutablePath(std::string* path, std::string* error) {
  return ReadSymbolicLink("/proc/self/exe", path, error);
}

#endif

}  // namespace platform
