// POSIX implementation of the output-file interface: a temporary file made
// with mkstemp beside the output, given the permissions of a newly created
// file, and renamed over the output when complete.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The temporary file being written, for the interrupt handler.
std::atomic<const char*> g_temporary{nullptr};

void OnInterrupt(int signal) {
  const char* path = g_temporary.load();
  if (path) unlink(path);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

std::string Reason(int error) { return std::strerror(error); }

// Holds SIGINT and SIGTERM back while it lives; they arrive when it ends.
class BlockInterrupts {
 public:
  BlockInterrupts() {
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    sigprocmask(SIG_BLOCK, &block, &previous_);
  }
  ~BlockInterrupts() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  BlockInterrupts(const BlockInterrupts&) = delete;
  BlockInterrupts& operator=(const BlockInterrupts&) = delete;

 private:
  sigset_t previous_;
};

// Follows symbolic links at path to the file they name, which may not exist.
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string target, error;
    if (!ReadSymbolicLink(current, &target, &error)) return current;
    // A relative target is relative to the folder holding the link.
    const size_t base = current.size() - BaseName(current).size();
    current = !target.empty() && target[0] == '/' ? target : current.substr(0, base) + target;
  }
  return current;
}

mode_t NewFileMode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

bool WriteAll(int fd, const char* data, size_t size, std::string* error) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = Reason(errno);
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Written in place: a device, a FIFO, or a file in a folder that allows no
// temporary file.
class DirectFile : public OutputFile {
 public:
  explicit DirectFile(int fd) : fd_(fd) {}
  ~DirectFile() override { Discard(); }
  bool Write(const char* data, size_t size, std::string* error) override {
    return WriteAll(fd_, data, size, error);
  }
  bool Commit(std::string* error) override {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
      *error = Reason(errno);
      return false;
    }
    return true;
  }
  void Discard() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

class TemporaryFile : public OutputFile {
 public:
  TemporaryFile(int fd, std::string temporary, std::string target)
      : fd_(fd), temporary_(std::move(temporary)), target_(std::move(target)) {
    g_temporary.store(temporary_.c_str());
  }
  ~TemporaryFile() override { Discard(); }
  bool Write(const char* data, size_t size, std::string* error) override {
    return WriteAll(fd_, data, size, error);
  }
  bool Commit(std::string* error) override {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
      *error = Reason(errno);
      Remove();
      return false;
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
      *error = "cannot replace " + target_ + ": " + Reason(errno);
      Remove();
      return false;
    }
    g_temporary.store(nullptr);
    temporary_.clear();
    return true;
  }
  void Discard() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    Remove();
  }

 private:
  void Remove() {
    if (temporary_.empty()) return;
    // Unlinked before it is forgotten: an interrupt in between unlinks a
    // name that is already gone, which is harmless.
    unlink(temporary_.c_str());
    g_temporary.store(nullptr);
    temporary_.clear();
  }

  int fd_;
  std::string temporary_;
  std::string target_;
};

class PosixFileSystem : public FileSystem {
 public:
  bool Stat(const std::string& path, FileInfo* info, std::string* error) override {
    *info = FileInfo{};
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return true;
      *error = Reason(errno);
      return false;
    }
    info->exists = true;
    info->regular = S_ISREG(st.st_mode);
    info->directory = S_ISDIR(st.st_mode);
    info->size = static_cast<uint64_t>(st.st_size);
    info->device = static_cast<uint64_t>(st.st_dev);
    info->inode = static_cast<uint64_t>(st.st_ino);
    return true;
  }

  bool ReadPrefix(const std::string& path, size_t size, std::string* data, std::string* error) override {
    data->clear();
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
      *error = Reason(errno);
      return false;
    }
    std::vector<char> buffer(size);
    size_t have = 0;
    while (have < size) {
      const ssize_t n = read(fd, buffer.data() + have, size - have);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        *error = Reason(errno);
        close(fd);
        return false;
      }
      if (n == 0) break;
      have += static_cast<size_t>(n);
    }
    close(fd);
    data->assign(buffer.data(), have);
    return true;
  }

  std::unique_ptr<OutputFile> Create(const std::string& path, std::string* error) override {
    const std::string target = FollowLinks(path);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
      *error = Reason(EISDIR);
      return nullptr;
    }
    if (exists && !S_ISREG(st.st_mode)) {
      // A device or a FIFO: nothing to replace, write to it as it is.
      const int fd = open(target.c_str(), O_WRONLY | O_TRUNC);
      if (fd < 0) {
        *error = Reason(errno);
        return nullptr;
      }
      return std::make_unique<DirectFile>(fd);
    }
    if (exists && access(target.c_str(), W_OK) != 0) {
      *error = Reason(errno);
      return nullptr;
    }
    // ".<name>.brelvik-XXXXXX" beside the output: never ends in ".csv" or
    // ".bin", so a walk does not take a stale one for a recording.
    const std::string_view base = BaseName(target);
    std::string temporary = target.substr(0, target.size() - base.size());
    temporary.push_back('.');
    if (base.size() + 16 <= 255) {
      temporary.append(base);
      temporary.push_back('.');
    }
    temporary.append("brelvik-XXXXXX");
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    // No interrupt between creating the temporary and registering it for
    // the interrupt handler: it would be left behind.
    BlockInterrupts blocked;
    const int fd = mkstemp(name.data());
    if (fd >= 0) {
      fchmod(fd, NewFileMode());
      return std::make_unique<TemporaryFile>(fd, std::string(name.data()), target);
    }
    // No temporary file here (a read-only folder): write in place, as
    // creating the file directly would.
    const int direct = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (direct < 0) {
      *error = Reason(errno);
      return nullptr;
    }
    return std::make_unique<DirectFile>(direct);
  }
};

PosixFileSystem g_posix;
FileSystem* g_current = nullptr;

}  // namespace

FileSystem* CurrentFileSystem() { return g_current ? g_current : &g_posix; }
void SetFileSystemForTesting(FileSystem* fs) { g_current = fs; }

void InstallInterruptCleanup() {
  NewFileMode();  // read the umask before any signal can arrive
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

}  // namespace platform
