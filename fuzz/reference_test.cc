// Tests of the fuzz targets' reference readings: the number conversions,
// fields, lines and samples of text recordings, and configuration files.
#include "fuzz/reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/config_reference.h"

namespace {

using reference::ExpectedSample;

TEST(ReferenceNumbers, Integer) {
  struct Case {
    const char* text;
    int32_t value;
    bool digits;
  };
  const Case cases[] = {
      {"17", 17, true},
      {"  -42x", -42, true},
      {"+7", 7, true},
      {"\t\n\v\f\r 5", 5, true},
      {"1.9", 1, true},
      {"", 0, false},
      {"abc", 0, false},
      {"- 5", 0, false},
      {"2147483647", 2147483647, true},
      {"2147483648", 2147483647, true},
      {"-2147483648", -2147483647 - 1, true},
      {"-2147483649", -2147483647 - 1, true},
      {"000000000000000000000000012", 12, true},
      {"99999999999999999999999999", 2147483647, true},
  };
  for (const Case& c : cases) {
    bool digits = !c.digits;
    EXPECT_EQ(reference::Integer(c.text, &digits), c.value) << c.text;
    EXPECT_EQ(digits, c.digits) << c.text;
  }
}

TEST(ReferenceNumbers, Low16) {
  EXPECT_EQ(reference::Low16(40000), -25536);
  EXPECT_EQ(reference::Low16(70000), 4464);
  EXPECT_EQ(reference::Low16(-1), -1);
  EXPECT_EQ(reference::Low16(-32769), 32767);
  EXPECT_EQ(reference::Low16(int64_t{20000} * 2), -25536);
}

TEST(ReferenceNumbers, Real) {
  struct Case {
    const char* text;
    double value;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"2.9", 2.9},     {"-.5", -0.5},  {"  3.5\n", 3.5}, {"1e10", 1e10}, {"5.e3", 5000.0},
      {"1e", 1.0},      {"1e+", 1.0},   {"2E-1x", 0.2},   {".e5", 0.0},   {".", 0.0},
      {"0x10", 0.0},    {"inf", 0.0},   {"nan", 0.0},     {"-", 0.0},     {"1e400", inf},
      {"-1e400", -inf}, {"1e-400", 0.0}, {"12.75,", 12.75},
  };
  for (const Case& c : cases) EXPECT_EQ(reference::Real(c.text), c.value) << c.text;
}

TEST(ReferenceNumbers, NarrowToFloat) {
  const float largest = std::numeric_limits<float>::max();
  EXPECT_EQ(reference::NarrowToFloat(0.7), 0.7f);
  EXPECT_EQ(reference::NarrowToFloat(-2.5), -2.5f);
  EXPECT_EQ(reference::NarrowToFloat(static_cast<double>(largest) * (1 + std::ldexp(1.0, -25))), largest);
  EXPECT_EQ(reference::NarrowToFloat(1e39), std::numeric_limits<float>::infinity());
  EXPECT_EQ(reference::NarrowToFloat(-1e39), -std::numeric_limits<float>::infinity());
}

TEST(ReferenceText, FieldsAreMaximalRunsOfNonCommas) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(reference::Fields("1,,2"), (V{"1", "2"}));
  EXPECT_EQ(reference::Fields(",a,\n"), (V{"a", "\n"}));
  EXPECT_EQ(reference::Fields(",,,"), V{});
  EXPECT_EQ(reference::Fields(""), V{});
}

TEST(ReferenceText, LinesKeepTheirLineFeedAndTakeCrLfAsLf) {
  using V = std::vector<std::string>;
  EXPECT_EQ(reference::Lines("a\r\nb\n\nc"), (V{"a\n", "b\n", "\n", "c"}));
  EXPECT_EQ(reference::Lines("x\r\r\n\r"), (V{"x\r\n", "\r"}));
  EXPECT_EQ(reference::Lines(""), V{});
  EXPECT_TRUE(reference::IsDataLine("-1"));
  EXPECT_TRUE(reference::IsDataLine("7"));
  EXPECT_FALSE(reference::IsDataLine("+1"));
  EXPECT_FALSE(reference::IsDataLine(" 1"));
}

class ReferenceSample : public ::testing::Test {
 protected:
  void SetUp() override { InitOptions(&o_); }
  std::string Sample(bool real, const char* line) {
    SensorSample s;
    if (!ExpectedSample(o_, real, line, &s)) return "short";
    return reference::Describe(s);
  }
  ConversionOptions o_;
};

TEST_F(ReferenceSample, Defaults) {
  EXPECT_EQ(Sample(false, "17,100,-200,8192,5,6,7\n"), "0,100,-200,8192,5,6,7");
  EXPECT_EQ(Sample(false, "1,,2,3,4,5,6,7"), "0,2,3,4,5,6,7");
  EXPECT_EQ(Sample(false, "1,40000,1.9,3,4,5,6,extra"), "0,-25536,1,3,4,5,6");
  EXPECT_EQ(Sample(false, "1,2,3,4,5,6"), "short");
  // The line feed is a field of its own after a final comma.
  EXPECT_EQ(Sample(false, "1,2,3,4,5,6,\n"), "0,2,3,4,5,6,0");
}

TEST_F(ReferenceSample, LeadingColumnsAndSequenceNumber) {
  o_.seqnoIndex = 1;
  EXPECT_EQ(Sample(false, "17,100,-200,8192,5,6,7"), "17,100,-200,8192,5,6,7");
  o_.skipDataCount = 3;
  o_.seqnoIndex = 2;
  EXPECT_EQ(Sample(false, "1000,42,0,1,2,3,4,5,6"), "42,1,2,3,4,5,6");
  o_.skipDataCount = 1;
  EXPECT_EQ(Sample(false, "1000,42,0,1,2,3,4,5,6"), "0,42,0,1,2,3,4");
  o_.skipDataCount = -5;
  o_.seqnoIndex = 1;
  EXPECT_EQ(Sample(false, "9,1,2,3,4,5,6"), "9,1,2,3,4,5,6");
  o_.skipDataCount = 2147483647;
  EXPECT_EQ(Sample(false, "9,1,2,3,4,5,6"), "short");
}

TEST_F(ReferenceSample, Factors) {
  o_.accScalingFactor = 2;
  EXPECT_EQ(Sample(false, "0,20000,1,1,1,1,1"), "0,-25536,2,2,1,1,1");
  o_.gyroScalingFactor = 65537;
  EXPECT_EQ(Sample(false, "0,0,0,0,-3,70000,1"), "0,0,0,0,-3,4464,1");
  o_.accScalingFactorReal = 0.7f;
  EXPECT_EQ(Sample(true, "0,10,2.9,-2.9,-0.5,1e10,-1e10"), "0,6,2,-2,0,0,0");
  o_.gyroScalingFactorReal = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Sample(true, "0,0,0,0,1,2,3"), "0,0,0,0,0,0,0");
  o_.seqnoIndex = 1;
  EXPECT_EQ(Sample(true, "12.75,0,0,0,0,0,0"), "12,0,0,0,0,0,0");
}

TEST(ReferenceConfig, StoresAndLogsAsDocumented) {
  ConversionOptions start;
  InitOptions(&start);
  const reference::ConfigOutcome out = reference::ExpectedConfig(
      "filetype 2\r\nACCSCALINGFACTOR 0.7 remark\n #SEQNOINDEX 3\nSAMPLINGFREQUENCY=100\n"
      "FALLSTARTTHRESHOLD\t7\nRESAMPLECOUNT\nCUTOFFFREQUENCY \n# comment\n\t\n",
      "p.cnf", start);
  EXPECT_EQ(out.log,
            "LoadConfigFile : p.cnf\n\n  +FileType : 2\n  +AccScalingFactor : 0.700\n"
            "  +CutOffFrequency : 0\n\nLoadConfigFile : Complete.\n\n");
  EXPECT_EQ(out.options.fileType, 2);
  EXPECT_EQ(out.options.accScalingFactorReal, 0.7f);
  EXPECT_EQ(out.options.accScalingFactor, 1);
  EXPECT_EQ(out.options.cutOffFrequency, 0);
  EXPECT_EQ(out.options.seqnoIndex, 0);
  EXPECT_EQ(out.options.samplingFrequency, 50);
  EXPECT_EQ(out.options.fallStartThreshold, 60);
  EXPECT_EQ(reference::CheckLogShape(out.log, "p.cnf"), "");
}

TEST(ReferenceConfig, FactorReadByTheFileTypeInForce) {
  ConversionOptions start;
  InitOptions(&start);
  const reference::ConfigOutcome out =
      reference::ExpectedConfig("GYROSCALINGFACTOR 2.5\nFILETYPE 2\nGYROSCALINGFACTOR 1e39", "c", start);
  EXPECT_EQ(out.options.gyroScalingFactor, 2);
  EXPECT_EQ(out.options.gyroScalingFactorReal, std::numeric_limits<float>::infinity());
  EXPECT_EQ(reference::CheckLogShape(out.log, "c"), "");
}

TEST(ReferenceConfig, LogShapeFaults) {
  const char* bad[] = {
      "LoadConfigFile : other\n\n\nLoadConfigFile : Complete.\n\n",
      "LoadConfigFile : c\n\n\nLoadConfigFile : Complete.\n",
      "LoadConfigFile : c\n\n  +Nonsense : 1\n\nLoadConfigFile : Complete.\n\n",
      "LoadConfigFile : c\n\n  +FileType : x\n\nLoadConfigFile : Complete.\n\n",
      "LoadConfigFile : c\n\n  +AccScalingFactor : 0.70\n\nLoadConfigFile : Complete.\n\n",
      "LoadConfigFile : c\n\n +FileType : 1\n\nLoadConfigFile : Complete.\n\n",
  };
  for (const char* log : bad) EXPECT_NE(reference::CheckLogShape(log, "c"), "") << log;
  EXPECT_EQ(reference::CheckLogShape("LoadConfigFile : c\n\n  +AccScalingFactor : -inf\n  +FileType : -3\n\n"
                                     "LoadConfigFile : Complete.\n\n",
                                     "c"),
            "");
}

}  // namespace
