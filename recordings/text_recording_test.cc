// Converting whole text recordings: which lines become rows, line ends,
// long lines, and the warnings about what was passed over.
#include "recordings/text_recording.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

namespace {

using testutil::Lines;
using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

class TextRecordingTest : public ::testing::Test {
 protected:
  TextRecordingTest() { InitOptions(&options_); }

  // Converts content; returns the feature file, with stdout and stderr kept.
  std::string Convert(const std::string& content, int expectResult = 0) {
    const std::string in = dir_.file("rec.csv");
    WriteFile(in, content);
    std::string error;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ConvertTextFile(in, nullptr, &options_, &error), expectResult) << error;
    stdout_ = testing::internal::GetCapturedStdout();
    stderr_ = testing::internal::GetCapturedStderr();
    error_ = error;
    return ReadFile(dir_.file("rec_JUX.csv"));
  }

  ConversionOptions options_;
  TempDir dir_;
  std::string stdout_, stderr_, error_;
};

TEST_F(TextRecordingTest, OnlyDataLinesBecomeRows) {
  const std::string rows = Convert(
      "seqno,ax,ay,az,gx,gy,gz\n"
      "\n"
      " 1,2,3,4,5,6,7\n"
      "+1,2,3,4,5,6,7\n"
      "# comment\n"
      "1,0,0,8192,0,0,0\n"
      "-2,0,0,8192,0,0,0\n");
  const auto lines = Lines(rows);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, 12), "0,0,0,8192,0");
  EXPECT_EQ(stdout_, dir_.file("rec.csv") + " -> " + dir_.file("rec_JUX.csv") + "\n");
  EXPECT_EQ(stderr_, "");
}

TEST_F(TextRecordingTest, CrLfReadsAsLf) {
  const std::string lf = Convert("h\n1,0,0,8192,0,0,7\n2,0,0,8192,0,0,\n3,1,2,3,4,5,6");
  const std::string crlf = Convert("h\r\n1,0,0,8192,0,0,7\r\n2,0,0,8192,0,0,\r\n3,1,2,3,4,5,6");
  EXPECT_EQ(crlf, lf);
  EXPECT_EQ(Lines(lf).size(), 4u);
  // A CR that does not end a line is an ordinary character.
  const std::string cr = Convert("1,0,0,8192,0,\r0,7\n");
  EXPECT_EQ(Lines(cr)[1].substr(0, 14), "0,0,0,8192,0,0");
}

TEST_F(TextRecordingTest, NulAndCtrlZAreOrdinaryCharacters) {
  std::string content = "1,0,0,8192,0,0,7\n";
  content += std::string("2,0,0,8192,0,0,7\x1a\n", 18);
  content += std::string("3,0,0,8192,0\0,0,7\n", 18);
  content += "4,0,0,8192,0,0,7\n";
  const auto lines = Lines(Convert(content));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2].substr(0, 16), "0,0,0,8192,0,0,7");
}

TEST_F(TextRecordingTest, LongLinesAreReadWhole) {
  // Past the old 1023-character limit, and past the reader's block size.
  for (size_t pad : {size_t{1100}, size_t{600000}}) {
    const std::string content = "1,0,0,8192,0,0,7," + std::string(pad, '9') + "\n" +
                                "1" + std::string(pad, '0') + "2,0,0,8192,0,0,5\n";
    const auto lines = Lines(Convert(content));
    ASSERT_EQ(lines.size(), 3u) << pad;
    EXPECT_EQ(lines[1].substr(0, 16), "0,0,0,8192,0,0,7");
    EXPECT_EQ(lines[2].substr(0, 16), "0,0,0,8192,0,0,5");
  }
}

TEST_F(TextRecordingTest, CrLfSplitAcrossReadBlocks) {
  // Put the CR of a CR LF as the last byte of the first read block.
  const size_t block = 1 << 18;
  std::string first = "1,0,0,8192,0,0,7,";
  first += std::string(block - first.size() - 1, 'x');
  const std::string content = first + "\r\n2,0,0,8192,0,0,\r\n";
  ASSERT_EQ(content[block - 1], '\r');
  const auto lines = Lines(Convert(content));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].substr(0, 16), "0,0,0,8192,0,0,0");
}

TEST_F(TextRecordingTest, ShortLinesAreSkippedAndCounted) {
  const auto lines = Lines(Convert("1,0,0,8192,0,0,7\n1,2,3\n4,5,6,7,8,9\n1,0,0,8192,0,0,7\n"));
  EXPECT_EQ(lines.size(), 3u);
  EXPECT_NE(stderr_.find("rec.csv: 2 data line(s) with fewer than 7 fields skipped"), std::string::npos)
      << stderr_;
}

TEST_F(TextRecordingTest, ValuesCutTo16BitsAreCounted) {
  Convert("1,40000,0,8192,0,0,-70000\n1,0,0,8192,0,0,0\n");
  EXPECT_NE(stderr_.find("rec.csv: 2 value(s) outside -32768..32767 were cut to 16 bits"), std::string::npos)
      << stderr_;
}

TEST_F(TextRecordingTest, NoDataLinesGivesHeaderOnlyAndAWarning) {
  const auto lines = Lines(Convert("seqno,ax\n 1,2,3,4,5,6,7\n"));
  EXPECT_EQ(lines.size(), 1u);
  EXPECT_NE(stderr_.find("rec.csv: no data lines"), std::string::npos) << stderr_;
}

TEST_F(TextRecordingTest, MissingInputPrintsNothing) {
  std::string error;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ConvertTextFile(dir_.file("none.csv"), nullptr, &options_, &error), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("none_JUX.csv")));
}

TEST_F(TextRecordingTest, NegativeCutOffPrintsTheProgressLineAndCreatesNothing) {
  options_.cutOffFrequency = -1;
  Convert("1,0,0,8192,0,0,7\n", -1);
  EXPECT_NE(stdout_.find(" -> "), std::string::npos);
  EXPECT_NE(error_.find("unstable"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("rec_JUX.csv")));
}

TEST_F(TextRecordingTest, RealFormUsesItsFactors) {
  options_.fileType = 2;
  options_.accScalingFactorReal = 8192.0f;
  options_.gyroScalingFactorReal = 65.536f;
  const auto lines = Lines(Convert("t,ax\n0.02,0,0,1.0,0,0,-1.5\n"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(0, 18), "0,0,0,8192,0,0,-98");
}

}  // namespace
