// The program under faults and odd inputs: a file system that fills up,
// permissions, a kill in the middle of a conversion, deep and wide trees
// and names with every kind of character.  Each test checks what is on
// disk afterwards.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

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

const char kText[] = "seqno,ax,ay,az,gx,gy,gz\n1,0,0,-8192,0,0,0\n2,0,0,-8192,0,0,0\n";
const char kPrevious[] =
    "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega, fall_counter\nprevious\n";
constexpr int kNobody = 65534;

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A recording of n samples made by the project's generator.
void Generate(const fs::path& path, int samples) {
  TempDir cwd;
  RunResult r = RunProgram(BRELVIK_MAKE_RECORDING,
                           {"--scenario", "fall", "--form", "int", "--samples", std::to_string(samples), "-o",
                            path.string()},
                           cwd.path());
  ASSERT_EQ(r.status, 0) << r.err;
}

// Permissions do not apply to root: run the program as nobody then, in a
// tree nobody may use.
RunOptions AsUserWithPermissions(const fs::path& tree) {
  RunOptions options;
  if (geteuid() != 0) return options;
  options.uid = kNobody;
  fs::permissions(tree, fs::perms::all);
  for (const auto& e : fs::recursive_directory_iterator(tree)) {
    fs::permissions(e.path(), e.is_directory() ? fs::perms::all : fs::perms(0666));
  }
  return options;
}

TEST(FaultTest, FileSystemThatFillsUp) {
  TempDir dir;
  const fs::path small = dir.path() / "small";
  fs::create_directory(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                 << "); the injected-fault tests of the feature file cover a failing write";
  }
  struct Unmount {
    const fs::path& path;
    ~Unmount() { umount(path.c_str()); }
  } unmount{small};
  Generate(dir.path() / "big.csv", 100000);  // about 6 MB of features: far more than fits
  WriteFile(small / "big_JUX.csv", kPrevious);
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"big.csv", "small/big_JUX.csv"}, dir.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("brelvik: big.csv: write error on small/big_JUX.csv: No space left on device"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadFile(small / "big_JUX.csv"), kPrevious);
  EXPECT_EQ(Names(small), std::vector<std::string>{"big_JUX.csv"});
}

TEST(FaultTest, UnreadableInputAndUnwritableFolder) {
  TempDir dir;
  WriteFile(dir.path() / "locked.csv", kText);
  WriteFile(dir.path() / "open.csv", kText);
  fs::create_directory(dir.path() / "ro");
  RunOptions as = AsUserWithPermissions(dir.path());
  fs::permissions(dir.path() / "locked.csv", fs::perms::none);
  fs::permissions(dir.path() / "ro", fs::perms(0555));
  if (as.uid < 0 && geteuid() == 0) GTEST_SKIP() << "running as root with no user to switch to";

  RunResult unreadable = RunProgram(BRELVIK_PROGRAM, {"locked.csv", "out_JUX.csv"}, dir.path(), as);
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_EQ(unreadable.out, "");
  EXPECT_EQ(unreadable.err, "brelvik: locked.csv: cannot open: Permission denied\n");
  EXPECT_FALSE(fs::exists(dir.path() / "out_JUX.csv"));

  RunResult unwritable = RunProgram(BRELVIK_PROGRAM, {"open.csv", "ro/open_JUX.csv"}, dir.path(), as);
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_EQ(unwritable.err, "brelvik: open.csv: cannot create the output ro/open_JUX.csv: Permission denied\n");
  EXPECT_TRUE(Names(dir.path() / "ro").empty());
}

// Starts the program without waiting for it.
pid_t Start(const std::vector<std::string>& args, const fs::path& cwd) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(120);
    freopen("/dev/null", "w", stdout);
    std::vector<char*> argv{const_cast<char*>(BRELVIK_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(BRELVIK_PROGRAM, argv.data());
    _exit(122);
  }
  return pid;
}

// Waits until the conversion's temporary file appears beside the output.
bool WaitForTemporary(const fs::path& dir, pid_t pid) {
  for (int i = 0; i < 20000; ++i) {
    for (const auto& name : Names(dir)) {
      if (name.rfind(".out_JUX.csv.brelvik-", 0) == 0) return true;
    }
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return false;
}

TEST(FaultTest, InterruptedConversionLeavesThePreviousFile) {
  TempDir dir;
  Generate(dir.path() / "in.csv", 2000000);
  for (int sig : {SIGKILL, SIGINT, SIGTERM}) {
    WriteFile(dir.path() / "out_JUX.csv", kPrevious);
    const pid_t pid = Start({"in.csv", "out_JUX.csv"}, dir.path());
    ASSERT_TRUE(WaitForTemporary(dir.path(), pid)) << "the conversion ended before it could be interrupted";
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << sig;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(ReadFile(dir.path() / "out_JUX.csv"), kPrevious) << sig;
    std::vector<std::string> names = Names(dir.path());
    if (sig == SIGKILL) {
      // Nothing can clean up after SIGKILL: a stale temporary may stay, and
      // its name is never taken for a recording.
      for (const auto& name : names) {
        if (name != "in.csv" && name != "out_JUX.csv") {
          EXPECT_EQ(name.rfind(".out_JUX.csv.brelvik-", 0), 0u) << name;
          fs::remove(dir.path() / name);
        }
      }
    } else {
      EXPECT_EQ(names, (std::vector<std::string>{"in.csv", "out_JUX.csv"})) << sig;
    }
  }
  // A stale temporary is not converted by a walk.
  WriteFile(dir.path() / ".out_JUX.csv.brelvik-AbC123", "1,2,3,4,5,6,7\n");
  fs::remove(dir.path() / "in.csv");
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"-r"}, dir.path());
  EXPECT_EQ(r.out, "");
}

TEST(FaultTest, DeepTreeIsWalkedToTheBottom) {
  TempDir dir;
  fs::path deep = dir.path();
  std::string expect = ".";
  for (int level = 0; level < 1000; ++level) {
    deep /= "d";
    expect += "/d";
  }
  fs::create_directories(deep);
  WriteFile(deep / "walk.csv", kText);
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"-r"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expect + "/walk.csv -> " + expect + "/walk_JUX.csv\n");
  EXPECT_EQ(Lines(ReadFile(deep / "walk_JUX.csv")).size(), 3u);
}

TEST(FaultTest, TenThousandFilesInOneFolder) {
  TempDir dir;
  for (int i = 0; i < 10000; ++i) WriteFile(dir.path() / ("r" + std::to_string(i) + ".csv"), kText);
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"*.csv"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 500);
  EXPECT_EQ(Lines(r.out).size(), 10000u);
  EXPECT_EQ(Names(dir.path()).size(), 20000u);
  EXPECT_EQ(Lines(ReadFile(dir.path() / "r9999_JUX.csv")).size(), 3u);
  // Byte order: r0, r1, r10, r100, ...
  EXPECT_EQ(Lines(r.out)[2], "./r10.csv -> ./r10_JUX.csv");
}

TEST(FaultTest, NamesWithEveryKindOfCharacter) {
  TempDir dir;
  const std::vector<std::string> names = {"with space.csv", "quote'd.csv", "double\"quote.csv", "new\nline.csv",
                                          "\xff\xfe latin.csv", "-dash.csv", "--version.csv", "*star.csv"};
  for (const std::string& n : names) WriteFile(dir.path() / n, kText);
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"-r"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& n : names) {
    const std::string feature = n.substr(0, n.size() - 4) + "_JUX.csv";
    EXPECT_EQ(Lines(ReadFile(dir.path() / feature)).size(), 3u) << n;
    EXPECT_NE(r.out.find("./" + n + " -> ./" + feature + "\n"), std::string::npos) << n;
  }
  // One by one, as a single argument, leading dashes included.
  for (const std::string& n : names) {
    RunResult one = RunProgram(BRELVIK_PROGRAM, {n}, dir.path());
    EXPECT_EQ(one.status, 0) << n << ": " << one.err;
    EXPECT_EQ(one.out.rfind(n + " -> ", 0), 0u) << n;
  }
}

}  // namespace
