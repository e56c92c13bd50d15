// The thin file-system interface through which feature files are written,
// so that tests can put faults in its place.
//
// An output is written to a temporary file beside it and renamed over it
// only when complete: a reader never sees a half-written feature file, and a
// failed or interrupted conversion leaves any previous file untouched.  An
// output that exists and is not a regular file (a device, a FIFO) is written
// directly, and so is one whose folder does not allow a temporary file
// while the file itself may be written.
#ifndef BRELVIK_PLATFORM_OUTPUT_FILE_H_
#define BRELVIK_PLATFORM_OUTPUT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// What the program needs to know of a path before it writes there.
struct FileInfo {
  bool exists = false;
  bool regular = false;
  bool directory = false;
  uint64_t size = 0;
  uint64_t device = 0;  // with inode: the file's identity, however the path
  uint64_t inode = 0;   // is spelled (links followed)
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // False with *error filled when the data could not all be written.
  virtual bool Write(const char* data, size_t size, std::string* error) = 0;
  // Closes the file and puts it in place; false with *error filled when the
  // close or the replacement failed (nothing is left behind then).
  virtual bool Commit(std::string* error) = 0;
  // Closes and removes whatever was written in place of the output.
  virtual void Discard() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Information on path, links followed.  False with *error filled when the
  // path cannot be examined; a path that does not exist is no error.
  virtual bool Stat(const std::string& path, FileInfo* info, std::string* error) = 0;
  // Reads up to size bytes from the start of the file into *data.
  virtual bool ReadPrefix(const std::string& path, size_t size, std::string* data, std::string* error) = 0;
  // Starts writing the output at path.  Null with *error filled when it
  // cannot be created.
  virtual std::unique_ptr<OutputFile> Create(const std::string& path, std::string* error) = 0;
};

// The operating system's file system, unless a test has put another in place.
FileSystem* CurrentFileSystem();
// Puts fs in place of the operating system's (null restores it).
void SetFileSystemForTesting(FileSystem* fs);

// Removes the temporary file of an interrupted conversion on SIGINT and
// SIGTERM (then ends the program as the signal would).  Called once by main.
void InstallInterruptCleanup();

}  // namespace platform

#endif  // BRELVIK_PLATFORM_OUTPUT_FILE_H_
