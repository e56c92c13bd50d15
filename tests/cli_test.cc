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

const char kUsage[] =
    "Usage: brelvik <csv_file> [<jux_file>]\n"
    "       brelvik <file_selector>\n"
    "       brelvik -r [<file_selector>]\n";

TEST_F(CliTest, WrongArgumentCountGivesTheUsageWithoutReadingConfiguration) {
  WriteFile(dir_.path() / "brelvik.cnf", "FILETYPE 2\n");
  const std::vector<std::vector<std::string>> cases = {{}, {"a", "b", "c"}, {"-r", "*.csv", "*.bin"}};
  for (const auto& args : cases) {
    RunResult r = Run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kUsage);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(CliTest, HelpAndVersion) {
  WriteFile(dir_.path() / "brelvik.cnf", "FILETYPE 2\n");
  for (const char* help : {"-h", "--help"}) {
    RunResult r = Run({help});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kUsage);
  }
  RunResult v = Run({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "brelvik " BRELVIK_VERSION "\n");
}

TEST_F(CliTest, FailuresAreReportedWithTheFileAndStatus2) {
  WriteFile(dir_.path() / "walk01.dat", kRecording);
  struct Case {
    std::vector<std::string> args;
    const char* stderrText;
  };
  const Case cases[] = {
      {{"walk01.dat"}, "brelvik: walk01.dat: not a recording"},
      {{"missing.csv"}, "brelvik: missing.csv: no such file, and no recording matches it as a selector"},
      {{"walk01_JUX.csv"}, "brelvik: walk01_JUX.csv: is a feature file"},
      {{"walk01.CSV"}, "brelvik: walk01.CSV: no such file, and no recording matches it as a selector"},
  };
  for (const Case& c : cases) {
    RunResult r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0];
    EXPECT_EQ(r.out, "") << c.args[0];
    EXPECT_EQ(r.err.rfind(c.stderrText, 0), 0u) << r.err;
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "walk01_JUX.csv"));
}

// The program copied into a folder of its own, with a configuration beside it.
class ConfigurationTest : public CliTest {
 protected:
  void SetUp() override {
    fs::create_directory(dir_.path() / "bin");
    fs::create_directory(dir_.path() / "work");
    program_ = (dir_.path() / "bin" / "brelvik").string();
    fs::copy_file(BRELVIK_PROGRAM, program_);
    WriteFile(dir_.path() / "work" / "walk01.csv", kRecording);
  }
  RunResult RunIn(const fs::path& cwd, const std::vector<std::string>& args) {
    return RunProgram(program_, args, cwd);
  }
  std::string program_;
};

TEST_F(ConfigurationTest, BothFilesInOrderTheSecondOverriding) {
  WriteFile(dir_.path() / "bin" / "brelvik.cnf", "RMSDIFFOUT 0\nFALLSTARTTHRESHOLD 70\n");
  WriteFile(dir_.path() / "work" / "brelvik.cnf", "RMSDIFFOUT 1\n");
  RunResult r = RunIn(dir_.path() / "work", {"walk01.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "LoadConfigFile : " + program_ + ".cnf\n\n"
                   "  +RmsDiffOut : 0\n"
                   "  +FallStartThreshold : 70\n"
                   "\nLoadConfigFile : Complete.\n\n"
                   "LoadConfigFile : brelvik.cnf\n\n"
                   "  +RmsDiffOut : 1\n"
                   "\nLoadConfigFile : Complete.\n\n"
                   "walk01.csv -> walk01_JUX.csv\n");
  const auto lines = Lines(ReadFile(dir_.path() / "work" / "walk01_JUX.csv"));
  EXPECT_NE(lines.at(0).find("acc_diff"), std::string::npos);
  EXPECT_EQ(r.err, "");
}

TEST_F(ConfigurationTest, TheProgramsOwnFolderReadsTheSameFileTwice) {
  WriteFile(dir_.path() / "bin" / "brelvik.cnf", "SEQNOINDEX 1\n");
  fs::copy_file(dir_.path() / "work" / "walk01.csv", dir_.path() / "bin" / "walk01.csv");
  RunResult r = RunIn(dir_.path() / "bin", {"walk01.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string block = "\n  +SeqnoIndex : 1\n\nLoadConfigFile : Complete.\n\n";
  EXPECT_EQ(r.out, "LoadConfigFile : " + program_ + ".cnf\n" + block + "LoadConfigFile : brelvik.cnf\n" + block +
                       "walk01.csv -> walk01_JUX.csv\n");
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "bin" / "walk01_JUX.csv")).at(1).substr(0, 2), "1,");
}

TEST_F(ConfigurationTest, NoConfigurationMeansNoLogAndTheDefaults) {
  RunResult r = RunIn(dir_.path() / "work", {"walk01.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "walk01.csv -> walk01_JUX.csv\n");
  EXPECT_EQ(Lines(ReadFile(dir_.path() / "work" / "walk01_JUX.csv")).at(1), "0,0,0,8192,0,0,0,23,100,0,0,1,0,-90,0,23,0,0,-90,0");
}

TEST_F(ConfigurationTest, MistakesAreWarnedAboutOnStderrOnly) {
  WriteFile(dir_.path() / "work" / "brelvik.cnf",
            "# settings\n\nSAMPLINGFREQUENCY=100\nCUTOFF 5\nSEQNOINDEX\t1\nFALLSTARTTHRESHOLD x\n");
  RunResult r = RunIn(dir_.path() / "work", {"walk01.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "LoadConfigFile : brelvik.cnf\n\n  +FallStartThreshold : 0\n\nLoadConfigFile : Complete.\n\n"
                   "walk01.csv -> walk01_JUX.csv\n");
  for (const char* where : {"brelvik.cnf:3:", "brelvik.cnf:4:", "brelvik.cnf:5:", "brelvik.cnf:6:"}) {
    EXPECT_NE(r.err.find(where), std::string::npos) << where << "\n" << r.err;
  }
  EXPECT_EQ(r.err.find("brelvik.cnf:1:"), std::string::npos);
  EXPECT_EQ(r.err.find("brelvik.cnf:2:"), std::string::npos);
}

TEST_F(ConfigurationTest, NegativeCutOffIsRefusedWithAReason) {
  WriteFile(dir_.path() / "work" / "brelvik.cnf", "CUTOFFFREQUENCY -5\n");
  RunResult r = RunIn(dir_.path() / "work", {"walk01.csv"});
  EXPECT_EQ(r.status, 2);
  // The name is tried as a file, then as a selector: two attempts, one report.
  EXPECT_NE(r.out.find("walk01.csv -> walk01_JUX.csv\n./walk01.csv -> ./walk01_JUX.csv\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.err, "brelvik: ./walk01.csv: the cut-off frequency -5 Hz is negative; the low-pass filter would be unstable\n");
  EXPECT_FALSE(fs::exists(dir_.path() / "work" / "walk01_JUX.csv"));
}

}  // namespace
