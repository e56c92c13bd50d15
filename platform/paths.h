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

// Length of the root part of an absolute path ("/" is 1, "C:\\" is 3), 0
// for a relative path.
inline size_t RootLength(std::string_view path) {
#ifdef _WIN32
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return 3;
  if (path.size() >= 2 && path[1] == ':') return 2;
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return 1;
  return 0;
#else
  return !path.empty() && path[0] == '/' ? 1 : 0;
#endif
}

inline bool IsAbsolutePath(std::string_view path) { return RootLength(path) > 0; }

// "dir" + separator + "name" (no second separator after a root such as "/").
inline std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || !IsPathSeparator(path.back())) path += kPathSeparator;
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
