// The operating-system services the program needs, behind one small
// interface: the running program's own path, and (later) directory listing
// and file identity.  Every difference between POSIX and Windows lives in
// platform_posix.cc and platform_win.cc.
#ifndef BRELVIK_PLATFORM_PLATFORM_H_
#define BRELVIK_PLATFORM_PLATFORM_H_

#include <string>

namespace platform {

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
