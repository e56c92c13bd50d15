// The files a fuzz target works on: one scratch folder per process, made on
// first use under $TMPDIR (else /dev/shm, else /tmp) and removed when the
// process exits, with fixed names in it that every run rewrites.
#ifndef BRELVIK_FUZZ_SCRATCH_H_
#define BRELVIK_FUZZ_SCRATCH_H_

#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The folder's path, without a trailing slash.
const std::string& ScratchFolder();
// A path inside the folder.
std::string ScratchPath(std::string_view name);

// Replaces the file at path with bytes; aborts when that fails, since no
// property can be checked then.
void WriteFileOrDie(const std::string& path, std::string_view bytes);
// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
// Removes path if it exists.
void RemoveFile(const std::string& path);
// The names in a folder, without "." and "..", sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace fuzz

#endif  // BRELVIK_FUZZ_SCRATCH_H_
