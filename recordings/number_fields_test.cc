// Number conversions: C-library semantics without the locale, saturation,
// and the same result however a field is split into pieces.
#include "recordings/number_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace numbers {
namespace {

struct IntCase {
  const char* text;
  int32_t value;
};

TEST(IntegerField, ConvertsLikeTheCLibraryAndSaturates) {
  const IntCase cases[] = {
      {"0", 0},           {"17", 17},         {"-200", -200},       {"+5", 5},
      {"  42", 42},       {"\t\v\f\r\n7", 7}, {"1.9", 1},           {"12.75", 12},
      {"", 0},            {"\n", 0},          {"abc", 0},           {"-", 0},
      {"- 5", 0},         {"+-5", 0},         {"0x1A", 0},          {"7\n", 7},
      {"2147483647", 2147483647},             {"2147483648", INT32_MAX},
      {"-2147483648", INT32_MIN},             {"-2147483649", INT32_MIN},
      {"99999999999999999999999", INT32_MAX}, {"-99999999999999999999999", INT32_MIN},
      {"000000000000000000000000000012", 12}, {"40000", 40000},
  };
  for (const IntCase& c : cases) {
    EXPECT_EQ(ParseInteger(c.text), c.value) << "text: \"" << c.text << "\"";
  }
}

struct RealCase {
  const char* text;
  double value;
};

TEST(RealField, ConvertsDecimalRealsOnly) {
  const RealCase cases[] = {
      {"2.5", 2.5},      {" 2.5", 2.5},   {"\n", 0.0},     {"-2.9", -2.9},   {"+2.9", 2.9},
      {".5", 0.5},       {"5.", 5.0},     {"1e3", 1000.0}, {"1E-2", 0.01},   {"1e", 1.0},
      {"1e+", 1.0},      {"1ex", 1.0},    {"2.5e1x", 25.0}, {".", 0.0},      {".e5", 0.0},
      {"0x1A", 0.0},     {"inf", 0.0},    {"nan", 0.0},    {"-inf", 0.0},    {"infinity", 0.0},
      {"12.75\n", 12.75}, {"1e10", 1e10}, {"0.1", 0.1},    {"abc", 0.0},     {"-", 0.0},
      {"1e400", std::numeric_limits<double>::infinity()}, {"-1e400", -std::numeric_limits<double>::infinity()},
      {"1e-400", 0.0},   {"0.0000000000000000000000000001", 1e-28},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(ParseReal(c.text), c.value) << "text: \"" << c.text << "\"";
  }
}

TEST(RealField, LongMantissasRoundCorrectly) {
  // 2^53 + 1, just above halfway between two doubles only by a 1 after 2000
  // zeros: the tail is beyond the digits kept, but must still count.
  std::string justAboveHalf = "9007199254740993." + std::string(2000, '0') + "1";
  EXPECT_EQ(ParseReal(justAboveHalf), 9007199254740994.0);
  // Exactly halfway between two doubles: ties to even.
  EXPECT_EQ(ParseReal("9007199254740993." + std::string(2000, '0')), 9007199254740992.0);
  // A long run of leading zeros in the fraction.
  EXPECT_EQ(ParseReal("0." + std::string(5000, '0') + "1e5001"), 1.0);
  // A long run of leading zeros before the integer part.
  EXPECT_EQ(ParseReal(std::string(5000, '0') + "2.5"), 2.5);
}

TEST(Fields, PiecewiseFeedingGivesTheSameValue) {
  const std::string texts[] = {"  -123456", "2147483650", "-17.25e-1", "3.14159265358979323846e2",
                               "1e", "0.000125", "12abc"};
  for (const std::string& text : texts) {
    for (size_t split = 0; split <= text.size(); ++split) {
      IntegerField i;
      i.Reset();
      i.Feed(text.data(), text.data() + split);
      i.Feed(text.data() + split, text.data() + text.size());
      EXPECT_EQ(i.Value(), ParseInteger(text)) << text << " split at " << split;
      RealField r;
      r.Reset();
      r.Feed(text.data(), text.data() + split);
      r.Feed(text.data() + split, text.data() + text.size());
      EXPECT_EQ(r.Value(), ParseReal(text)) << text << " split at " << split;
    }
  }
}

TEST(Fields, TellWhetherANumberLed) {
  bool has = true;
  EXPECT_EQ(ParseInteger("  x", &has), 0);
  EXPECT_FALSE(has);
  EXPECT_EQ(ParseInteger("-0", &has), 0);
  EXPECT_TRUE(has);
  EXPECT_EQ(ParseReal(".", &has), 0.0);
  EXPECT_FALSE(has);
  EXPECT_EQ(ParseReal("0.", &has), 0.0);
  EXPECT_TRUE(has);
  EXPECT_EQ(ParseReal("\n", &has), 0.0);
  EXPECT_FALSE(has);
}

TEST(NarrowToFloat, RoundsToNearestAndOverflowsToInfinity) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(NarrowToFloat(0.7), 0.7f);
  EXPECT_EQ(NarrowToFloat(3.4028235e38), std::numeric_limits<float>::max());
  EXPECT_EQ(NarrowToFloat(0x1.fffffefffffffp127), std::numeric_limits<float>::max());
  EXPECT_EQ(NarrowToFloat(0x1.ffffffp127), inf);
  EXPECT_EQ(NarrowToFloat(1e300), inf);
  EXPECT_EQ(NarrowToFloat(-1e300), -inf);
  EXPECT_TRUE(std::isnan(NarrowToFloat(std::nan(""))));
}

TEST(Low16, WrapsModulo65536) {
  EXPECT_EQ(Low16(40000), -25536);
  EXPECT_EQ(Low16(70000), 4464);
  EXPECT_EQ(Low16(static_cast<uint32_t>(-1)), -1);
  EXPECT_EQ(Low16(32768), -32768);
}

}  // namespace
}  // namespace numbers
