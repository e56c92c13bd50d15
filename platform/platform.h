// The operating-system services the program needs, behind one small
// interface: the running program's own path and directory listing (file
// identity and output files are in output_file.h).  Every difference between POSIX and Windows lives in
// platform_posix.cc and platform_win.cc.
#ifndef BRELVIK_PLATFORM_PLATFORM_H_
#define BRELVIK_PLATFORM_PLATFORM_H_

#include <string>
#include <vector>

namespace platform {

// One entry of a directory listing.
struct DirectoryEntry {
  std::string name;  // without the directory
  bool isDirectory;  // a symbolic link to a directory counts as one
};

// Lists the entries of dir whose names match the wildcard pattern ("*" and
// "?" as the platform reads them; "*" matches names that begin with a dot),
// without "." and "..", sorted in byte order of their names.  The listing
// is read whole and closed before it returns.  False with *error filled when
// the directory cannot be read.
bool ListDirectory(const std::string& dir, const std::string& pattern,
                   std::vector<DirectoryEntry>* entries, std::string* error);

// True when the platform can open a path this long; false with *error
// filled otherwise (Windows allows MAX_PATH - 1 characters, POSIX systems
// report their own limit when the path is used).
bool CheckPathLength(const std::string& path, std::string* error);

// Fills *path with the full path of the running executable and returns
// true; on failure returns false and fills *error with the reason.
// There is no limit on the length of the path.
bool ExecutablePath(std::string* path, std::string* error);

#if !defined(_WIN32)
// Fills *target with the text of the symbolic link `link`, whatever its
// length, and returns true; on failure returns false and fills *error with
// the reason.  ExecutablePath reads /proc/self/exe through it on Linux.
bool ReadSymbolicLink(const std::string& link, std::string* target,
                      std::string* error);
#endif

}  // namespace platform

#endif  // BRELVIK_PLATFORM_PLATFORM_H_
