// Binary data sets: the header, the record offset, whole records only, the
// record layout, and what is refused before anything is printed.
#include "recordings/data_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_util.h"

namespace {

using testutil::Fields;
using testutil::Lines;
using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

std::string Header(int32_t offset, const char* magic = "QK DataSet V1.0.0", char byte17 = 0) {
  std::string h(magic, 17);
  h += byte17;
  h += "\x7f\x80";  // not examined
  const uint32_t o = static_cast<uint32_t>(offset);
  for (int i = 0; i < 4; ++i) h += static_cast<char>((o >> (8 * i)) & 0xff);
  return h;
}

std::string Record(int16_t a, int16_t b, int16_t c, int16_t d, int16_t e, int16_t f) {
  std::string r;
  for (int16_t v : {a, b, c, d, e, f}) {
    const uint16_t u = static_cast<uint16_t>(v);
    r += static_cast<char>(u & 0xff);
    r += static_cast<char>(u >> 8);
  }
  return r;
}

class DataSetTest : public ::testing::Test {
 protected:
  DataSetTest() { InitOptions(&options_); }

  // Converts content; returns the feature file's lines (none when refused).
  std::vector<std::string> Convert(const std::string& content, int expect = 0) {
    const std::string in = dir_.file("set.bin");
    WriteFile(in, content);
    std::string error;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ConvertDataSetFile(in, nullptr, &options_, &error), expect) << error;
    stdout_ = testing::internal::GetCapturedStdout();
    error_ = error;
    return Lines(ReadFile(dir_.file("set_JUX.csv")));
  }

  ConversionOptions options_;
  TempDir dir_;
  std::string stdout_, error_;
};

TEST_F(DataSetTest, RecordsBecomeSamplesInTheirOrder) {
  const auto lines =
      Convert(Header(24) + Record(100, -200, -8192, 5, -6, 7) + Record(-32768, 32767, 0, 1, 2, 3));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, 22), "0,100,-200,-8192,5,-6,");
  EXPECT_EQ(Fields(lines[1])[6], 7);
  EXPECT_EQ(lines[2].substr(0, 23), "1,-32768,32767,0,1,2,3,");
  EXPECT_EQ(stdout_, dir_.file("set.bin") + " -> " + dir_.file("set_JUX.csv") + "\n");
}

TEST_F(DataSetTest, ScalingFactorsDoNotApply) {
  options_.accScalingFactor = 3;
  options_.fileType = 2;
  options_.accScalingFactorReal = 0.5f;
  const auto lines = Convert(Header(24) + Record(100, 0, 0, 0, 0, 0));
  EXPECT_EQ(lines.at(1).substr(0, 6), "0,100,");
}

TEST_F(DataSetTest, OffsetAndTrailingBytes) {
  struct Case {
    const char* name;
    std::string content;
    size_t rows;
  };
  const std::string r = Record(1, 2, 3, 4, 5, 6);
  const Case cases[] = {
      {"no records", Header(24), 0},
      {"a larger offset skips what lies before it", Header(40) + std::string(16, '\xff') + r + r, 2},
      {"offset at the end", Header(36) + r, 0},
      {"offset past the end", Header(1 << 30) + r + r, 0},
      {"one trailing byte", Header(24) + r + "x", 1},
      {"eleven trailing bytes", Header(24) + r + r + std::string(11, 'x'), 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.content).size(), c.rows + 1) << c.name;
  }
}

TEST_F(DataSetTest, NotADataSetIsRefusedBeforeTheProgressLine) {
  struct Case {
    const char* name;
    std::string content;
    const char* reason;
  };
  const std::string r = Record(1, 2, 3, 4, 5, 6);
  std::vector<Case> cases = {
      {"another version", Header(24, "QK DataSet V1.0.1") + r, "does not begin"},
      {"non-zero byte 17", Header(24, "QK DataSet V1.0.0", 'x') + r, "does not begin"},
      {"text", "seqno,ax,ay,az\n1,2,3,4,5,6,7\n", "does not begin"},
      {"offset inside the header", Header(23) + r, "offset 23"},
      {"negative offset", Header(-12) + r, "offset -12"},
  };
  const std::string full = Header(24);
  for (size_t n = 0; n < 24; ++n) cases.push_back({"short file", full.substr(0, n), "ends inside the 24-byte header"});
  for (const Case& c : cases) {
    EXPECT_TRUE(Convert(c.content, -1).empty()) << c.name;
    EXPECT_EQ(stdout_, "") << c.name;
    EXPECT_NE(error_.find(c.reason), std::string::npos) << c.name << ": " << error_;
  }
}

TEST_F(DataSetTest, ManyRecordsAcrossReadBlocksAndTheSequenceWrap) {
  std::string content = Header(24);
  const int n = 40000;  // more than one read block, past the 16-bit sequence numbers
  for (int i = 0; i < n; ++i) content += Record(static_cast<int16_t>(i), 0, -8192, 0, 0, 0);
  content += "abc";
  const auto lines = Convert(content);
  ASSERT_EQ(lines.size(), static_cast<size_t>(n) + 1);
  EXPECT_EQ(Fields(lines[16385])[1], 16384);
  EXPECT_EQ(Fields(lines[32768])[0], 32767);
  EXPECT_EQ(Fields(lines[32769])[0], -32768);  // record 32768
  EXPECT_EQ(Fields(lines[n])[1], 39999 - 65536);  // the value itself is 16 bits too
}

TEST(DataSetReader, ReadsUpToCountWholeRecords) {
  TempDir dir;
  std::string content = Header(24);
  for (int i = 0; i < 5; ++i) content += Record(static_cast<int16_t>(i), 1, 2, 3, 4, 5);
  WriteFile(dir.file("r.bin"), content + "12345");
  std::string error;
  DataSetFile* file = OpenDataSet(dir.file("r.bin"), &error);
  ASSERT_NE(file, nullptr) << error;
  DataSetRecord records[4];
  EXPECT_EQ(ReadDataSetRecords(file, records, 4), 4u);
  EXPECT_EQ(records[3].values[0], 3);
  EXPECT_EQ(records[3].values[5], 5);
  EXPECT_EQ(ReadDataSetRecords(file, records, 4), 1u);
  EXPECT_EQ(records[0].values[0], 4);
  EXPECT_EQ(ReadDataSetRecords(file, records, 4), 0u);
  EXPECT_FALSE(DataSetReadFailed(file));
  CloseDataSet(file);
  CloseDataSet(nullptr);
  EXPECT_EQ(OpenDataSet(dir.file("missing.bin"), &error), nullptr);
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
