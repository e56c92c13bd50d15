// Writing the feature file safely: complete or absent, previous files kept
// on failure, recordings never replaced, permissions and links as a newly
// created file would have them.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/run_program.h"
#include "tests/test_util.h"

namespace {

using testutil::Lines;
using testutil::ReadFile;
using testutil::RunOptions;
using testutil::RunProgram;
using testutil::RunResult;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

const char kRecording[] = "seqno,ax,ay,az,gx,gy,gz\n1,0,0,8192,0,0,0\n2,0,0,8192,0,0,0\n";
const char kOldFeatures[] =
    "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega, fall_counter\nold\n";
constexpr int kNobody = 65534;

class SafeOutputTest : public ::testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args, const RunOptions& options = {}) {
    return RunProgram(BRELVIK_PROGRAM, args, dir_.path(), options);
  }
  // Names in the folder, sorted.
  std::vector<std::string> Names(const fs::path& dir) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir dir_;
};

TEST_F(SafeOutputTest, WriteErrorFailsTheConversion) {
  WriteFile(dir_.path() / "a.csv", kRecording);
  RunResult r = Run({"a.csv", "/dev/full"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "a.csv -> /dev/full\n");
  EXPECT_NE(r.err.find("brelvik: a.csv: write error on /dev/full"), std::string::npos) << r.err;
}

TEST_F(SafeOutputTest, DevicesAreWrittenDirectly) {
  WriteFile(dir_.path() / "a.csv", kRecording);
  RunResult r = Run({"a.csv", "/dev/null"});
  EXPECT_EQ(r.status, 0) << r.err;
  RunResult s = Run({"a.csv", "/dev/stdout"});
  EXPECT_EQ(s.status, 0) << s.err;
  EXPECT_NE(s.out.find("seqno,accX"), std::string::npos);
}

TEST_F(SafeOutputTest, RecordingsAreNeverReplaced) {
  WriteFile(dir_.path() / "a.csv", kRecording);
  WriteFile(dir_.path() / "b.csv", "seqno,ax\n5,1,2,3,4,5,6\n");
  const std::vector<std::vector<std::string>> cases = {
      {"a.csv", "b.csv"},  // what "brelvik *.csv" becomes with two recordings
      {"a.csv", "./a.csv"},
      {"a.csv", "a.csv"},
      {"./a.csv", dir_.file("a.csv")},
  };
  for (const auto& args : cases) {
    RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_EQ(r.out, args[0] + " -> " + args[1] + "\n");
    EXPECT_NE(r.err.find("refusing"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir_.path() / "a.csv"), kRecording);
    EXPECT_EQ(ReadFile(dir_.path() / "b.csv"), "seqno,ax\n5,1,2,3,4,5,6\n");
  }
  // The input reached through a link is still the input.
  fs::create_symlink("a.csv", dir_.path() / "link.csv");
  RunResult r = Run({"a.csv", "link.csv"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(dir_.path() / "a.csv"), kRecording);
  EXPECT_EQ(Names(dir_.path()), (std::vector<std::string>{"a.csv", "b.csv", "link.csv"}));
}

TEST_F(SafeOutputTest, FeatureFilesAndEmptyFilesAreReplaced) {
  WriteFile(dir_.path() / "a.csv", kRecording);
  WriteFile(dir_.path() / "a_JUX.csv", kOldFeatures);
  WriteFile(dir_.path() / "empty.txt", "");
  EXPECT_EQ(Run({"a.csv"}).status, 0);
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "a_JUX.csv")).size(), 3u);
  EXPECT_EQ(Run({"a.csv", "empty.txt"}).status, 0);
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "empty.txt")).size(), 3u);
  EXPECT_EQ(Names(dir_.path()), (std::vector<std::string>{"a.csv", "a_JUX.csv", "empty.txt"}));
}

TEST_F(SafeOutputTest, FailedConversionKeepsThePreviousFileAndLeavesNoTemporary) {
  // The input fails to read (reading /proc/self/mem at offset 0 fails with
  // EIO): the conversion fails after the output was started.
  fs::create_symlink("/proc/self/mem", dir_.path() / "in.csv");
  WriteFile(dir_.path() / "in_JUX.csv", kOldFeatures);
  RunResult r = Run({"in.csv", "in_JUX.csv"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "in.csv -> in_JUX.csv\n");
  EXPECT_EQ(r.err.rfind("brelvik: in.csv: read error", 0), 0u) << r.err;
  EXPECT_EQ(ReadFile(dir_.path() / "in_JUX.csv"), kOldFeatures);
  EXPECT_EQ(Names(dir_.path()), (std::vector<std::string>{"in.csv", "in_JUX.csv"}));
}

TEST_F(SafeOutputTest, NewFilesGetTheUmasksPermissions) {
  WriteFile(dir_.path() / "a.csv", kRecording);
  for (int mask : {022, 077, 0}) {
    fs::remove(dir_.path() / "a_JUX.csv");
    RunResult r = Run({"a.csv"}, RunOptions{mask, -1});
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat st;
    ASSERT_EQ(stat((dir_.path() / "a_JUX.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, static_cast<mode_t>(0666 & ~mask)) << "umask " << mask;
  }
}

TEST_F(SafeOutputTest, SymbolicLinkTargetIsReplaced) {
  WriteFile(dir_.path() / "a.csv", kRecording);
  fs::create_directory(dir_.path() / "store");
  WriteFile(dir_.path() / "store" / "real_JUX.csv", kOldFeatures);
  fs::create_symlink("store/real_JUX.csv", dir_.path() / "a_JUX.csv");
  RunResult r = Run({"a.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir_.path() / "a_JUX.csv"));
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "store" / "real_JUX.csv")).size(), 3u);
  EXPECT_EQ(Names(dir_.path() / "store"), (std::vector<std::string>{"real_JUX.csv"}));
  // A dangling link creates its target.
  fs::remove(dir_.path() / "store" / "real_JUX.csv");
  EXPECT_EQ(Run({"a.csv"}).status, 0);
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "store" / "real_JUX.csv")).size(), 3u);
}

// The permission cases need a user for whom permissions apply: when the
// suite runs as root the program is started as nobody.
class PermissionTest : public SafeOutputTest {
 protected:
  void SetUp() override {
    if (geteuid() == 0) {
      user_ = kNobody;
      fs::permissions(dir_.path(), fs::perms::all);
    }
    WriteFile(dir_.path() / "a.csv", kRecording);
    fs::permissions(dir_.path() / "a.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(dir_.path() / "ro");
    if (user_ == -1 && access((dir_.path() / "ro").c_str(), W_OK) == 0) {
      // Not root, so permissions apply to us as well.
    }
  }
  RunResult RunAsUser(const std::vector<std::string>& args) { return Run(args, RunOptions{-1, user_}); }
  int user_ = -1;
};

TEST_F(PermissionTest, ReadOnlyFolderCannotTakeANewFile) {
  fs::permissions(dir_.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  RunResult r = RunAsUser({"a.csv", "ro/out_JUX.csv"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("cannot create the output ro/out_JUX.csv"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_.path() / "ro" / "out_JUX.csv"));
}

TEST_F(PermissionTest, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
  WriteFile(dir_.path() / "ro" / "out_JUX.csv", kOldFeatures);
  fs::permissions(dir_.path() / "ro" / "out_JUX.csv", fs::perms::all);
  fs::permissions(dir_.path() / "ro", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                          fs::perms::others_read | fs::perms::others_exec);
  RunResult r = RunAsUser({"a.csv", "ro/out_JUX.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "ro" / "out_JUX.csv")).size(), 3u);
}

TEST_F(PermissionTest, ReadOnlyOutputIsRefused) {
  fs::permissions(dir_.path() / "ro", fs::perms::all);
  WriteFile(dir_.path() / "ro" / "out_JUX.csv", kOldFeatures);
  fs::permissions(dir_.path() / "ro" / "out_JUX.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  RunResult r = RunAsUser({"a.csv", "ro/out_JUX.csv"});
  if (user_ == -1 && geteuid() == 0) GTEST_SKIP() << "running as root without a user to switch to";
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(ReadFile(dir_.path() / "ro" / "out_JUX.csv"), kOldFeatures);
}

}  // namespace
