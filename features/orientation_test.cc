// Roll, pitch and yaw from a quaternion, the pitch wrap and the level
// compensation window, and the orientation columns of whole files.
#include "features/orientation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "features/processor.h"
#include "tests/test_util.h"

namespace {

const double h = std::sqrt(0.5);

TEST(AnglesOf, QuarterAndHalfTurns) {
  struct Case {
    const char* name;
    double w, x, y, z;
    int32_t roll, pitch, yaw;
  };
  const Case cases[] = {
      {"identity", 1, 0, 0, 0, 0, -90, 0},
      // atan2 of the float-rounded arguments is slightly above 90 degrees.
      {"quarter turn about x", h, h, 0, 0, 0, 0, 0},
      // 2 (w y) exceeds 1 in double but rounds to exactly 1 in float.
      {"quarter turn about y", h, 0, h, 0, 90, -90, 0},
      {"quarter turn about z", h, 0, 0, h, 0, -90, 90},
      {"half turn about x", 0, 1, 0, 0, 0, 90, 0},
      {"half turn about z", 0, 0, 0, 1, 0, -90, 180},
  };
  for (const Case& c : cases) {
    const Angles a = AnglesOf(c.w, c.x, c.y, c.z);
    EXPECT_EQ(a.roll, c.roll) << c.name;
    EXPECT_EQ(a.pitch, c.pitch) << c.name;
    EXPECT_EQ(a.yaw, c.yaw) << c.name;
    EXPECT_FALSE(a.rollUndefined || a.pitchUndefined || a.yawUndefined) << c.name;
  }
}

TEST(AnglesOf, InverseSineArgumentIsClampedToOne) {
  // A norm drifted slightly above 1 pushes 2 (w y - x z) past 1 in float too.
  const double s = 1.0 + 1e-6;
  const Angles up = AnglesOf(h * s, 0, h * s, 0);
  EXPECT_EQ(up.roll, 90);
  EXPECT_FALSE(up.rollUndefined);
  const Angles down = AnglesOf(h * s, 0, -h * s, 0);
  EXPECT_EQ(down.roll, -90);
}

TEST(AnglesOf, NotANumberIsWrittenAsZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Angles a = AnglesOf(nan, 0, 0, 0);
  EXPECT_EQ(a.roll, 0);
  EXPECT_EQ(a.pitch, 0);
  EXPECT_EQ(a.yaw, 0);
  EXPECT_TRUE(a.rollUndefined && a.pitchUndefined && a.yawUndefined);
  // An undefined angle teaches no offset, inside the window.
  Angles b = a;
  int32_t roll = 0, pitch = 0;
  LevelAngles(&b, true, 50, 100, &roll, &pitch);
  EXPECT_EQ(roll, 0);
  EXPECT_EQ(pitch, 0);
}

TEST(LevelAngles, PitchWrap) {
  struct Case {
    int32_t pitch, written;
  };
  for (const Case& c : {Case{-210, 150}, Case{-180, -180}, Case{-181, 179}, Case{-270, 90}, Case{0, 0}}) {
    for (bool compensate : {false, true}) {
      Angles a{0, c.pitch, 0, false, false, false};
      int32_t roll = 0, pitch = 0;
      LevelAngles(&a, compensate, 0, 100, &roll, &pitch);
      EXPECT_EQ(a.pitch, c.written) << c.pitch << " compensate " << compensate;
    }
  }
  // Through the angles: a rotation of -120.5 degrees about x.
  const double half = -120.5 / 2.0 * 3.141592653589793 / 180.0;
  Angles a = AnglesOf(std::cos(half), std::sin(half), 0, 0);
  EXPECT_EQ(a.pitch, -210);
  int32_t roll = 0, pitch = 0;
  LevelAngles(&a, false, 0, 100, &roll, &pitch);
  EXPECT_EQ(a.pitch, 150);
}

TEST(LevelAngles, LearningWindowAndStrictBounds) {
  struct Case {
    const char* name;
    int32_t rowCount, rawAcc, roll, pitch;
    int32_t learnedRoll, learnedPitch;
  };
  const Case cases[] = {
      {"row 51 learns", 50, 100, 5, 7, -5, -7},
      {"row 60 learns", 59, 100, 5, 7, -5, -7},
      {"row 50 does not", 49, 100, 5, 7, 0, 0},
      {"row 61 does not", 60, 100, 5, 7, 0, 0},
      {"raw_acc 95 does not", 50, 95, 5, 7, 0, 0},
      {"raw_acc 105 does not", 50, 105, 5, 7, 0, 0},
      {"raw_acc 96 does", 50, 96, 5, 7, -5, -7},
      {"raw_acc 104 does", 50, 104, 5, 7, -5, -7},
      {"roll 20 does not", 50, 100, 20, 7, 0, -7},
      {"roll -20 does not", 50, 100, -20, 7, 0, -7},
      {"roll 19 does", 50, 100, 19, 7, -19, -7},
      {"pitch 40 does not", 50, 100, 5, 40, -5, 0},
      {"pitch -40 does not", 50, 100, 5, -40, -5, 0},
      {"pitch -39 does", 50, 100, 5, -39, -5, 39},
  };
  for (const Case& c : cases) {
    Angles a{c.roll, c.pitch, 0, false, false, false};
    int32_t roll = 0, pitch = 0;
    LevelAngles(&a, true, c.rowCount, c.rawAcc, &roll, &pitch);
    EXPECT_EQ(roll, c.learnedRoll) << c.name;
    EXPECT_EQ(pitch, c.learnedPitch) << c.name;
    // The learning sample itself is written as computed.
    EXPECT_EQ(a.roll, c.roll) << c.name;
    EXPECT_EQ(a.pitch, c.pitch) << c.name;
  }
}

TEST(LevelAngles, LearnedOffsetsApplyToLaterRowsAndZeroCanBeLearnedAgain) {
  int32_t roll = 0, pitch = 0;
  Angles a{0, 0, 7, false, false, false};
  LevelAngles(&a, true, 50, 100, &roll, &pitch);  // a roll of 0 teaches nothing
  EXPECT_EQ(roll, 0);
  Angles b{3, 4, 7, false, false, false};
  LevelAngles(&b, true, 51, 100, &roll, &pitch);
  EXPECT_EQ(roll, -3);
  EXPECT_EQ(pitch, -4);
  Angles c{10, -200, 9, false, false, false};  // later rows: offsets added, pitch wrapped first
  LevelAngles(&c, true, 200, 300, &roll, &pitch);
  EXPECT_EQ(c.roll, 7);
  EXPECT_EQ(c.pitch, 156);
  EXPECT_EQ(c.yaw, 9);  // yaw is never compensated
  // Compensation off: nothing learned, nothing added.
  int32_t r2 = 0, p2 = 0;
  Angles d{5, 5, 0, false, false, false};
  LevelAngles(&d, false, 50, 100, &r2, &p2);
  EXPECT_EQ(r2, 0);
  EXPECT_EQ(d.roll, 5);
}

// Whole files: the orientation columns of a processed recording.
class OrientationFileTest : public ::testing::Test {
 protected:
  OrientationFileTest() { InitOptions(&options_); }
  std::vector<std::vector<int>> Rows(const std::vector<SensorSample>& samples) {
    const std::string out = dir_.file("o_JUX.csv");
    SampleProcessor p;
    std::string error;
    EXPECT_EQ(OpenProcessor(&p, &options_, out, &error), 0) << error;
    for (const SensorSample& s : samples) ProcessSample(&p, &s);
    EXPECT_EQ(CloseProcessor(&p, &error), 0) << error;
    std::vector<std::vector<int>> rows;
    const auto lines = testutil::Lines(testutil::ReadFile(out));
    for (size_t i = 1; i < lines.size(); ++i) rows.push_back(testutil::Fields(lines[i]));
    return rows;
  }
  enum { kRawAcc = 8, kRoll = 12, kPitch = 13, kYaw = 14, kRollDiff = 17, kPitchDiff = 18, kYawDiff = 19 };
  ConversionOptions options_;
  testutil::TempDir dir_;
};

TEST_F(OrientationFileTest, ZeroRowsAndALevelSensorKeepSensibleAngles) {
  // Rows of zeros first (no acceleration at all), then a sensor lying
  // exactly flat (its acceleration on the reference line).
  std::vector<SensorSample> samples(20, SensorSample{0, 0, 0, 0, 0, 0, 0});
  samples.resize(200, SensorSample{0, 0, 0, -8192, 0, 0, 0});
  const auto rows = Rows(samples);
  ASSERT_EQ(rows.size(), 200u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][kRoll], 0) << "row " << i + 1;
    EXPECT_EQ(rows[i][kPitch], -90) << "row " << i + 1;
    EXPECT_EQ(rows[i][kYaw], 0) << "row " << i + 1;
  }
  // The first row's differences are its own angles.
  EXPECT_EQ(rows[0][kRollDiff], 0);
  EXPECT_EQ(rows[0][kPitchDiff], -90);
  EXPECT_EQ(rows[0][kYawDiff], 0);
}

TEST_F(OrientationFileTest, UpsideDownStartStaysFinite) {
  // Acceleration exactly opposite the reference: no correction axis at the
  // first update; the rows must hold ordinary angles, never garbage.
  const auto rows = Rows(std::vector<SensorSample>(300, SensorSample{0, 0, 0, 8192, 0, 0, 0}));
  for (const auto& row : rows) {
    EXPECT_GE(row[kRoll], -90);
    EXPECT_LE(row[kRoll], 90);
    EXPECT_GE(row[kPitch], -180);
    EXPECT_LE(row[kPitch], 180);
    EXPECT_GE(row[kYaw], -180);
    EXPECT_LE(row[kYaw], 180);
  }
}

TEST_F(OrientationFileTest, CompensationLearnsOnRow51AndLevelsLaterRows) {
  // A still sensor tilted about y and x: roll and pitch settle near level
  // but not at 0.
  const double tilt = 5.0 * 3.141592653589793 / 180.0;
  const auto ax = static_cast<int16_t>(std::lround(8192 * std::sin(tilt)));
  const auto ay = static_cast<int16_t>(std::lround(-8192 * std::sin(tilt)));
  const auto az = static_cast<int16_t>(std::lround(-8192 * std::cos(tilt) * std::cos(tilt)));
  const std::vector<SensorSample> samples(120, SensorSample{0, ax, ay, az, 0, 0, 0});
  const auto plain = Rows(samples);
  options_.rollPitchCompensation = 1;
  const auto levelled = Rows(samples);
  const int roll51 = plain[50][kRoll];
  ASSERT_NE(roll51, 0);
  ASSERT_GT(plain[50][kRawAcc], 95);
  ASSERT_LT(plain[50][kRawAcc], 105);
  for (size_t i = 0; i <= 50; ++i) EXPECT_EQ(levelled[i][kRoll], plain[i][kRoll]) << "row " << i + 1;
  for (size_t i = 51; i < plain.size(); ++i) {
    EXPECT_EQ(levelled[i][kRoll], plain[i][kRoll] - roll51) << "row " << i + 1;
    EXPECT_EQ(levelled[i][kYaw], plain[i][kYaw]) << "row " << i + 1;
  }
  // Pitch near -90 is outside the learning band: never compensated.
  for (size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(levelled[i][kPitch], plain[i][kPitch]) << "row " << i + 1;
}

}  // namespace
