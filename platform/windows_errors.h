// Shared by the Windows half of the platform layer: the longest path the
// ANSI file functions take, and the system's text for an error code.
#ifndef BRELVIK_PLATFORM_WINDOWS_ERRORS_H_
#define BRELVIK_PLATFORM_WINDOWS_ERRORS_H_

#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {

inline constexpr size_t kLongestPath = MAX_PATH - 1;

// The system's text for an error code, without its closing line end and
// full stop, followed by the code itself.
inline std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                              message.back() == '.')) {
    message.pop_back();
  }
  if (message.empty()) message = "system error";
  return message + " (error " + std::to_string(static_cast<unsigned long>(code)) + ")";
}

}  // namespace platform

#endif  // BRELVIK_PLATFORM_WINDOWS_ERRORS_H_
