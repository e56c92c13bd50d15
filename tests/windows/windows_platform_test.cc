// Tests of the Windows platform layer: directory listings through
// FindFirstFileA, the program's own path, file identity from
// GetFileInformationByHandle, and feature files written as text through a
// temporary file that replaces the output when complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "platform/platform.h"
#include "tests/test_util.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A path of exactly `length` characters inside dir (which must be shorter).
std::string PathOfLength(const TempDir& dir, size_t length) {
  std::string path = dir.path().string() + "\\";
  path += std::string(length - path.size(), 'x');
  return path;
}

// ---------------------------------------------------------------------------
// ListDirectory

struct ListCase {
  const char* pattern;
  std::vector<platform::DirectoryEntry> want;
};

TEST(ListDirectoryTest, MatchesSortsByBytesAndMarksDirectories) {
  TempDir dir;
  for (const char* name : {"walk.csv", "B.csv", "_x.csv", "a.bin", ".hidden.csv"}) WriteFile(dir.file(name), "x");
  fs::create_directory(dir.path() / "sub.csv");
  fs::create_directory(dir.path() / "Sub");

  const ListCase cases[] = {
      // Byte order: '.' < 'B' < 'S' < '_' < 'a' < 's' < 'w'.
      {"*",
       {{".hidden.csv", false},
        {"B.csv", false},
        {"Sub", true},
        {"_x.csv", false},
        {"a.bin", false},
        {"sub.csv", true},
        {"walk.csv", false}}},
      {"*.csv", {{".hidden.csv", false}, {"B.csv", false}, {"_x.csv", false}, {"sub.csv", true}, {"walk.csv", false}}},
      {"w?lk.csv", {{"walk.csv", false}}},
      {"*.dat", {}},
  };
  for (const ListCase& c : cases) {
    std::vector<platform::DirectoryEntry> entries;
    std::string error;
    ASSERT_TRUE(platform::ListDirectory(dir.path().string(), c.pattern, &entries, &error)) << c.pattern << error;
    ASSERT_EQ(entries.size(), c.want.size()) << c.pattern;
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].name, c.want[i].name) << c.pattern;
      EXPECT_EQ(entries[i].isDirectory, c.want[i].isDirectory) << c.pattern << " " << entries[i].name;
    }
  }
}

TEST(ListDirectoryTest, RelativeFolderSpelledWithEitherSeparator) {
  TempDir dir;
  fs::create_directories(dir.path() / "a" / "b");
  WriteFile(dir.file("a\\b\\walk.csv"), "x");
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  for (const char* folder : {".\\a\\b", "a/b", ".\\a\\b\\"}) {
    std::vector<platform::DirectoryEntry> entries;
    std::string error;
    EXPECT_TRUE(platform::ListDirectory(folder, "*", &entries, &error)) << folder << error;
    ASSERT_EQ(entries.size(), 1u) << folder;
    EXPECT_EQ(entries[0].name, "walk.csv");
  }
  fs::current_path(before);
}

TEST(ListDirectoryTest, MissingFolderAndOverlongPatternAreErrors) {
  TempDir dir;
  std::vector<platform::DirectoryEntry> entries;
  std::string error;
  const std::string missing = dir.file("missing");
  EXPECT_FALSE(platform::ListDirectory(missing, "*", &entries, &error));
  EXPECT_NE(error.find("cannot read the directory " + missing), std::string::npos) << error;

  // The pattern "dir\*" is 260 characters long, one past the limit.
  const std::string deep = PathOfLength(dir, 258);
  error.clear();
  EXPECT_FALSE(platform::ListDirectory(deep, "*", &entries, &error));
  EXPECT_NE(error.find("260 characters long"), std::string::npos) << error;
  EXPECT_NE(error.find("MAX_PATH"), std::string::npos) << error;
}

// ---------------------------------------------------------------------------
// ExecutablePath

TEST(ExecutablePathTest, IsTheFullPathOfThisProgram) {
  std::string path, error;
  ASSERT_TRUE(platform::ExecutablePath(&path, &error)) << error;
  ASSERT_GE(path.size(), 3u);
  EXPECT_EQ(path[1], ':') << path;
  EXPECT_EQ(path[2], '\\') << path;
  EXPECT_TRUE(fs::path(path).filename() == "windows_platform_test.exe") << path;
  EXPECT_TRUE(fs::equivalent(path, fs::path(path))) << path;
}

// ---------------------------------------------------------------------------
// Stat

TEST(StatTest, IdentityIsTheSameForEverySpellingOfAPath) {
  TempDir dir;
  WriteFile(dir.file("walk.csv"), "12345");
  WriteFile(dir.file("other.csv"), "1");
  fs::create_directory(dir.path() / "sub");
  platform::FileSystem* fs = platform::CurrentFileSystem();

  platform::FileInfo walk;
  std::string error;
  ASSERT_TRUE(fs->Stat(dir.file("walk.csv"), &walk, &error)) << error;
  EXPECT_TRUE(walk.exists);
  EXPECT_TRUE(walk.regular);
  EXPECT_EQ(walk.size, 5u);
  // The C runtime's stat gives every file the inode 0: the file index is
  // what tells files apart.
  EXPECT_NE(walk.inode, 0u);

  for (const std::string& spelling :
       {dir.file("WALK.CSV"), dir.file("sub\\..\\walk.csv"), dir.path().string() + "/walk.csv"}) {
    platform::FileInfo same;
    ASSERT_TRUE(fs->Stat(spelling, &same, &error)) << spelling << error;
    EXPECT_TRUE(same.exists) << spelling;
    EXPECT_EQ(same.device, walk.device) << spelling;
    EXPECT_EQ(same.inode, walk.inode) << spelling;
  }

  platform::FileInfo other;
  ASSERT_TRUE(fs->Stat(dir.file("other.csv"), &other, &error)) << error;
  EXPECT_FALSE(other.device == walk.device && other.inode == walk.inode);

  platform::FileInfo sub, subDot;
  ASSERT_TRUE(fs->Stat(dir.file("sub"), &sub, &error)) << error;
  ASSERT_TRUE(fs->Stat(dir.file("sub\\."), &subDot, &error)) << error;
  EXPECT_TRUE(sub.exists);
  EXPECT_FALSE(sub.regular);
  EXPECT_EQ(sub.inode, subDot.inode);
  EXPECT_EQ(sub.device, subDot.device);
}

TEST(StatTest, MissingDevicesAndOverlongPaths) {
  TempDir dir;
  platform::FileSystem* fs = platform::CurrentFileSystem();
  std::string error;

  WriteFile(dir.file("file.csv"), "x");
  for (const std::string& missing :
       {dir.file("missing.csv"), dir.file("missing\\walk.csv"), dir.file("file.csv\\walk.csv")}) {
    platform::FileInfo info;
    info.exists = true;
    EXPECT_TRUE(fs->Stat(missing, &info, &error)) << missing << error;
    EXPECT_FALSE(info.exists) << missing;
  }

  platform::FileInfo nul;
  ASSERT_TRUE(fs->Stat("NUL", &nul, &error)) << error;
  EXPECT_TRUE(nul.exists);
  EXPECT_FALSE(nul.regular);

  platform::FileInfo info;
  EXPECT_TRUE(fs->Stat(PathOfLength(dir, 259), &info, &error)) << error;
  error.clear();
  EXPECT_FALSE(fs->Stat(PathOfLength(dir, 260), &info, &error));
  EXPECT_NE(error.find("260 characters long"), std::string::npos) << error;
}

TEST(ReadPrefixTest, ReadsAtMostTheBytesAskedForInBinary) {
  TempDir dir;
  WriteFile(dir.file("f.csv"), std::string("ab\r\n\x1a" "cd", 7));
  platform::FileSystem* fs = platform::CurrentFileSystem();
  std::string data, error;
  ASSERT_TRUE(fs->ReadPrefix(dir.file("f.csv"), 6, &data, &error)) << error;
  EXPECT_EQ(data, std::string("ab\r\n\x1a" "c", 6));
  ASSERT_TRUE(fs->ReadPrefix(dir.file("f.csv"), 100, &data, &error)) << error;
  EXPECT_EQ(data.size(), 7u);
  EXPECT_FALSE(fs->ReadPrefix(dir.file("missing.csv"), 6, &data, &error));
  EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------
// Create

TEST(CreateTest, WritesTextThroughATemporaryThatReplacesTheOutput) {
  TempDir dir;
  const std::string out = dir.file("walk_JUX.csv");
  WriteFile(out, "old contents\n");
  platform::FileSystem* fs = platform::CurrentFileSystem();
  std::string error;
  std::unique_ptr<platform::OutputFile> file = fs->Create(out, &error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Write("a,b\n1,2\n", 8, &error)) << error;
  ASSERT_TRUE(file->Write("\n", 1, &error)) << error;

  // Until the commit the output is untouched and the rows are in a
  // temporary beside it whose name a walk never takes for a recording.
  EXPECT_EQ(ReadFile(out), "old contents\n");
  const std::vector<std::string> during = Names(dir.path());
  ASSERT_EQ(during.size(), 2u);
  const std::string temporary = during[0];
  EXPECT_EQ(temporary.rfind(".walk_JUX.csv.brelvik-", 0), 0u) << temporary;

  ASSERT_TRUE(file->Commit(&error)) << error;
  EXPECT_EQ(ReadFile(out), "a,b\r\n1,2\r\n\r\n");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"walk_JUX.csv"});
}

TEST(CreateTest, DiscardLeavesThePreviousFileAndNoTemporary) {
  TempDir dir;
  const std::string out = dir.file("walk_JUX.csv");
  platform::FileSystem* fs = platform::CurrentFileSystem();
  std::string error;

  // Without a previous file, nothing is left at all.
  {
    std::unique_ptr<platform::OutputFile> file = fs->Create(out, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(file->Write("x\n", 2, &error));
    file->Discard();
  }
  EXPECT_TRUE(Names(dir.path()).empty());

  WriteFile(out, "previous\n");
  {
    std::unique_ptr<platform::OutputFile> file = fs->Create(out, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(file->Write("x\n", 2, &error));
  }  // destroyed without a commit
  EXPECT_EQ(ReadFile(out), "previous\n");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"walk_JUX.csv"});
}

TEST(CreateTest, RefusesDirectoriesReadOnlyFilesAndOverlongPaths) {
  TempDir dir;
  fs::create_directory(dir.path() / "folder_JUX.csv");
  const std::string readOnly = dir.file("ro_JUX.csv");
  WriteFile(readOnly, "keep\n");
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  platform::FileSystem* fs = platform::CurrentFileSystem();

  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {
      {dir.file("folder_JUX.csv"), "directory"},
      {readOnly, "read-only"},
      {PathOfLength(dir, 260), "MAX_PATH"},
      {dir.file("missing\\walk_JUX.csv"), ""},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(fs->Create(c.path, &error)) << c.path;
    EXPECT_FALSE(error.empty()) << c.path;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  EXPECT_EQ(ReadFile(readOnly), "keep\n");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"folder_JUX.csv", "ro_JUX.csv"}));
}

TEST(CreateTest, OutputAtTheLengthLimitIsWrittenInPlace) {
  // The output's name fits, the temporary's would not: it is written
  // directly, and in text mode all the same.
  TempDir dir;
  const std::string out = PathOfLength(dir, 259);
  platform::FileSystem* fs = platform::CurrentFileSystem();
  std::string error;
  std::unique_ptr<platform::OutputFile> file = fs->Create(out, &error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Write("1\n2\n", 4, &error)) << error;
  ASSERT_TRUE(file->Commit(&error)) << error;
  EXPECT_EQ(ReadFile(out), "1\r\n2\r\n");
  EXPECT_EQ(Names(dir.path()).size(), 1u);
}

TEST(CreateTest, DevicesAreWrittenDirectly) {
  platform::FileSystem* fs = platform::CurrentFileSystem();
  std::string error;
  std::unique_ptr<platform::OutputFile> file = fs->Create("NUL", &error);
  ASSERT_TRUE(file) << error;
  EXPECT_TRUE(file->Write("a\n", 2, &error)) << error;
  EXPECT_TRUE(file->Commit(&error)) << error;
}

}  // namespace
