// POSIX half of the platform layer (Linux and macOS): the running program's
// own path.  Linux reads the /proc/self/exe link; macOS asks the loader.
#include "platform/platform.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

bool ListDirectory(const std::string& dir, const std::string& pattern,
                   std::vector<DirectoryEntry>* entries, std::string* error) {
  entries->clear();
  DIR* d = opendir(dir.c_str());
  if (!d) {
    *error = "cannot read the directory " + dir + ": " + std::strerror(errno);
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* e = readdir(d);
    if (!e) {
      if (errno != 0) {
        *error = "cannot read the directory " + dir + ": " + std::strerror(errno);
        closedir(d);
        return false;
      }
      break;
    }
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
    // stat follows a symbolic link, so a link to a directory is a directory.
    struct stat st;
    const std::string path = dir + "/" + name;
    const bool isDirectory = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries->push_back({name, isDirectory});
  }
  closedir(d);
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return true;
}

bool CheckPathLength(const std::string&, std::string*) { return true; }

}  // namespace platform
