// Windows implementation of the output-file interface.
//
// A feature file is written to a temporary file beside it and moved over it
// with MoveFileExA(..., MOVEFILE_REPLACE_EXISTING) when complete.  Output is
// text: every line feed is written as CR LF, as a Windows program's text
// files have it.  A file's identity is its volume serial number and file
// index from GetFileInformationByHandle, the same for every spelling of
// its path and through links.  Devices such as NUL and CON, and pipes, are
// written directly.  Paths longer than MAX_PATH - 1 characters are refused
// with a message that says so.
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/windows_errors.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The temporary file being written, for the console-event handler, which
// runs on a thread of its own: the lock keeps the path from changing while
// the handler removes the file.
SRWLOCK g_temporaryLock = SRWLOCK_INIT;
std::string* g_temporary = nullptr;

void SetTemporary(std::string* path) {
  AcquireSRWLockExclusive(&g_temporaryLock);
  g_temporary = path;
  ReleaseSRWLockExclusive(&g_temporaryLock);
}

BOOL WINAPI OnConsoleEvent(DWORD) {
  // The lock is kept: the process ends right after the handler, and no
  // other file may be started or moved into place meanwhile.
  AcquireSRWLockExclusive(&g_temporaryLock);
  if (g_temporary) DeleteFileA(g_temporary->c_str());
  g_temporary = nullptr;
  return FALSE;  // the next handler, the system's, ends the process
}

std::string TooLong(const std::string& path) {
  return "the path is " + std::to_string(path.size()) + " characters long; Windows allows at most " +
         std::to_string(kLongestPath) + " (MAX_PATH)";
}

// Errors that mean that nothing is at the path.
bool IsNotFound(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME ||
         code == ERROR_BAD_PATHNAME || code == ERROR_INVALID_DRIVE || code == ERROR_DIRECTORY;
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  // Closes the handle; false when the system reports a failure.
  bool Close() {
    if (!valid()) return true;
    const bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// What is at a path, links followed.
struct Examined {
  bool exists = false;
  bool disk = false;  // a file or directory on a volume (not a device or pipe)
  DWORD attributes = 0;
  uint64_t size = 0;
  uint64_t volume = 0;
  uint64_t index = 0;
};

// Fills *what; false with *error filled when the path cannot be examined.
// A path at which nothing exists is no error.
bool Examine(const std::string& path, Examined* what, std::string* error) {
  *what = Examined{};
  if (path.size() > kLongestPath) {
    *error = TooLong(path);
    return false;
  }
  // No access to the data is asked for, so a file that another program
  // holds open can still be examined; a directory opens only with backup
  // semantics.
  Handle handle(CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr));
  if (!handle.valid()) {
    const DWORD code = GetLastError();
    if (IsNotFound(code)) return true;
    // A console (CON) opens only for reading or for writing.
    Handle device(CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.valid() || GetFileType(device.get()) == FILE_TYPE_DISK) {
      *error = SystemMessage(code);
      return false;
    }
    what->exists = true;
    return true;
  }
  what->exists = true;
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) return true;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) {
    *error = SystemMessage(GetLastError());
    return false;
  }
  what->disk = true;
  what->attributes = info.dwFileAttributes;
  what->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  what->volume = info.dwVolumeSerialNumber;
  what->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool WriteAll(HANDLE handle, const char* data, size_t size, std::string* error) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr)) {
      *error = SystemMessage(GetLastError());
      return false;
    }
    if (written == 0) {
      *error = "nothing could be written";
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// Writes data as a text file: each line feed as CR LF.
bool WriteText(HANDLE handle, const char* data, size_t size, std::string* error) {
  std::string text;
  text.reserve(size + size / 16 + 16);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') text.push_back('\r');
    text.push_back(data[i]);
  }
  return WriteAll(handle, text.data(), text.size(), error);
}

// Written in place: a device, a pipe, or a file in a folder that allows no
// temporary file.
class DirectFile : public OutputFile {
 public:
  explicit DirectFile(HANDLE handle) : handle_(handle) {}
  ~DirectFile() override { Discard(); }
  bool Write(const char* data, size_t size, std::string* error) override {
    return WriteText(handle_.get(), data, size, error);
  }
  bool Commit(std::string* error) override {
    if (!handle_.Close()) {
      *error = SystemMessage(GetLastError());
      return false;
    }
    return true;
  }
  void Discard() override { handle_.Close(); }

 private:
  Handle handle_;
};

class TemporaryFile : public OutputFile {
 public:
  TemporaryFile(HANDLE handle, std::string temporary, std::string target)
      : handle_(handle), temporary_(std::move(temporary)), target_(std::move(target)) {
    SetTemporary(&temporary_);
  }
  ~TemporaryFile() override { Discard(); }
  bool Write(const char* data, size_t size, std::string* error) override {
    return WriteText(handle_.get(), data, size, error);
  }
  bool Commit(std::string* error) override {
    if (!handle_.Close()) {
      *error = SystemMessage(GetLastError());
      Remove();
      return false;
    }
    AcquireSRWLockExclusive(&g_temporaryLock);
    const bool moved = MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    const DWORD code = GetLastError();
    if (moved) {
      g_temporary = nullptr;
      temporary_.clear();
    }
    ReleaseSRWLockExclusive(&g_temporaryLock);
    if (!moved) {
      *error = "cannot replace " + target_ + ": " + SystemMessage(code);
      Remove();
      return false;
    }
    return true;
  }
  void Discard() override {
    handle_.Close();
    Remove();
  }

 private:
  void Remove() {
    if (temporary_.empty()) return;
    SetTemporary(nullptr);
    DeleteFileA(temporary_.c_str());
    temporary_.clear();
  }

  Handle handle_;
  std::string temporary_;
  std::string target_;
};

// Six characters that differ from call to call and from process to process.
std::string UniqueTag() {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ GetTickCount64() ^
               (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  // splitmix64's finaliser spreads the bits over the whole word.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string tag;
  for (int i = 0; i < 6; ++i) {
    tag.push_back(kDigits[x % 36]);
    x /= 36;
  }
  return tag;
}

// Creates a new temporary file beside target: ".<name>.brelvik-XXXXXX",
// or ".brelvik-XXXXXX" when the longer name would pass the path limit.
// Neither ends in ".csv" or ".bin", so a walk never takes a stale one for a
// recording.  Invalid handle, with the error code, when none can be made.
HANDLE CreateTemporary(const std::string& target, std::string* temporary, DWORD* code) {
  const std::string_view base = BaseName(target);
  const std::string folder = target.substr(0, target.size() - base.size());
  std::string prefix = folder + "." + std::string(base) + ".brelvik-";
  if (prefix.size() + 6 > kLongestPath) prefix = folder + ".brelvik-";
  if (prefix.size() + 6 > kLongestPath) {
    *code = ERROR_FILENAME_EXCED_RANGE;
    return INVALID_HANDLE_VALUE;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = prefix + UniqueTag();
    // Shared for deletion, so that the console-event handler can remove it
    // while it is open.
    const HANDLE handle = CreateFileA(temporary->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    *code = GetLastError();
    if (*code != ERROR_FILE_EXISTS && *code != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
  }
  return INVALID_HANDLE_VALUE;
}

// The path that a symbolic link at path finally names, in the form
// "C:\dir\name"; path itself when it is no link or cannot be resolved.
std::string FollowLink(const std::string& path) {
  Handle handle(CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr));
  if (!handle.valid()) return path;
  std::string final(MAX_PATH, '\0');
  DWORD length = GetFinalPathNameByHandleA(handle.get(), final.data(), static_cast<DWORD>(final.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = GetFinalPathNameByHandleA(handle.get(), final.data(), static_cast<DWORD>(final.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  if (length == 0 || length >= final.size()) return path;
  final.resize(length);
  // "\\?\C:\dir" is "C:\dir"; "\\?\UNC\server\share" is "\\server\share".
  if (final.rfind("\\\\?\\UNC\\", 0) == 0) {
    final = "\\\\" + final.substr(8);
  } else if (final.rfind("\\\\?\\", 0) == 0) {
    final = final.substr(4);
  }
  return final;
}

class WindowsFileSystem : public FileSystem {
 public:
  bool Stat(const std::string& path, FileInfo* info, std::string* error) override {
    *info = FileInfo{};
    Examined what;
    if (!Examine(path, &what, error)) return false;
    info->exists = what.exists;
    info->regular = what.disk && (what.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    info->size = what.size;
    info->device = what.volume;
    info->inode = what.index;
    return true;
  }

  bool ReadPrefix(const std::string& path, size_t size, std::string* data, std::string* error) override {
    data->clear();
    if (path.size() > kLongestPath) {
      *error = TooLong(path);
      return false;
    }
    Handle handle(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
      *error = SystemMessage(GetLastError());
      return false;
    }
    std::string buffer(size, '\0');
    size_t have = 0;
    while (have < size) {
      const DWORD want = size - have > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size - have);
      DWORD got = 0;
      if (!ReadFile(handle.get(), buffer.data() + have, want, &got, nullptr)) {
        *error = SystemMessage(GetLastError());
        return false;
      }
      if (got == 0) break;
      have += got;
    }
    buffer.resize(have);
    *data = std::move(buffer);
    return true;
  }

  std::unique_ptr<OutputFile> Create(const std::string& path, std::string* error) override {
    Examined what;
    if (!Examine(path, &what, error)) return nullptr;
    if (what.exists && !what.disk) {
      // A device (NUL, CON) or a pipe: nothing to replace, write to it as it is.
      const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle == INVALID_HANDLE_VALUE) {
        *error = SystemMessage(GetLastError());
        return nullptr;
      }
      return std::make_unique<DirectFile>(handle);
    }
    if (what.exists && (what.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      *error = "it is a directory";
      return nullptr;
    }
    if (what.exists && (what.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      *error = "the file is read-only";
      return nullptr;
    }
    // Through a link the file that it names is replaced, not the link.
    std::string target = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (what.exists && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      target = FollowLink(path);
      if (target.size() > kLongestPath) {
        *error = "it is a link to " + target + ", and " + TooLong(target);
        return nullptr;
      }
    }
    std::string temporary;
    DWORD code = 0;
    const HANDLE handle = CreateTemporary(target, &temporary, &code);
    if (handle != INVALID_HANDLE_VALUE) return std::make_unique<TemporaryFile>(handle, temporary, target);
    // No temporary file here (a folder that allows no new files, or a name
    // at the length limit): write in place, as creating the file directly
    // would.
    const HANDLE direct = CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (direct == INVALID_HANDLE_VALUE) {
      *error = SystemMessage(GetLastError());
      return nullptr;
    }
    return std::make_unique<DirectFile>(direct);
  }
};

WindowsFileSystem g_windows;
FileSystem* g_current = nullptr;

}  // namespace

FileSystem* CurrentFileSystem() { return g_current ? g_current : &g_windows; }
void SetFileSystemForTesting(FileSystem* fs) { g_current = fs; }

void InstallInterruptCleanup() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

}  // namespace platform
