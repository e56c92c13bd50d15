// Data lines of both forms: field splitting, leading columns, the sequence
// number, 16-bit wrapping of integers, truncation and range checks of reals.
#include "recordings/line_parser.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

ConversionOptions Defaults() {
  ConversionOptions o;
  InitOptions(&o);
  return o;
}

struct Expect {
  int16_t seqno, ax, ay, az, gx, gy, gz;
};

void ExpectSample(const SensorSample& s, const Expect& e, const std::string& what) {
  EXPECT_EQ(s.seqno, e.seqno) << what;
  EXPECT_EQ(s.accX, e.ax) << what;
  EXPECT_EQ(s.accY, e.ay) << what;
  EXPECT_EQ(s.accZ, e.az) << what;
  EXPECT_EQ(s.gyroX, e.gx) << what;
  EXPECT_EQ(s.gyroY, e.gy) << what;
  EXPECT_EQ(s.gyroZ, e.gz) << what;
}

using namespace std::string_literals;

struct LineCase {
  const char* name;
  int32_t skipDataCount, seqnoIndex, accFactor, gyroFactor;
  std::string line;
  Expect expect;
};

TEST(ParseIntegerLine, FieldsLeadingColumnsAndWrapping) {
  const LineCase cases[] = {
      {"plain", 1, 0, 1, 1, "17,100,-200,8192,5,6,7\n", {0, 100, -200, 8192, 5, 6, 7}},
      {"seqno in column 1", 1, 1, 1, 1, "17,100,-200,8192,5,6,7\n", {17, 100, -200, 8192, 5, 6, 7}},
      {"empty field not counted", 1, 0, 1, 1, "1,,2,3,4,5,6,7\n", {0, 2, 3, 4, 5, 6, 7}},
      {"extra fields ignored", 1, 1, 1, 1, "9,1,2,3,4,5,6,777,888\n", {9, 1, 2, 3, 4, 5, 6}},
      {"skip 0 acts as 1", 0, 1, 1, 1, "9,1,2,3,4,5,6\n", {9, 1, 2, 3, 4, 5, 6}},
      {"skip negative acts as 1", -4, 1, 1, 1, "9,1,2,3,4,5,6\n", {9, 1, 2, 3, 4, 5, 6}},
      {"three leading, seqno 2", 3, 2, 1, 1, "1000,42,0,1,2,3,4,5,6\n", {42, 1, 2, 3, 4, 5, 6}},
      {"seqno past the leading columns", 1, 2, 1, 1, "17,100,-200,8192,5,6,7\n", {0, 100, -200, 8192, 5, 6, 7}},
      {"seqno wraps", 1, 1, 1, 1, "70000,0,0,0,0,0,0\n", {4464, 0, 0, 0, 0, 0, 0}},
      {"value wraps", 1, 0, 1, 1, "0,40000,70000,-40000,0,0,0\n", {0, -25536, 4464, 25536, 0, 0, 0}},
      {"integer stops at the point", 1, 0, 1, 1, "0,1.9,-1.9,0,0,0,0\n", {0, 1, -1, 0, 0, 0, 0}},
      {"factor then wrap", 1, 0, 2, 3, "0,20000,-100,5,20000,1,-1\n", {0, -25536, -200, 10, -5536, 3, -3}},
      {"product modulo 2^32", 1, 0, INT32_MAX, INT32_MIN, "0,32767,-32768,1,32767,-32768,1\n",
       {0, -32767, -32768, -1, 0, 0, 0}},
      {"trailing comma: LF alone is a field", 1, 0, 1, 1, "1,2,3,4,5,6,\n", {0, 2, 3, 4, 5, 6, 0}},
      {"not a number converts to 0", 1, 1, 1, 1, "x,a,2,b3,4,5,6\n", {0, 0, 2, 0, 4, 5, 6}},
      {"white space before a value", 1, 0, 1, 1, "1, 2,\t3, 4,5,6,7\n", {0, 2, 3, 4, 5, 6, 7}},
      {"NUL and 0x1A are ordinary", 1, 0, 1, 1, "1,2\x1a,3\0,4,5,6,7\n"s, {0, 2, 3, 4, 5, 6, 7}},
      {"NUL is no field separator", 1, 0, 1, 1, "1\0,2,3,4,5,6,7\0\n"s, {0, 2, 3, 4, 5, 6, 7}},
      {"saturation before the cut", 1, 0, 1, 1, "0,99999999999,-99999999999,0,0,0,0\n", {0, -1, 0, 0, 0, 0, 0}},
  };
  for (const LineCase& c : cases) {
    ConversionOptions o = Defaults();
    o.skipDataCount = c.skipDataCount;
    o.seqnoIndex = c.seqnoIndex;
    o.accScalingFactor = c.accFactor;
    o.gyroScalingFactor = c.gyroFactor;
    SensorSample s{};
    ASSERT_EQ(ParseIntegerLine(o, c.line, &s), 0) << c.name;
    ExpectSample(s, c.expect, c.name);
  }
}

TEST(ParseRealLine, TruncatesScalesAndChecksTheRange) {
  const float inf = std::numeric_limits<float>::infinity();
  struct RealCase {
    const char* name;
    float accFactor, gyroFactor;
    const char* line;
    Expect expect;
  };
  const RealCase cases[] = {
      {"truncation toward zero", 1.0f, 1.0f, "1,2.9,-2.9,-0.5,0.5,3,-3\n", {0, 2, -2, 0, 0, 3, -3}},
      {"factor held in single precision", 0.7f, 1.0f, "1,10,0,0,0,0,0\n", {0, 6, 0, 0, 0, 0, 0}},
      {"beyond 32 bits stores 0", 1.0f, 1.0f, "1,1e10,-1e10,2147483647.9,-2147483648.9,-2147483649,0\n",
       {0, 0, 0, -1, 0, 0, 0}},
      {"wraps within 32 bits", 8192.0f, 65.536f, "1,4.5,-4.5,1,100,-500,600\n",
       {0, -28672, 28672, 8192, 6553, -32768, -26215}},
      {"infinite factor stores 0", inf, -inf, "1,1,0,-1,1,0,-1\n", {0, 0, 0, 0, 0, 0, 0}},
      {"no hex, inf or nan", 1.0f, 1.0f, "1,0x1A,inf,nan,+7.5,.5,-.5e1\n", {0, 0, 0, 0, 7, 0, -5}},
  };
  for (const RealCase& c : cases) {
    ConversionOptions o = Defaults();
    o.fileType = 2;
    o.accScalingFactorReal = c.accFactor;
    o.gyroScalingFactorReal = c.gyroFactor;
    SensorSample s{};
    ASSERT_EQ(ParseRealLine(o, c.line, &s), 0) << c.name;
    ExpectSample(s, c.expect, c.name);
  }
}

TEST(ParseRealLine, SequenceNumberIsAnInteger) {
  ConversionOptions o = Defaults();
  o.seqnoIndex = 1;
  SensorSample s{};
  ASSERT_EQ(ParseRealLine(o, "12.75,1,2,3,4,5,6\n", &s), 0);
  EXPECT_EQ(s.seqno, 12);
}

TEST(LineParser, TooFewFieldsIsNoSample) {
  ConversionOptions o = Defaults();
  SensorSample s{};
  EXPECT_EQ(ParseIntegerLine(o, "1,2,3,4,5,6\n", &s), -1);
  EXPECT_EQ(ParseIntegerLine(o, "1,2,3,4,5,6,", &s), -1);
  EXPECT_EQ(ParseIntegerLine(o, "1,,,,,,,,2,3\n", &s), -1);
  EXPECT_EQ(ParseIntegerLine(o, "1,2,3,4,5,6,7", &s), 0);  // the last line may lack its LF
  o.skipDataCount = 3;
  EXPECT_EQ(ParseIntegerLine(o, "1,2,3,4,5,6,7,8\n", &s), -1);
  EXPECT_EQ(ParseIntegerLine(o, "1,2,3,4,5,6,7,8,9\n", &s), 0);
  o.skipDataCount = INT32_MAX;  // never enough fields, and no overflow
  EXPECT_EQ(ParseIntegerLine(o, "1,2,3,4,5,6,7,8,9\n", &s), -1);
}

TEST(LineParser, PiecewiseFeedingGivesTheSameSample) {
  const std::string lines[] = {"17,100,-200,8192,5,6,7\n", "1,,2,3,4,5,6,7\n", "3,1.5e1,-2.25,7,8,9,10,11\n",
                               "1,2,3,4,5,6,\n", "99,  -7,+8,,9,  10,11,12"};
  for (bool real : {false, true}) {
    ConversionOptions o = Defaults();
    o.seqnoIndex = 1;
    for (const std::string& line : lines) {
      SensorSample whole{};
      LineParser reference(o, real);
      reference.BeginLine();
      reference.Feed(line.data(), line.data() + line.size());
      ASSERT_TRUE(reference.EndLine(&whole));
      if (!real) {
        // The one-pass form for lines held whole in memory agrees.
        SensorSample fast{};
        LineParser parser(o, false);
        ASSERT_TRUE(parser.ParseIntegerLineInMemory(line.data(), line.data() + line.size(), &fast));
        ExpectSample(fast, {whole.seqno, whole.accX, whole.accY, whole.accZ, whole.gyroX, whole.gyroY, whole.gyroZ},
                     line + " in one pass");
      }
      for (size_t a = 0; a <= line.size(); ++a) {
        for (size_t b = a; b <= line.size(); ++b) {
          LineParser parser(o, real);
          parser.BeginLine();
          // Once the parser says it needs no more, the rest is skipped.
          if (!parser.Feed(line.data(), line.data() + a) && !parser.Feed(line.data() + a, line.data() + b)) {
            parser.Feed(line.data() + b, line.data() + line.size());
          }
          SensorSample s{};
          ASSERT_TRUE(parser.EndLine(&s));
          ExpectSample(s, {whole.seqno, whole.accX, whole.accY, whole.accZ, whole.gyroX, whole.gyroY, whole.gyroZ},
                       line + " split at " + std::to_string(a) + "," + std::to_string(b));
        }
      }
    }
  }
}

TEST(LineParser, CountsValuesCutTo16Bits) {
  struct CountCase {
    bool real;
    int32_t factor;
    const char* line;
    int64_t count;
  };
  const CountCase cases[] = {
      {false, 1, "0,32767,-32768,0,0,0,0\n", 0},
      {false, 1, "0,32768,-32769,0,0,0,0\n", 2},
      {false, 2, "0,20000,100,0,0,0,0\n", 1},   // the product wraps
      {false, 1, "99999,0,0,0,0,0,0\n", 0},     // the sequence number is not a sensor value
      {true, 1, "0,40000.5,-32768.9,32767.9,1e10,0,0\n", 2},
  };
  for (const CountCase& c : cases) {
    ConversionOptions o = Defaults();
    o.accScalingFactor = c.factor;
    LineParser parser(o, c.real);
    parser.BeginLine();
    parser.Feed(c.line, c.line + std::char_traits<char>::length(c.line));
    SensorSample s{};
    ASSERT_TRUE(parser.EndLine(&s));
    EXPECT_EQ(parser.valuesOutOfRange(), c.count) << c.line;
  }
}

}  // namespace
