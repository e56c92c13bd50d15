// The square roots of the magnitudes and the sine and cosine of the
// estimator, checked against the library functions they may be replaced by.
//
// A magnitude is the double power function's pow(S, 0.5) of a float sum of
// squares S, rounded to float.  For every non-negative finite float that
// equals the correctly rounded float square root, bit for bit; these tests
// check it on a large sample of all floats and on the values where a
// rounding error would show first (tools/check_sqrt checks every float).
// GCC turns a sine and a cosine of one argument into one sincos call, which
// keeps the results only because glibc's sincos gives the bits of its sin
// and cos; the last test checks that too.
#include <gtest/gtest.h>
#include <math.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "features/stages.h"

namespace {

uint32_t Bits(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

[[maybe_unused]] uint64_t Bits(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

float FloatOf(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

[[maybe_unused]] double DoubleOf(uint64_t bits) {
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// The square root as the magnitudes define it.
float RootViaPow(float x) { return static_cast<float>(std::pow(static_cast<double>(x), 0.5)); }

// Compares the two roots of many values; keeps the first few mismatches
// for the failure message.
class RootComparison {
 public:
  void Check(float x) {
    ++checked_;
    const float viaPow = RootViaPow(x);
    const float root = std::sqrt(x);  // the float overload
    if (Bits(viaPow) == Bits(root)) return;
    if (++mismatches_ <= 10) {
      examples_ << "\n  x = " << x << " (bits 0x" << std::hex << Bits(x) << "): pow gives bits 0x" << Bits(viaPow)
                << ", sqrt 0x" << Bits(root) << std::dec;
    }
  }
  // x and its neighbours up to n steps of the bit pattern on either side,
  // kept within the non-negative finite floats.
  void CheckAround(float x, int n) {
    const int64_t centre = Bits(x);
    for (int64_t b = centre - n; b <= centre + n; ++b) {
      if (b >= 0 && b <= 0x7F7FFFFF) Check(FloatOf(static_cast<uint32_t>(b)));
    }
  }
  void ExpectNone() const {
    EXPECT_EQ(mismatches_, 0) << "of " << checked_ << " floats" << examples_.str();
    EXPECT_GT(checked_, 0);
  }
  int64_t checked() const { return checked_; }

 private:
  int64_t checked_ = 0;
  int64_t mismatches_ = 0;
  std::ostringstream examples_;
};

constexpr uint32_t kLargestFinite = 0x7F7FFFFF;  // FLT_MAX

TEST(SquareRootTest, EveryNinetySeventhFloat) {
  // A prime stride: every low-bit pattern of the significand and every
  // exponent is visited.
  RootComparison c;
  for (uint64_t b = 0; b <= kLargestFinite; b += 97) c.Check(FloatOf(static_cast<uint32_t>(b)));
  c.ExpectNone();
  EXPECT_EQ(c.checked(), kLargestFinite / 97 + 1);
}

TEST(SquareRootTest, EveryFloatFromOneToFour) {
  // Two whole binades: every significand with an even and an odd exponent.
  RootComparison c;
  for (uint32_t b = Bits(1.0f); b < Bits(4.0f); ++b) c.Check(FloatOf(b));
  c.ExpectNone();
}

TEST(SquareRootTest, EveryDenormal) {
  RootComparison c;
  for (uint32_t b = 0; b < Bits(FLT_MIN); ++b) c.Check(FloatOf(b));
  c.ExpectNone();
}

TEST(SquareRootTest, BoundaryValues) {
  const float kValues[] = {
      0.0f, std::numeric_limits<float>::denorm_min(), FLT_MIN, FLT_MAX, FLT_EPSILON, 1.0f, 2.0f, 0.5f, 0.25f,
      3.0f, 100.0f, 1e-30f, 1e30f,
      // Squares of the magnitudes at the limits of the sensor counts.
      3.0f * 4.0f * 4.0f, 3.0f * 500.0f * 500.0f, 1.0f / (8192.0f * 8192.0f), 1.0f / (65.536f * 65.536f)};
  RootComparison c;
  for (float x : kValues) c.CheckAround(x, 16);
  c.ExpectNone();
}

TEST(SquareRootTest, AroundEveryPowerOfTwo) {
  RootComparison c;
  for (int e = -149; e <= 127; ++e) c.CheckAround(std::ldexp(1.0f, e), 8);
  c.ExpectNone();
}

TEST(SquareRootTest, AroundPerfectSquaresAndHalfwayRoots) {
  // r * r is exact for r with at most 12 significant bits; (m + 1/2)^2 is
  // the square of a value halfway between two floats, whose root is the
  // hardest to round.
  RootComparison c;
  for (int e : {-70, -24, -12, 0, 12, 24, 60}) {
    for (uint32_t r = 2048; r < 4096; r += 3) {
      const float exact = std::ldexp(static_cast<float>(r), e);
      c.CheckAround(exact * exact, 3);
    }
    for (uint32_t m = (1u << 23); m < (1u << 24); m += 4099) {
      const double halfway = std::ldexp(static_cast<double>(m) + 0.5, e - 23);
      c.CheckAround(static_cast<float>(halfway * halfway), 3);
    }
  }
  c.ExpectNone();
}

TEST(SquareRootTest, InfinityAndValuesWithoutARoot) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Bits(RootViaPow(inf)), Bits(inf));
  EXPECT_EQ(Bits(std::sqrt(inf)), Bits(inf));
  for (float x : {-1.0f, -FLT_MIN, -FLT_MAX, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_TRUE(std::isnan(RootViaPow(x))) << x;
    EXPECT_TRUE(std::isnan(std::sqrt(x))) << x;
  }
  // Below every finite value the two part: pow(-inf, 0.5) is +inf.  A sum
  // of squares is never negative, so the magnitudes never meet it.
  EXPECT_EQ(Bits(RootViaPow(-inf)), Bits(inf));
  EXPECT_TRUE(std::isnan(std::sqrt(-inf)));
}

TEST(SquareRootTest, NegativeZeroDiffersButNoSumOfSquaresIsNegativeZero) {
  // The one float where the two differ: pow gives +0, the square root keeps
  // the sign of zero.
  EXPECT_EQ(Bits(RootViaPow(-0.0f)), Bits(0.0f));
  EXPECT_EQ(Bits(std::sqrt(-0.0f)), Bits(-0.0f));
  // A square of either zero is +0, and so is their sum: a magnitude never
  // takes the root of -0.
  for (float u : {0.0f, -0.0f}) {
    for (float v : {0.0f, -0.0f}) {
      for (float w : {0.0f, -0.0f}) {
        EXPECT_EQ(Bits((u * u + v * v) + w * w), Bits(0.0f));
        EXPECT_EQ(Bits(stages::Magnitude(u, v, w)), Bits(0.0f));
      }
    }
  }
}

// splitmix64: a fixed sequence of well-mixed 64-bit values.
class Sequence {
 public:
  explicit Sequence(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A uniform value in [-1, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1p-52 - 1.0; }

 private:
  uint64_t state_;
};

TEST(MagnitudeTest, IsTheSquareRootOfTheSumOfSquaresInOrder) {
  // The scaled values of sensor counts: extremes, zeros, small counts and
  // a fixed sequence of arbitrary counts, as acceleration and angular rate.
  std::vector<int> counts = {0, 1, -1, 2, 3, 7, -100, 200, 5793, 8191, 8192, -8192, 16384, 32767, -32768};
  Sequence sequence(7);
  for (int i = 0; i < 200; ++i) counts.push_back(static_cast<int>(sequence.Next() % 65536) - 32768);
  int compared = 0;
  for (float scale : {8192.0f, 65.536f}) {
    std::vector<float> values;
    for (int n : counts) values.push_back(static_cast<float>(n) / scale);
    for (size_t i = 0; i < values.size(); ++i) {
      for (size_t j = 0; j < values.size(); j += 3) {
        for (size_t k = i % 5; k < values.size(); k += 5) {
          const float u = values[i], v = values[j], w = values[k];
          const float sum = (u * u + v * v) + w * w;
          const float m = stages::Magnitude(u, v, w);
          ASSERT_EQ(Bits(m), Bits(RootViaPow(sum))) << u << ", " << v << ", " << w;
          ASSERT_EQ(Bits(m), Bits(std::sqrt(sum))) << u << ", " << v << ", " << w;
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 100000);
}

#ifdef __GLIBC__

// Called through pointers the compiler cannot see through, so that the
// sine and cosine here stay two calls and are not merged into sincos.
double (*volatile g_sin)(double) = ::sin;
double (*volatile g_cos)(double) = ::cos;
void (*volatile g_sincos)(double, double*, double*) = ::sincos;

TEST(SinCosTest, GlibcSincosGivesTheBitsOfSinAndCos) {
  std::vector<double> arguments = {0.0,
                                   -0.0,
                                   std::numeric_limits<double>::denorm_min(),
                                   DBL_MIN,
                                   DBL_MAX,
                                   -DBL_MAX,
                                   1e22,
                                   1e300,
                                   0x1p-26,
                                   0x1p-27,
                                   0.5,
                                   0.855469,
                                   2.426265,
                                   105414350.0,
                                   281474976710656.0,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN()};
  // Near every multiple of pi/4 up to +-1000 pi, where the argument
  // reduction and the choice of polynomial change.
  const double quarterPi = 0.78539816339744830962;
  for (int k = -4000; k <= 4000; ++k) {
    const double centre = k * quarterPi;
    for (int64_t d = -2; d <= 2; ++d) arguments.push_back(DoubleOf(Bits(centre) + static_cast<uint64_t>(d)));
  }
  Sequence sequence(11);
  for (int i = 0; i < 400000; ++i) {
    // The angles of the estimator: half of a small rotation step.
    arguments.push_back(0.01 * sequence.Unit());
    arguments.push_back(sequence.Unit());
    arguments.push_back(100.0 * sequence.Unit());
    // Any finite double: every exponent.
    const double any = DoubleOf(sequence.Next());
    if (std::isfinite(any)) arguments.push_back(any);
  }

  int mismatches = 0;
  for (double x : arguments) {
    double s = 0.0, c = 0.0;
    g_sincos(x, &s, &c);
    const double sine = g_sin(x), cosine = g_cos(x);
    if (std::isnan(x) || std::isinf(x)) {
      EXPECT_TRUE(std::isnan(s) && std::isnan(sine) && std::isnan(c) && std::isnan(cosine)) << x;
      continue;
    }
    if (Bits(s) != Bits(sine) || Bits(c) != Bits(cosine)) {
      if (++mismatches <= 10) {
        ADD_FAILURE() << "x = " << x << std::hexfloat << " (" << x << "): sincos " << s << ", " << c
                      << "; sin " << sine << ", cos " << cosine;
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << arguments.size() << " arguments";
}

#endif  // __GLIBC__

}  // namespace
