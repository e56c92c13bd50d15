// Path texts as the platform spells them.
#ifndef BRELVIK_PLATFORM_PATHS_H_
#define BRELVIK_PLATFORM_PATHS_H_

#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }
#else
inline constexpr char kPathSeparator = '/';
inline bool IsPathSeparator(char c) { return c == '/'; }
#endif

// "dir" + separator + "name".
inline std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  path += kPathSeparator;
  path += name;
  return path;
}

// The part of a path after its last separator.
inline std::string_view BaseName(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
  return path.substr(i);
}

// The part of a path before its last separator ("." when there is none).
inline std::string DirName(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
  if (i == 0) return ".";
  return std::string(path.substr(0, i));
}

}  // namespace platform

#endif  // BRELVIK_PLATFORM_PATHS_H_
