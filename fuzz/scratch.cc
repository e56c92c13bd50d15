// The per-process scratch folder and the file helpers of the fuzz targets.
#include "fuzz/scratch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {
namespace {

std::string* g_folder = nullptr;

void RemoveScratchFolder() {
  if (!g_folder) return;
  for (const std::string& name : FolderEntries(*g_folder)) unlink((*g_folder + "/" + name).c_str());
  rmdir(g_folder->c_str());
}

}  // namespace

const std::string& ScratchFolder() {
  if (!g_folder) {
    // $TMPDIR, else a file system in memory where there is one: the targets
    // write and read a few files per input.
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/brelvik-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
      std::fprintf(stderr, "cannot make a scratch folder %s: %s\n", pattern.c_str(), std::strerror(errno));
      std::abort();
    }
    g_folder = new std::string(pattern);
    std::atexit(RemoveScratchFolder);
  }
  return *g_folder;
}

std::string ScratchPath(std::string_view name) { return ScratchFolder() + "/" + std::string(name); }

void WriteFileOrDie(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr;
  if (ok && !bytes.empty()) ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    std::abort();
  }
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char block[1 << 16];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes->append(block, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace fuzz
