// Tests of the feature-file checks: a correct file passes, and each kind of
// fault that the conversion targets look for is reported.
#include "fuzz/feature_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FeatureCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    InitOptions(&o_);
    o_.postureOut = 0;
    o_.postureDiffOut = 0;
    samples_ = {{0, 0, 0, 8192, 0, 0, 0}, {1, 0, 0, 8192, 6554, 0, 0}};
  }
  std::string Check(const std::string& text) { return reference::CheckFeatureFile(text, o_, samples_); }

  ConversionOptions o_;
  std::vector<SensorSample> samples_;
  const std::string header_ =
      "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega, fall_counter, acc_diff, "
      "omega_diff\n";
  const std::string row1_ = "0,0,0,8192,0,0,0,23,100,0,0,1,23,0\n";
  const std::string row2_ = "1,0,0,8192,6554,0,0,60,100,23,100,2,37,23\n";
};

TEST_F(FeatureCheck, CorrectFilePasses) {
  EXPECT_EQ(Check(header_ + row1_ + row2_), "");
  samples_.clear();
  EXPECT_EQ(Check(header_), "");
}

TEST_F(FeatureCheck, FaultsAreReported) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"no header", row1_ + row2_},
      {"two header lines", header_ + header_ + row1_ + row2_},
      {"header without the diff group", header_.substr(0, header_.find(", acc_diff")) + "\n" + row1_ + row2_},
      {"header group without its blank", header_.substr(0, header_.find(", acc_diff")) + ",acc_diff, omega_diff\n" +
                                              row1_ + row2_},
      {"last row without line feed", header_ + row1_ + row2_.substr(0, row2_.size() - 1)},
      {"a row missing", header_ + row1_},
      {"a row too many", header_ + row1_ + row2_ + row2_},
      {"a field too few", header_ + "0,0,0,8192,0,0,0,23,100,0,0,1,23\n" + row2_},
      {"a field too many", header_ + "0,0,0,8192,0,0,0,23,100,0,0,1,23,0,0\n" + row2_},
      {"leading zero", header_ + "0,0,0,08192,0,0,0,23,100,0,0,1,23,0\n" + row2_},
      {"minus zero", header_ + "-0,0,0,8192,0,0,0,23,100,0,0,1,23,0\n" + row2_},
      {"plus sign", header_ + "0,+0,0,8192,0,0,0,23,100,0,0,1,23,0\n" + row2_},
      {"a blank", header_ + "0,0,0,8192,0,0,0,23,100,0,0,1,23, 0\n" + row2_},
      {"a CR", header_ + "0,0,0,8192,0,0,0,23,100,0,0,1,23,0\r\n" + row2_},
      {"beyond 32 bits", header_ + "0,0,0,8192,0,0,0,23,100,0,0,1,23,4294967296\n" + row2_},
      {"16-bit column out of range", header_ + "0,0,0,40000,0,0,0,23,100,0,0,1,23,0\n" + row2_},
      {"another sample", header_ + "0,0,0,8191,0,0,0,23,100,0,0,1,23,0\n" + row2_},
      {"wrong raw_acc", header_ + "0,0,0,8192,0,0,0,23,99,0,0,1,23,0\n" + row2_},
      {"wrong raw_omega", header_ + row1_ + "1,0,0,8192,6554,0,0,60,100,23,99,2,37,23\n"},
      {"wrong fall_counter", header_ + row1_ + "1,0,0,8192,6554,0,0,60,100,23,100,0,37,23\n"},
      {"wrong acc_diff", header_ + row1_ + "1,0,0,8192,6554,0,0,60,100,23,100,2,60,23\n"},
      {"wrong omega_diff", header_ + row1_ + "1,0,0,8192,6554,0,0,60,100,23,100,2,37,0\n"},
  };
  for (const Case& c : cases) EXPECT_NE(Check(c.text), "") << c.what;
}

TEST_F(FeatureCheck, AnglesAndTheirDifferences) {
  o_.fallCounterOut = 0;
  o_.rmsDiffOut = 0;
  o_.postureOut = 1;
  o_.postureDiffOut = 1;
  samples_.resize(1);
  const std::string header =
      "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega, roll, pitch, yaw, roll_diff, "
      "pitch_diff, yaw_diff\n";
  EXPECT_EQ(Check(header + "0,0,0,8192,0,0,0,23,100,0,0,0,-90,0,0,-90,0\n"), "");
  EXPECT_NE(Check(header + "0,0,0,8192,0,0,0,23,100,0,0,0,-90,0,0,0,0\n"), "");
  EXPECT_NE(Check(header + "0,0,0,8192,0,0,0,23,100,0,0,91,-90,0,91,-90,0\n"), "");
  EXPECT_NE(Check(header + "0,0,0,8192,0,0,0,23,100,0,0,0,-181,0,0,-181,0\n"), "");
  o_.rollPitchCompensation = 1;
  EXPECT_EQ(Check(header + "0,0,0,8192,0,0,0,23,100,0,0,100,-200,0,100,-200,0\n"), "");
}

TEST(ProcessedSamples, EveryNthFromTheFirst) {
  ConversionOptions o;
  InitOptions(&o);
  std::vector<SensorSample> offered;
  for (int16_t i = 0; i < 10; ++i) offered.push_back({i, 0, 0, 0, 0, 0, 0});
  struct Case {
    int32_t resampleCount;
    std::vector<int16_t> kept;
  };
  const Case cases[] = {
      {0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}, {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}, {-4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {3, {0, 3, 6, 9}},                   {10, {0}},                           {2147483647, {0}},
  };
  for (const Case& c : cases) {
    o.resampleCount = c.resampleCount;
    std::vector<int16_t> kept;
    for (const SensorSample& s : reference::ProcessedSamples(o, offered)) kept.push_back(s.seqno);
    EXPECT_EQ(kept, c.kept) << c.resampleCount;
  }
}

}  // namespace
