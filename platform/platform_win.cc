// Windows half of the platform layer: the running program's own path, from
// the loader's record of the program's module.
#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace platform {

bool ExecutablePath(std::string* path, std::string* error) {
  path->clear();
  // GetModuleFileNameA cuts a path that does not fit and then returns the
  // buffer's size, so grow the buffer until the length returned is smaller
  // than the buffer.  The cap only guards against a loader that keeps
  // filling every buffer; real paths are far shorter.
  constexpr DWORD kLargestBuffer = 1u << 24;
  std::vector<char> buffer(256);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) {
      *error = "GetModuleFileNameA failed with error " +
               std::to_string(static_cast<unsigned long>(GetLastError()));
      return false;
    }
    if (length < size) {
      path->assign(buffer.data(), length);
      return true;
    }
    if (size >= kLargestBuffer) {
      *error = "the program's path is longer than " +
               std::to_string(static_cast<unsigned long>(kLargestBuffer)) +
               " characters";
      return false;
    }
    buffer.resize(static_cast<std::size_t>(size) * 2);
  }
}

}  // namespace platform
