// Tests of the attitude estimator: its initial state and release, the bias
// step with its acceptance band and counter, the first update, convergence of
// a still sensor, the correction weight, the returned rotation matrix, the
// update without correction when the correction axis has length 0, and the
// bit-for-bit agreement of the update with the same steps written on
// Quaternion and dVector objects.  The global allocation functions are
// replaced in this file to show that an update allocates nothing.
#include "tesk/attitude_estimator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>
#include <vector>

namespace {
std::size_t g_allocations = 0;

void* CountedAllocation(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr double kDt = 0.02;

// An estimator that is initialised on construction and released on
// destruction.
struct Estimator {
  AttitudeEstimator state{};
  Estimator() { InitAttitude(&state); }
  ~Estimator() { ReleaseAttitude(&state); }
  const Quaternion& q() const { return *state.orientation; }
};

bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

testing::AssertionResult BitIdentical(const Quaternion& got, const Quaternion& expected) {
  const double g[4] = {got.s, got.v[0], got.v[1], got.v[2]};
  const double e[4] = {expected.s, expected.v[0], expected.v[1], expected.v[2]};
  for (int i = 0; i < 4; ++i) {
    if (!SameBits(g[i], e[i])) {
      return testing::AssertionFailure() << "component " << i << " is " << g[i]
                                         << ", expected " << e[i];
    }
  }
  return testing::AssertionSuccess();
}

bool Finite(const Quaternion& q) {
  return std::isfinite(q.s) && std::isfinite(q.v[0]) && std::isfinite(q.v[1]) &&
         std::isfinite(q.v[2]);
}

// The update step by step on Quaternion and dVector objects, as the estimator
// is defined; the bias step is the estimator's own.
void ReferenceUpdate(AttitudeEstimator* estimator, const Vec3& gyro, const Vec3& acc,
                     double dt) {
  UpdateGyroBias(estimator, &estimator->gyroBias, gyro, 10000, 10.0);
  const Vec3& bias = estimator->gyroBias;
  Quaternion& q = *estimator->orientation;
  const Quaternion increment(((gyro.x - bias.x) * 0.017453292519943295) * dt,
                             ((gyro.y - bias.y) * 0.017453292519943295) * dt,
                             ((gyro.z - bias.z) * 0.017453292519943295) * dt);
  q = q * increment;
  const dVector g = MakeVector3(0.0, 0.0, -1.0);
  const Quaternion a(0.0, acc.x, acc.y, acc.z);
  const Quaternion qi = q.inverse();
  const Quaternion t = q * a;
  const Quaternion r = t * qi;
  const dVector axis = Cross(r.get_v(), g);
  if (Norm(axis) == 0.0) return;
  const double phi = std::asin(Norm(axis) / Norm(r.get_v()));
  const double m = std::sqrt((acc.x * acc.x + acc.y * acc.y) + acc.z * acc.z);
  const double e = m - 1.0;
  const double w = std::exp(((-e) * e) / (0.1 * 0.1)) * 0.1;
  const Quaternion c(w * phi, axis);
  q = c * q;
}

struct Sample {
  Vec3 gyro;
  Vec3 acc;
};

// A varied recording: still and moving stretches, readings outside the bias
// band, zero and flat accelerations, signed zeros, 3 g shocks, free fall.
std::vector<Sample> VariedRecording(std::size_t count) {
  std::mt19937_64 random(20240611);
  auto uniform = [&random](double lo, double hi) {
    return lo + (hi - lo) * (static_cast<double>(random() >> 11) * 0x1.0p-53);
  };
  // Values as the processor produces them: raw counts scaled in float.
  auto rate = [&](double range) {
    return static_cast<double>(static_cast<float>(std::round(uniform(-range, range) * 65.536)) /
                               65.536f);
  };
  std::vector<Sample> samples;
  for (std::size_t i = 0; i < count; ++i) {
    Sample s{};
    switch ((i / 50) % 7) {
      case 0:  // lying flat and still
        s = {{0.0, -0.0, 0.0}, {0.0, -0.0, -1.0}};
        break;
      case 1:  // slow motion near 1 g
        s.gyro = {rate(5), rate(5), rate(5)};
        s.acc = {uniform(-0.3, 0.3), uniform(-0.3, 0.3), -uniform(0.9, 1.0)};
        break;
      case 2:  // fast turns, outside the bias band
        s.gyro = {rate(300), rate(300), rate(300)};
        s.acc = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
        break;
      case 3:  // zero rows
        s = {{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}};
        break;
      case 4:  // shocks
        s.gyro = {rate(50), rate(50), rate(50)};
        s.acc = {uniform(-3, 3), uniform(-3, 3), uniform(-3, 3)};
        break;
      case 5:  // upside down, on the reference line
        s = {{rate(1), 0.0, -0.0}, {-0.0, 0.0, 1.0}};
        break;
      default:  // mixed
        s.gyro = {rate(20), 0.0, rate(20)};
        s.acc = {uniform(-1.2, 1.2), -0.0, -uniform(0.5, 1.2)};
        break;
    }
    samples.push_back(s);
  }
  return samples;
}

// ------------------------------------------------------------- lifecycle

TEST(AttitudeLifecycle, InitialState) {
  AttitudeEstimator estimator{};
  estimator.gyroBias = {5, 5, 5};
  estimator.biasCount = 42;
  InitAttitude(&estimator);
  ASSERT_NE(estimator.orientation, nullptr);
  EXPECT_TRUE(BitIdentical(*estimator.orientation, Quaternion(1, 0, 0, 0)));
  EXPECT_EQ(estimator.gyroBias.x, 0.0);
  EXPECT_EQ(estimator.gyroBias.y, 0.0);
  EXPECT_EQ(estimator.gyroBias.z, 0.0);
  EXPECT_EQ(estimator.biasCount, 0);
  ReleaseAttitude(&estimator);
}

TEST(AttitudeLifecycle, ReleaseFreesTheOrientationAndMayBeRepeated) {
  AttitudeEstimator estimator{};
  ReleaseAttitude(&estimator);  // never initialised
  InitAttitude(&estimator);
  ReleaseAttitude(&estimator);
  EXPECT_EQ(estimator.orientation, nullptr);
  ReleaseAttitude(&estimator);
  EXPECT_EQ(estimator.orientation, nullptr);
}

// ------------------------------------------------------------- bias step

TEST(AttitudeBias, FirstReadingBecomesTheBias) {
  Estimator e;
  (void)UpdateAttitude(&e.state, {3, -2, 0.5}, {0.1, 0, -0.995}, {0, 0, 0}, kDt);
  EXPECT_EQ(e.state.gyroBias.x, 3.0);
  EXPECT_EQ(e.state.gyroBias.y, -2.0);
  EXPECT_EQ(e.state.gyroBias.z, 0.5);
  EXPECT_EQ(e.state.biasCount, 1);
}

TEST(AttitudeBias, AcceptanceBandIsStrict) {
  struct Case {
    Vec3 second;
    Vec3 expected;
  };
  const Case cases[] = {
      {{11, 1, 1}, {1, 1, 1}},  // difference exactly 10: rejected
      {{-9, 1, 1}, {1, 1, 1}},
      {{1, 11, 1}, {1, 1, 1}},
      {{1, -9, 1}, {1, 1, 1}},
      {{1, 1, 11}, {1, 1, 1}},
      {{1, 1, -9}, {1, 1, 1}},
      {{10.5, 1, 1}, {5.75, 1, 1}},
      {{1, -8.5, 1}, {1, -3.75, 1}},
      {{1, 1, 10.999}, {1, 1, 5.9995}},
      {{30, -30, 1}, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.second.x << ", " << c.second.y << ", " << c.second.z);
    Estimator e;
    (void)UpdateAttitude(&e.state, {1, 1, 1}, {0.1, 0, -0.995}, {0, 0, 0}, kDt);
    EXPECT_EQ(e.state.gyroBias.x, 1.0);
    EXPECT_EQ(e.state.biasCount, 1);
    (void)UpdateAttitude(&e.state, c.second, {0.1, 0, -0.995}, {0, 0, 0}, kDt);
    EXPECT_EQ(e.state.gyroBias.x, c.expected.x);
    EXPECT_EQ(e.state.gyroBias.y, c.expected.y);
    EXPECT_EQ(e.state.gyroBias.z, c.expected.z);
    EXPECT_EQ(e.state.biasCount, 2);
  }
}

TEST(AttitudeBias, RejectedReadingsStillCount) {
  Estimator e;
  AdvanceAttitude(&e.state, {0, 0, 0}, {0.1, 0, -0.995}, kDt);
  for (int i = 0; i < 3; ++i) AdvanceAttitude(&e.state, {20, 0, 0}, {0.1, 0, -0.995}, kDt);
  EXPECT_EQ(e.state.gyroBias.x, 0.0);
  AdvanceAttitude(&e.state, {3, 0, 0}, {0.1, 0, -0.995}, kDt);
  EXPECT_EQ(e.state.gyroBias.x, 0.6);  // (4 * 0 + 3) / 5
  EXPECT_EQ(e.state.biasCount, 5);
}

TEST(AttitudeBias, NotANumberIsRejectedOnceABiasExists) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Estimator e;
  UpdateGyroBias(&e.state, &e.state.gyroBias, {2, 2, 2}, 10000, 10.0);
  UpdateGyroBias(&e.state, &e.state.gyroBias, {2, nan, 2}, 10000, 10.0);
  EXPECT_EQ(e.state.gyroBias.x, 2.0);
  EXPECT_EQ(e.state.gyroBias.y, 2.0);
  EXPECT_EQ(e.state.biasCount, 2);
}

TEST(AttitudeBias, CountStopsAtTheLimit) {
  Estimator e;
  for (int i = 0; i < 10003; ++i) AdvanceAttitude(&e.state, {0.5, 0, 0}, {0, 0, -1}, kDt);
  EXPECT_EQ(e.state.biasCount, 10000);

  // The limit and the band are the caller's.
  Estimator custom;
  Vec3 bias{0, 0, 0};
  for (int i = 0; i < 5; ++i) UpdateGyroBias(&custom.state, &bias, {1, 1, 1}, 3, 0.5);
  EXPECT_EQ(custom.state.biasCount, 3);
  UpdateGyroBias(&custom.state, &bias, {1.6, 1, 1}, 3, 0.5);  // outside 0.5
  EXPECT_EQ(bias.x, 1.0);
  UpdateGyroBias(&custom.state, &bias, {1.4, 1, 1}, 3, 0.5);
  EXPECT_EQ(bias.x, (3.0 * 1.0 + 1.4) / 4.0);
  EXPECT_EQ(custom.state.gyroBias.x, 0.0);  // only *bias changes
}

// ---------------------------------------------------------------- updates

TEST(AttitudeUpdate, FirstUpdateTurnsTowardTheReference) {
  Estimator e;
  (void)UpdateAttitude(&e.state, {3, -2, 0.5}, {0.1, 0, -0.995}, {0, 0, 0}, kDt);
  EXPECT_NEAR(e.q().s, 0.999987, 1e-6);
  EXPECT_NEAR(e.q().v[0], 0.0, 1e-12);
  EXPECT_NEAR(e.q().v[1], 0.005008, 1e-6);
  EXPECT_NEAR(e.q().v[2], 0.0, 1e-12);

  // The increment is exactly the identity, so the result is the correction
  // applied to the identity.
  const dVector axis = Cross(MakeVector3(0.1, 0, -0.995), MakeVector3(0, 0, -1));
  const double phi = std::asin(Norm(axis) / Norm(MakeVector3(0.1, 0, -0.995)));
  const double m = std::sqrt((0.1 * 0.1 + 0.0 * 0.0) + (-0.995) * (-0.995));
  const double w = std::exp((-(m - 1.0) * (m - 1.0)) / (0.1 * 0.1)) * 0.1;
  EXPECT_TRUE(BitIdentical(e.q(), Quaternion(w * phi, axis) * (Quaternion() * Quaternion(0.0, 0.0, 0.0))));
}

TEST(AttitudeUpdate, StillSensorConvergesToTheGravityDirection) {
  Estimator e;
  const Vec3 acc{0.5, 0, -0.866};
  for (int i = 0; i < 2000; ++i) AdvanceAttitude(&e.state, {0, 0, 0}, acc, kDt);
  EXPECT_NEAR(e.q().s, 0.96592, 1e-4);
  EXPECT_NEAR(e.q().v[0], 0.0, 1e-12);
  EXPECT_NEAR(e.q().v[1], 0.25883, 1e-4);
  EXPECT_NEAR(e.q().v[2], 0.0, 1e-12);
  const Quaternion r = (e.q() * Quaternion(0, acc.x, acc.y, acc.z)) * e.q().inverse();
  EXPECT_NEAR(r.v[0], 0.0, 1e-4);
  EXPECT_NEAR(r.v[1], 0.0, 1e-4);
  EXPECT_NEAR(r.v[2], -1.0, 1e-4);
}

TEST(AttitudeUpdate, CorrectionFadesAwayFromOneG) {
  // At 3 g the weight is about 1.9e-175.
  const double m = 3.0;
  const double w = std::exp((-(m - 1.0) * (m - 1.0)) / (0.1 * 0.1)) * 0.1;
  EXPECT_NEAR(w / 1.9e-175, 1.0, 0.05);

  Estimator e;
  AdvanceAttitude(&e.state, {0, 0, 0}, {3 * std::sin(0.4), 0, -3 * std::cos(0.4)}, kDt);
  EXPECT_NEAR(e.q().s, 1.0, 1e-170);
  EXPECT_NEAR(e.q().v[0], 0.0, 1e-170);
  EXPECT_NEAR(e.q().v[1], 0.0, 1e-170);
  EXPECT_NEAR(e.q().v[2], 0.0, 1e-170);
  EXPECT_NE(e.q().v[1], 0.0);  // corrected, if only just

  // At exactly 1 g the weight is the full gain.
  Estimator full;
  AdvanceAttitude(&full.state, {0, 0, 0}, {0.6, 0, -0.8}, kDt);
  EXPECT_NEAR(full.q().v[1], std::sin((0.1 * std::asin(0.6)) / 2.0), 1e-15);
}

TEST(AttitudeUpdate, ReturnsTheRotationMatrixOfTheNewOrientation) {
  Estimator e;
  const std::vector<Sample> samples = VariedRecording(400);
  for (const Sample& s : samples) {
    const matrix<double> m = UpdateAttitude(&e.state, s.gyro, s.acc, {0, 0, 0}, kDt);
    const matrix<double> expected = e.q().to_rotation_matrix();
    EXPECT_EQ(m.representation()->refcount, 1);
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) ASSERT_TRUE(SameBits(m(i, j), expected(i, j)));
    }
  }
}

TEST(AttitudeUpdate, MatchesTheObjectFormBitForBit) {
  Estimator fast;
  Estimator reference;
  const std::vector<Sample> samples = VariedRecording(7000);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    AdvanceAttitude(&fast.state, samples[i].gyro, samples[i].acc, kDt);
    ReferenceUpdate(&reference.state, samples[i].gyro, samples[i].acc, kDt);
    ASSERT_TRUE(BitIdentical(fast.q(), reference.q())) << "sample " << i;
    ASSERT_TRUE(SameBits(fast.state.gyroBias.x, reference.state.gyroBias.x));
    ASSERT_TRUE(SameBits(fast.state.gyroBias.y, reference.state.gyroBias.y));
    ASSERT_TRUE(SameBits(fast.state.gyroBias.z, reference.state.gyroBias.z));
    ASSERT_EQ(fast.state.biasCount, reference.state.biasCount);
  }
  EXPECT_TRUE(Finite(fast.q()));
  // A different time step takes the same road.
  for (std::size_t i = 0; i < 500; ++i) {
    AdvanceAttitude(&fast.state, samples[i].gyro, samples[i].acc, 0.01);
    ReferenceUpdate(&reference.state, samples[i].gyro, samples[i].acc, 0.01);
    ASSERT_TRUE(BitIdentical(fast.q(), reference.q())) << "sample " << i;
  }
}

TEST(AttitudeUpdate, MatchesTheObjectFormFromOrientationsWithZeroComponents) {
  // Half and quarter turns whose zero components carry either sign, met with
  // still, flat, zero and tilted samples: every signed zero must come out the
  // same as in the object form.
  const Quaternion starts[] = {
      Quaternion(-0.0, -0.0, -0.0, 1.0), Quaternion(0.0, -0.0, 1.0, -0.0),
      Quaternion(-0.0, 1.0, 0.0, -0.0),  Quaternion(-1.0, -0.0, 0.0, -0.0),
      Quaternion(0.7071067811865476, -0.0, -0.0, -0.7071067811865476),
      Quaternion(-0.7071067811865476, 0.0, -0.7071067811865476, -0.0),
  };
  const Sample samples[] = {
      {{0.25, -0.5, 1.0}, {0, 0, 0}},       {{0.25, -0.5, 1.0}, {-0.0, 0.0, -1.0}},
      {{0.25, -0.5, 1.0}, {0.0, -0.0, 1.0}}, {{0.25, -0.5, 1.0}, {-0.0, -0.0, -0.0}},
      {{0.25, -0.5, 1.0}, {0.2, -0.0, -0.9}}, {{0.25, -0.5, 1.0}, {-0.0, 0.3, -0.9}},
      {{1.25, -0.5, 1.0}, {0.0, 0.0, -1.0}}, {{0.25, 0.5, -1.0}, {0.1, 0.1, -1.0}},
  };
  for (const Quaternion& start : starts) {
    for (const Sample& first : samples) {
      Estimator fast;
      Estimator reference;
      for (Estimator* e : {&fast, &reference}) {
        UpdateGyroBias(&e->state, &e->state.gyroBias, {0.25, -0.5, 1.0}, 10000, 10.0);
        *e->state.orientation = start;
      }
      AdvanceAttitude(&fast.state, first.gyro, first.acc, kDt);
      ReferenceUpdate(&reference.state, first.gyro, first.acc, kDt);
      ASSERT_TRUE(BitIdentical(fast.q(), reference.q()));
      for (const Sample& next : samples) {
        AdvanceAttitude(&fast.state, next.gyro, next.acc, kDt);
        ReferenceUpdate(&reference.state, next.gyro, next.acc, kDt);
        ASSERT_TRUE(BitIdentical(fast.q(), reference.q()));
      }
    }
  }
}

TEST(AttitudeUpdate, UpdateAndAdvanceAgreeBitForBit) {
  Estimator with_matrix;
  Estimator without;
  const std::vector<Sample> samples = VariedRecording(3000);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    (void)UpdateAttitude(&with_matrix.state, samples[i].gyro, samples[i].acc, {1, 2, 3}, kDt);
    AdvanceAttitude(&without.state, samples[i].gyro, samples[i].acc, kDt);
    ASSERT_TRUE(BitIdentical(with_matrix.q(), without.q())) << "sample " << i;
    ASSERT_EQ(with_matrix.state.biasCount, without.state.biasCount);
  }
}

// ------------------------------------------- correction axis of length 0

TEST(AttitudeZeroAxis, NoCorrectionOnTheReferenceLine) {
  struct Case {
    const char* name;
    Vec3 acc;
  };
  const Case cases[] = {
      {"zero acceleration", {0, 0, 0}},
      {"flat", {0, 0, -1}},
      {"flat, signed zeros", {-0.0, -0.0, -1}},
      {"upside down", {0, 0, 1}},
      {"flat at 2 g", {0, 0, -2}},
      {"vanishing tilt", {1e-200, 0, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // First update: the increment is the identity and nothing is rotated.
    Estimator e;
    const Quaternion before = e.q();
    AdvanceAttitude(&e.state, {3, -2, 0.5}, c.acc, kDt);
    EXPECT_TRUE(BitIdentical(e.q(), before * Quaternion(0.0, 0.0, 0.0)));
    EXPECT_TRUE(Finite(e.q()));
  }
}

TEST(AttitudeZeroAxis, LaterUpdateKeepsExactlyTheIntegratedOrientation) {
  Estimator e;
  AdvanceAttitude(&e.state, {1, 1, 1}, {0.3, -0.2, -0.9}, kDt);
  AdvanceAttitude(&e.state, {4, -3, 2}, {0.3, -0.2, -0.9}, kDt);
  const Quaternion before = e.q();
  AdvanceAttitude(&e.state, {6, 2, -5}, {0, 0, 0}, kDt);
  const Vec3& b = e.state.gyroBias;
  const Quaternion increment(((6 - b.x) * 0.017453292519943295) * kDt,
                             ((2 - b.y) * 0.017453292519943295) * kDt,
                             ((-5 - b.z) * 0.017453292519943295) * kDt);
  EXPECT_TRUE(BitIdentical(e.q(), before * increment));
}

TEST(AttitudeZeroAxis, SignsOfZeroComponentsSurvive) {
  // A half turn about z whose zero components carry a minus sign.  Multiplying
  // by an identity correction would turn the -0 of x into +0.
  for (const Vec3 acc : {Vec3{0, 0, 0}, Vec3{0, 0, -1}}) {
    SCOPED_TRACE(testing::Message() << acc.x << ", " << acc.y << ", " << acc.z);
    Estimator e;
    UpdateGyroBias(&e.state, &e.state.gyroBias, {0.25, -0.5, 1.0}, 10000, 10.0);
    *e.state.orientation = Quaternion(-0.0, -0.0, -0.0, 1.0);
    const Quaternion integrated = e.q() * Quaternion(0.0, 0.0, 0.0);
    ASSERT_TRUE(std::signbit(integrated.v[0]));
    AdvanceAttitude(&e.state, {0.25, -0.5, 1.0}, acc, kDt);  // no increment
    EXPECT_TRUE(BitIdentical(e.q(), integrated));
  }
}

TEST(AttitudeZeroAxis, RecordingStartingWithZerosStaysFinite) {
  Estimator e;
  for (int i = 0; i < 100; ++i) AdvanceAttitude(&e.state, {0, 0, 0}, {0, 0, 0}, kDt);
  EXPECT_TRUE(BitIdentical(e.q(), Quaternion(1, 0, 0, 0)));
  const std::vector<Sample> samples = VariedRecording(1000);
  for (const Sample& s : samples) {
    AdvanceAttitude(&e.state, s.gyro, s.acc, kDt);
    ASSERT_TRUE(Finite(e.q()));
  }
  EXPECT_NEAR(e.q().norm(), 1.0, 1e-12);
}

// --------------------------------------------------------------- allocation

TEST(AttitudeAllocation, UpdatesAllocateOnlyTheReturnedMatrix) {
  Estimator e;
  const std::vector<Sample> samples = VariedRecording(700);

  const std::size_t before_advance = g_allocations;
  for (const Sample& s : samples) AdvanceAttitude(&e.state, s.gyro, s.acc, kDt);
  EXPECT_EQ(g_allocations - before_advance, 0u);

  const std::size_t before_update = g_allocations;
  for (const Sample& s : samples) {
    (void)UpdateAttitude(&e.state, s.gyro, s.acc, {0, 0, 0}, kDt);
  }
  EXPECT_EQ(g_allocations - before_update, samples.size());  // one representation each

  // The quaternion arithmetic itself needs no heap either.
  const std::size_t before_objects = g_allocations;
  const Quaternion q(0.1, -0.2, 0.3);
  const Quaternion r(0.4, MakeVector3(1, 2, 3));
  const Quaternion p = (q * r.inverse()) * r.conjugate();
  EXPECT_EQ(g_allocations - before_objects, 0u);
  EXPECT_TRUE(Finite(p));
}

}  // namespace
