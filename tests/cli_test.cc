// The program as a user runs it: output names, refused names, the two-name
// form, exit statuses and what reaches stdout and stderr.
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

const char kRecording[] = "seqno,ax,ay,az,gx,gy,gz\n1,0,0,8192,0,0,0\n2,0,0,8192,0,0,0\n";

class CliTest : public ::testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) { return RunProgram(BRELVIK_PROGRAM, args, dir_.path()); }
  TempDir dir_;
};

TEST_F(CliTest, OneNameWritesTheFeatureFileBesideIt) {
  fs::create_directory(dir_.path() / "data");
  WriteFile(dir_.path() / "data" / "walk01.csv", kRecording);
  RunResult r = Run({"data/walk01.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "data/walk01.csv -> data/walk01_JUX.csv\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "data" / "walk01_JUX.csv")).size(), 3u);
}

TEST_F(CliTest, TwoNamesWriteWhateverOutputIsGiven) {
  WriteFile(dir_.path() / "walk01.csv", kRecording);
  RunResult r = Run({"walk01.csv", "out.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "walk01.csv -> out.txt\n");
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "out.txt")).size(), 3u);
  EXPECT_FALSE(fs::exists(dir_.path() / "walk01_JUX.csv"));
}

TEST_F(CliTest, FeatureFileNameIsRefused) {
  WriteFile(dir_.path() / "walk01_JUX.csv", kRecording);
  const std::string before = ReadFile(dir_.path() / "walk01_JUX.csv");
  RunResult r = Run({"walk01_JUX.csv", "x.csv"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("walk01_JUX.csv"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("feature file"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_.path() / "x.csv"));
  EXPECT_EQ(ReadFile(dir_.path() / "walk01_JUX.csv"), before);
}

}  // namespace
