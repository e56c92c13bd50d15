// The directory walk.  Each directory is listed whole (sorted, closed)
// before anything in it is converted or entered, so every run handles the
// same files in the same order on every platform, and a deep tree holds no
// open listing per level.
#include "driver/walk.h"

#include <vector>

#include "driver/report.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "recordings/data_set.h"
#include "recordings/output_name.h"
#include "recordings/text_recording.h"

namespace {

struct DirectoryId {
  bool known;  // false when the directory could not be examined
  uint64_t device, inode;
};

class Walker {
 public:
  Walker(const std::string* selector, bool recursive, ConversionOptions* options, WalkCounts* counts)
      : selector_(selector), recursive_(recursive), options_(options), counts_(counts) {}

  void Walk(const std::string& directory) {
    platform::FileInfo info;
    std::string error;
    const bool known = platform::CurrentFileSystem()->Stat(directory, &info, &error) && info.exists;
    if (known) {
      for (const DirectoryId& id : path_) {
        if (id.known && id.device == info.device && id.inode == info.inode) return;  // a link back up the tree
      }
    }
    path_.push_back({known, info.device, info.inode});
    if (selector_ && recursive_) {
      // Matching files first, then every subdirectory.
      std::vector<platform::DirectoryEntry> entries;
      if (List(directory, *selector_, &entries)) {
        for (const auto& e : entries) {
          if (!e.isDirectory) Select(platform::JoinPath(directory, e.name));
        }
      }
      if (List(directory, "*", &entries)) {
        for (const auto& e : entries) {
          if (e.isDirectory) Walk(platform::JoinPath(directory, e.name));
        }
      }
    } else {
      std::vector<platform::DirectoryEntry> entries;
      if (List(directory, selector_ ? *selector_ : "*", &entries)) {
        for (const auto& e : entries) {
          const std::string path = platform::JoinPath(directory, e.name);
          if (!e.isDirectory) {
            Select(path);
          } else if (recursive_) {
            Walk(path);
          }
        }
      }
    }
    path_.pop_back();
  }

 private:
  bool List(const std::string& directory, const std::string& pattern, std::vector<platform::DirectoryEntry>* entries) {
    std::string error;
    if (platform::ListDirectory(directory, pattern, entries, &error)) return true;
    ++counts_->failed;
    ReportFailure(directory, error);
    return false;
  }

  void Select(const std::string& path) {
    int result;
    std::string error;
    if (EndsWith(path, ".csv")) {
      if (EndsWith(path, kFeatureSuffix)) return;  // never an input
      result = ConvertTextFile(path, nullptr, options_, &error);
    } else if (EndsWith(path, ".bin")) {
      result = ConvertDataSetFile(path, nullptr, options_, &error);
    } else {
      return;
    }
    if (result == 0) {
      ++counts_->converted;
    } else {
      ++counts_->failed;
      ReportFailure(path, error);
    }
  }

  const std::string* selector_;
  bool recursive_;
  ConversionOptions* options_;
  WalkCounts* counts_;
  std::vector<DirectoryId> path_;  // the directories being walked, outermost first
};

}  // namespace

int ProcessDirectory(const std::string& directory, const std::string* selector, bool recursive,
                     ConversionOptions* options, WalkCounts* counts) {
  Walker(selector, recursive, options, counts).Walk(directory);
  return 0;
}

void SplitSelector(const std::string& selector, std::string* directory, std::string* pattern) {
  const std::string_view base = platform::BaseName(selector);
  if (base.size() == selector.size()) {
    *directory = ".";
    *pattern = selector;
    return;
  }
  std::string dir = selector.substr(0, selector.size() - base.size());
  *pattern = std::string(base);
  // Drop the trailing separator unless it is the whole root ("/", "C:\").
  const bool absolute = platform::IsAbsolutePath(dir);
  while (dir.size() > 1 && platform::IsPathSeparator(dir.back()) && !(absolute && dir.size() <= platform::RootLength(dir))) {
    dir.pop_back();
  }
  *directory = absolute ? dir : platform::JoinPath(".", dir);
}
