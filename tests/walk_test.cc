// Batch conversion on real directory trees: selectors, "-r", the fall-back
// from a single name, the order of the walk, link cycles, and data sets
// beside text recordings.
#include <gtest/gtest.h>

#include <string>

#include "tests/run_program.h"
#include "tests/test_util.h"

namespace {

using testutil::Lines;
using testutil::ReadFile;
using testutil::RunProgram;
using testutil::RunResult;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

const char kText[] = "seqno,ax,ay,az,gx,gy,gz\n1,0,0,-8192,0,0,0\n2,0,0,-8192,0,0,0\n";

std::string DataSet(int records) {
  std::string s("QK DataSet V1.0.0\0\0\0\x18\0\0\0", 24);
  for (int i = 0; i < records; ++i) s += std::string("\x01\0\x02\0\0\xe0\0\0\0\0\0\0", 12);
  return s;
}

class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // ./walk01.csv ./walk02.csv ./walk01.bin ./notes.txt ./x.csv/ (a directory)
    // ./sub/walk03.csv ./sub/deep/walk04.bin ./sub/deep/old_JUX.csv
    WriteFile(Path("walk01.csv"), kText);
    WriteFile(Path("walk02.csv"), kText);
    WriteFile(Path("walk01.bin"), DataSet(3));
    WriteFile(Path("notes.txt"), "notes\n");
    fs::create_directories(Path("x.csv"));
    fs::create_directories(Path("sub/deep"));
    WriteFile(Path("sub/walk03.csv"), kText);
    WriteFile(Path("sub/deep/walk04.bin"), DataSet(1));
    WriteFile(Path("sub/deep/old_JUX.csv"), kText);
  }
  fs::path Path(const std::string& relative) const { return dir_.path() / relative; }
  RunResult Run(const std::vector<std::string>& args) { return RunProgram(BRELVIK_PROGRAM, args, dir_.path()); }
  size_t Rows(const std::string& relative) const { return Lines(ReadFile(Path(relative))).size() - 1; }
  TempDir dir_;
};

TEST_F(WalkTest, SelectorConvertsMatchingRecordingsOfTheWorkingDirectoryOnly) {
  RunResult r = Run({"*.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "./walk01.csv -> ./walk01_JUX.csv\n./walk02.csv -> ./walk02_JUX.csv\n");
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(fs::exists(Path("sub/walk03_JUX.csv")));
  // Run again: the feature files just written are not taken as input.
  RunResult again = Run({"*.csv"});
  EXPECT_EQ(again.out, r.out);
}

TEST_F(WalkTest, StarTakesTextAndDataSetsInByteOrder) {
  RunResult r = Run({"*"});
  EXPECT_EQ(r.status, 0) << r.err;
  // walk01.bin comes before walk01.csv, so the text recording's file is the one that stays.
  EXPECT_EQ(r.out,
            "./walk01.bin -> ./walk01_JUX.csv\n"
            "./walk01.csv -> ./walk01_JUX.csv\n"
            "./walk02.csv -> ./walk02_JUX.csv\n");
  EXPECT_EQ(Lines(ReadFile(Path("walk01_JUX.csv"))).at(1).substr(0, 12), "0,0,0,-8192,");
  EXPECT_EQ(Rows("walk01_JUX.csv"), 2u);
}

TEST_F(WalkTest, RecursiveWalkConvertsTheWholeTree) {
  RunResult r = Run({"-r"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "./sub/deep/walk04.bin -> ./sub/deep/walk04_JUX.csv\n"
            "./sub/walk03.csv -> ./sub/walk03_JUX.csv\n"
            "./walk01.bin -> ./walk01_JUX.csv\n"
            "./walk01.csv -> ./walk01_JUX.csv\n"
            "./walk02.csv -> ./walk02_JUX.csv\n");
  EXPECT_EQ(Rows("sub/deep/walk04_JUX.csv"), 1u);
  EXPECT_EQ(ReadFile(Path("sub/deep/old_JUX.csv")), kText);
}

TEST_F(WalkTest, RecursiveSelectorTakesMatchingFilesBeforeSubdirectories) {
  WriteFile(Path("sub/b.bin"), DataSet(2));
  WriteFile(Path("sub/a.bin"), DataSet(2));
  RunResult r = Run({"-r", "*.bin"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "./walk01.bin -> ./walk01_JUX.csv\n"
            "./sub/a.bin -> ./sub/a_JUX.csv\n"
            "./sub/b.bin -> ./sub/b_JUX.csv\n"
            "./sub/deep/walk04.bin -> ./sub/deep/walk04_JUX.csv\n");
}

TEST_F(WalkTest, SelectorWithADirectoryPartWalksThatDirectory) {
  RunResult r = Run({"sub/*.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "./sub/walk03.csv -> ./sub/walk03_JUX.csv\n");
  const std::string absolute = Path("sub").string() + "/*.csv";
  RunResult a = Run({absolute});
  EXPECT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, Path("sub").string() + "/walk03.csv -> " + Path("sub").string() + "/walk03_JUX.csv\n");
}

TEST_F(WalkTest, NothingToConvertIsAFailureWithAReason) {
  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  const Case cases[] = {
      {{"*.dat"}, "brelvik: *.dat: no such file, and no recording matches it as a selector\n"},
      {{"missing.csv"}, "brelvik: missing.csv: no such file, and no recording matches it as a selector\n"},
      {{"walk01_JUX.csv"}, "brelvik: walk01_JUX.csv: is a feature file"},
      {{"-r", "*.txt"}, "brelvik: *.txt: no recording (.csv or .bin) matches it in this tree\n"},
      {{"notes.txt"}, "brelvik: notes.txt: not a recording"},
      {{"x.csv"}, "brelvik: x.csv: cannot open: Is a directory\n"},
  };
  WriteFile(Path("walk01_JUX.csv"), "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega\n");
  for (const Case& c : cases) {
    RunResult r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0];
    EXPECT_EQ(r.out, "") << c.args[0];
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
  TempDir empty;
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"-r"}, empty.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "brelvik: .: no recording (.csv or .bin) in this tree\n");
}

TEST_F(WalkTest, FileTypeFourReadsOtherNamesAsDataSetsOnlyWhenNamed) {
  WriteFile(Path("brelvik.cnf"), "FILETYPE 4\n");
  WriteFile(Path("walk05.dat"), DataSet(4));
  RunResult r = Run({"walk05.dat"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("walk05.dat -> walk05_JUX.csv\n"), std::string::npos);
  EXPECT_EQ(Rows("walk05_JUX.csv"), 4u);
  fs::remove(Path("walk05_JUX.csv"));
  RunResult s = Run({"*.dat"});
  EXPECT_EQ(s.status, 2);
  EXPECT_EQ(s.out.find(" -> "), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("walk05_JUX.csv")));
  // A .csv is never read as a data set, whatever the file type.
  RunResult t = Run({"walk01.csv"});
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(Rows("walk01_JUX.csv"), 2u);
}

TEST_F(WalkTest, FailedSingleNameIsTriedAgainAsASelector) {
  fs::create_directory(Path("walk01_JUX.csv"));  // the feature file cannot be created
  RunResult r = Run({"walk01.csv"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "walk01.csv -> walk01_JUX.csv\n./walk01.csv -> ./walk01_JUX.csv\n");
  EXPECT_EQ(r.err.rfind("brelvik: ./walk01.csv: cannot create the output ./walk01_JUX.csv", 0), 0u) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u);
}

TEST_F(WalkTest, FailuresInAWalkAreReportedAndTheRestConverted) {
  fs::create_directory(Path("walk02_JUX.csv"));
  RunResult r = Run({"*.csv"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Rows("walk01_JUX.csv"), 2u);
  EXPECT_EQ(r.err.rfind("brelvik: ./walk02.csv: cannot create the output", 0), 0u) << r.err;
}

TEST_F(WalkTest, LinkCycleIsWalkedOnce) {
  fs::create_directory_symlink("..", Path("sub/up"));
  fs::create_directory_symlink("../..", Path("sub/deep/top"));
  fs::create_directory_symlink("deep", Path("sub/same"));  // a second way into sub/deep: not a cycle
  RunResult r = Run({"-r", "*.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "./walk01.csv -> ./walk01_JUX.csv\n"
            "./walk02.csv -> ./walk02_JUX.csv\n"
            "./sub/walk03.csv -> ./sub/walk03_JUX.csv\n");
}

TEST_F(WalkTest, UnreadableSubdirectoryIsReported) {
  // Permissions do not apply to root: run the program as nobody then.
  testutil::RunOptions as;
  if (geteuid() == 0) {
    as.uid = 65534;
    fs::permissions(dir_.path(), fs::perms::all);
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
      fs::permissions(e.path(), e.is_directory() ? fs::perms::all : fs::perms(0666));
    }
  }
  fs::permissions(Path("sub/deep"), fs::perms::none);
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"-r"}, dir_.path(), as);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("./sub/deep"), std::string::npos);
  EXPECT_TRUE(fs::exists(Path("sub/walk03_JUX.csv")));
}

}  // namespace
