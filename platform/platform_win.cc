// Windows half of the platform layer: the running program's own path, from
// the loader's record of the program's module, and directory listings
// through FindFirstFileA / FindNextFileA / FindClose.
//
// Paths are ANSI texts, as the program's command line gives them, and are
// limited to MAX_PATH - 1 characters: a longer one is refused here with a
// message that says so, rather than with the system's vaguer "path not
// found".
#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/paths.h"
#include "platform/windows_errors.h"

#if defined(__MINGW32__)
// The MinGW runtime can expand wildcards in the command line before main
// sees it, as a POSIX shell would; brelvik matches its selectors itself
// (brelvik *.csv is one selector, not a list of files), so expansion stays
// off whatever the runtime's default.
extern "C" int _dowildcard;
int _dowildcard = 0;
#endif

namespace platform {
namespace {


std::string TooLong(const std::string& path) {
  return "the path " + path + " is " + std::to_string(path.size()) +
         " characters long; Windows allows at most " + std::to_string(kLongestPath) + " (MAX_PATH)";
}

// Whether the symbolic link or junction at path leads to a directory.  A
// link whose target is missing leads nowhere and is no directory.
bool LeadsToDirectory(const std::string& path) {
  if (path.size() > kLongestPath) return false;
  const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  return ok && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDirectory(const std::string& dir, const WIN32_FIND_DATAA& data) {
  const DWORD attributes = data.dwFileAttributes;
  // For a reparse point, dwReserved0 holds its tag.  Links (symbolic links
  // and junctions) are judged by what they lead to; every other kind (such
  // as a cloud-file placeholder) by its own directory bit.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT)) {
    return LeadsToDirectory(JoinPath(dir, data.cFileName));
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

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
      *error = "GetModuleFileNameA failed: " + SystemMessage(GetLastError());
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

bool ListDirectory(const std::string& dir, const std::string& pattern,
                   std::vector<DirectoryEntry>* entries, std::string* error) {
  entries->clear();
  const std::string search = JoinPath(dir, pattern);
  if (search.size() > kLongestPath) {
    *error = "cannot read the directory " + dir + ": " + TooLong(search);
    return false;
  }
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA(search.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // The directory is there but nothing in it matches.
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return true;
    *error = "cannot read the directory " + dir + ": " + SystemMessage(code);
    return false;
  }
  for (;;) {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") entries->push_back({name, IsDirectory(dir, data)});
    if (!FindNextFileA(find, &data)) {
      const DWORD code = GetLastError();
      FindClose(find);
      if (code == ERROR_NO_MORE_FILES) break;
      *error = "cannot read the directory " + dir + ": " + SystemMessage(code);
      entries->clear();
      return false;
    }
  }
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return true;
}

bool CheckPathLength(const std::string& path, std::string* error) {
  if (path.size() <= kLongestPath) return true;
  *error = TooLong(path);
  return false;
}

}  // namespace platform
