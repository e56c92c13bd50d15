// The sample processor: filter response, magnitudes, free-fall counter,
// differences, decimation, frequency fall-back and the header's groups.
#include "features/processor.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/test_util.h"

namespace {

using testutil::Fields;
using testutil::Lines;
using testutil::ReadFile;
using testutil::TempDir;

class ProcessorTest : public ::testing::Test {
 protected:
  ProcessorTest() { InitOptions(&options_); }

  // Runs the samples through a processor; returns the file's lines.
  std::vector<std::string> Run(const std::vector<SensorSample>& samples) {
    const std::string out = dir_.file("out_JUX.csv");
    SampleProcessor p;
    std::string error;
    EXPECT_EQ(OpenProcessor(&p, &options_, out, &error), 0) << error;
    for (const SensorSample& s : samples) EXPECT_EQ(ProcessSample(&p, &s), 0);
    EXPECT_EQ(CloseProcessor(&p, &error), 0) << error;
    return Lines(ReadFile(out));
  }

  // Column of every row (the header is skipped).
  static std::vector<int> Column(const std::vector<std::string>& lines, size_t column) {
    std::vector<int> values;
    for (size_t i = 1; i < lines.size(); ++i) values.push_back(Fields(lines[i]).at(column));
    return values;
  }

  static std::vector<SensorSample> Still(int n, int16_t gyroX = 0) {
    return std::vector<SensorSample>(static_cast<size_t>(n), SensorSample{0, 0, 0, 8192, gyroX, 0, 0});
  }

  ConversionOptions options_;
  TempDir dir_;
};

// Columns with the default options.
enum { kSeqno, kAccX, kAccY, kAccZ, kGyroX, kGyroY, kGyroZ, kLpfAcc, kRawAcc, kLpfOmega, kRawOmega,
       kFallCounter, kRoll, kPitch, kYaw, kAccDiff, kOmegaDiff, kRollDiff, kPitchDiff, kYawDiff };

const char kDefaultHeaderTail[] =
    ", fall_counter, roll, pitch, yaw, acc_diff, omega_diff, roll_diff, pitch_diff, yaw_diff";

TEST_F(ProcessorTest, StepResponseOfTheFilterAtRest) {
  const auto lines = Run(Still(30));
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[0], std::string(kFeatureHeaderStart) + kDefaultHeaderTail);
  const std::vector<int> lpf = Column(lines, kLpfAcc);
  const std::vector<int> expectStart = {23, 60, 79, 89, 94, 97, 98};
  EXPECT_EQ(std::vector<int>(lpf.begin(), lpf.begin() + 7), expectStart);
  for (int row = 8; row <= 23; ++row) EXPECT_EQ(lpf[row - 1], 99) << "row " << row;
  for (int row = 24; row <= 30; ++row) EXPECT_EQ(lpf[row - 1], 100) << "row " << row;

  const std::vector<int> fall = Column(lines, kFallCounter);
  EXPECT_EQ(std::vector<int>(fall.begin(), fall.begin() + 4), (std::vector<int>{1, 2, 0, 0}));
  const std::vector<int> diff = Column(lines, kAccDiff);
  EXPECT_EQ(std::vector<int>(diff.begin(), diff.begin() + 9), (std::vector<int>{23, 37, 19, 10, 5, 3, 1, 1, 0}));
  for (int v : Column(lines, kRawAcc)) EXPECT_EQ(v, 100);
  for (int v : Column(lines, kLpfOmega)) EXPECT_EQ(v, 0);
  for (int v : Column(lines, kRawOmega)) EXPECT_EQ(v, 0);
  for (int v : Column(lines, kOmegaDiff)) EXPECT_EQ(v, 0);
  // Lying flat: the orientation stays the identity, roll 0, pitch -90, yaw 0.
  EXPECT_EQ(lines[1], "0,0,0,8192,0,0,0,23,100,0,0,1,0,-90,0,23,0,0,-90,0");
  EXPECT_EQ(lines[2], "0,0,0,8192,0,0,0,60,100,0,0,2,0,-90,0,37,0,0,0,0");
}

TEST_F(ProcessorTest, AngularRateFollowsTheSameFilter) {
  const auto lines = Run(Still(10, 6554));
  for (int v : Column(lines, kRawOmega)) EXPECT_EQ(v, 100);
  const std::vector<int> lpf = Column(lines, kLpfOmega);
  EXPECT_EQ(std::vector<int>(lpf.begin(), lpf.begin() + 3), (std::vector<int>{23, 60, 79}));
  EXPECT_EQ(Column(lines, kOmegaDiff)[0], 23);  // the first row's difference is its own value
}

TEST_F(ProcessorTest, DifferencesUseTheRowBeforeAcrossTheRingWrap) {
  // A ramp of lpf values long enough to wrap the 64-slot history twice.
  std::vector<SensorSample> samples;
  for (int i = 0; i < 200; ++i) samples.push_back({0, 0, 0, static_cast<int16_t>(i * 100), 0, 0, 0});
  const auto lines = Run(samples);
  const std::vector<int> lpf = Column(lines, kLpfAcc);
  const std::vector<int> diff = Column(lines, kAccDiff);
  EXPECT_EQ(diff[0], lpf[0]);
  for (size_t i = 1; i < lpf.size(); ++i) EXPECT_EQ(diff[i], lpf[i] - lpf[i - 1]) << "row " << i + 1;
}

TEST_F(ProcessorTest, Decimation) {
  struct Case {
    int32_t resampleCount;
    std::vector<int> lpfAcc;
  };
  const Case cases[] = {
      {3, {23, 60, 79, 89}},  // samples 1, 4, 7 and 10; the filter advances only on those
      {0, {23, 60, 79, 89, 94, 97, 98, 99, 99, 99}},
      {-2, {23, 60, 79, 89, 94, 97, 98, 99, 99, 99}},
      {1, {23, 60, 79, 89, 94, 97, 98, 99, 99, 99}},  // 1 keeps every sample, as 0 does
      {20, {23}},
  };
  for (const Case& c : cases) {
    InitOptions(&options_);
    options_.resampleCount = c.resampleCount;
    EXPECT_EQ(Column(Run(Still(10)), kLpfAcc), c.lpfAcc) << "resampleCount " << c.resampleCount;
  }
}

TEST_F(ProcessorTest, SamplingFrequencyFallBackChangesTheCallersRecord) {
  options_.samplingFrequency = 0;
  options_.cutOffFrequency = 40;
  const auto lines = Run(Still(3));
  EXPECT_EQ(Column(lines, kLpfAcc), (std::vector<int>{23, 60, 79}));
  EXPECT_EQ(options_.samplingFrequency, 50);
  EXPECT_EQ(options_.cutOffFrequency, 5);
}

TEST_F(ProcessorTest, CutOffZeroHoldsTheFilteredValuesAtZero) {
  options_.cutOffFrequency = 0;
  const auto lines = Run(Still(5, 6554));
  EXPECT_EQ(Column(lines, kLpfAcc), (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(Column(lines, kLpfOmega), (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(Column(lines, kFallCounter), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(ProcessorTest, NegativeCutOffIsRefusedBeforeAnythingIsCreated) {
  options_.cutOffFrequency = -5;
  SampleProcessor p;
  std::string error;
  EXPECT_EQ(OpenProcessor(&p, &options_, dir_.file("out_JUX.csv"), &error), -1);
  EXPECT_NE(error.find("unstable"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("out_JUX.csv")));
}

TEST_F(ProcessorTest, NegativeValuesAndMagnitudesIndependentOfSign) {
  const auto lines = Run({{-5, -8192, 0, 0, -6554, 0, 0}, {7, 8192, 0, 0, 6554, 0, 0}});
  EXPECT_EQ(lines[1].substr(0, 22), "-5,-8192,0,0,-6554,0,0");
  EXPECT_EQ(Column(lines, kRawAcc), (std::vector<int>{100, 100}));
  EXPECT_EQ(Column(lines, kRawOmega), (std::vector<int>{100, 100}));
}

TEST_F(ProcessorTest, HeaderAndRowGroupsFollowTheFlags) {
  struct Case {
    int32_t fallCounterOut, postureOut, rmsDiffOut, postureDiffOut;
    const char* headerTail;
    const char* row2Tail;  // after raw_omega, on the second row
  };
  const Case cases[] = {
      {1, 1, 1, 1, kDefaultHeaderTail, ",2,0,-90,0,37,0,0,0,0"},
      {0, 1, 1, 1, ", roll, pitch, yaw, acc_diff, omega_diff, roll_diff, pitch_diff, yaw_diff", ",0,-90,0,37,0,0,0,0"},
      {1, 0, 1, 1, ", fall_counter, acc_diff, omega_diff, roll_diff, pitch_diff, yaw_diff", ",2,37,0,0,0,0"},
      {1, 1, 0, 1, ", fall_counter, roll, pitch, yaw, roll_diff, pitch_diff, yaw_diff", ",2,0,-90,0,0,0,0"},
      {1, 1, 1, 0, ", fall_counter, roll, pitch, yaw, acc_diff, omega_diff", ",2,0,-90,0,37,0"},
      {0, 0, 0, 0, "", ""},
  };
  for (const Case& c : cases) {
    InitOptions(&options_);
    options_.fallCounterOut = c.fallCounterOut;
    options_.postureOut = c.postureOut;
    options_.rmsDiffOut = c.rmsDiffOut;
    options_.postureDiffOut = c.postureDiffOut;
    const auto lines = Run(Still(2));
    EXPECT_EQ(lines[0], std::string(kFeatureHeaderStart) + c.headerTail);
    EXPECT_EQ(lines[2], std::string("0,0,0,8192,0,0,0,60,100,0,0") + c.row2Tail);
  }
}

TEST_F(ProcessorTest, NoSamplesGivesTheHeaderAlone) {
  const auto lines = Run({});
  ASSERT_EQ(lines.size(), 1u);
}

TEST_F(ProcessorTest, FallCounterThresholdIsStrict) {
  options_.fallStartThreshold = 79;
  // Row 3's lpf_acc is exactly 79: not above the threshold, so it counts.
  EXPECT_EQ(Column(Run(Still(4)), kFallCounter), (std::vector<int>{1, 2, 3, 0}));
}

}  // namespace
