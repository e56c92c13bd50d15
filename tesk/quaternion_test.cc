// Tests of Quaternion: the constructors, the Hamilton product, conjugate,
// norm, inverse, the quotients and scalar products, normalize, the rotation
// matrix, and the size assertions of the axis constructor and set_v.
#include "tesk/Quaternion"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>

namespace {

constexpr double kPi = std::numbers::pi;

using Components = std::array<double, 4>;

Components Of(const Quaternion& q) { return {q.s, q.v[0], q.v[1], q.v[2]}; }

// Exact comparison of all four components, telling +0 from -0.
testing::AssertionResult BitIdentical(const Quaternion& q, const Components& expected) {
  const Components got = Of(q);
  for (int i = 0; i < 4; ++i) {
    if (std::bit_cast<uint64_t>(got[i]) != std::bit_cast<uint64_t>(expected[i])) {
      return testing::AssertionFailure()
             << "component " << i << " is " << got[i] << ", expected " << expected[i];
    }
  }
  return testing::AssertionSuccess();
}

void ExpectNear(const Quaternion& q, const Components& expected, double tolerance) {
  const Components got = Of(q);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], expected[i], tolerance) << "component " << i;
}

dVector Vec(std::initializer_list<double> values) {
  dVector v(values.size());
  std::size_t i = 0;
  for (double x : values) v[i++] = x;
  return v;
}

std::string Literal(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (std::string("\\^$.|?*+()[]{}").find(ch) != std::string::npos) out += '\\';
    out += ch;
  }
  return out;
}

// One or more digits, in the regular-expression dialect GoogleTest uses on
// this platform (its simple Windows dialect has no bracket expressions).
#ifdef _WIN32
const char kLineNumber[] = "\\d+";
#else
const char kLineNumber[] = "[0-9]+";
#endif

// The regular expression of a failed TESK_ASSERT report in tesk/Quaternion.
std::string AssertionReport(const std::string& expression) {
  return Literal("Assertion failed: " + expression + ", file tesk/Quaternion, line ") +
         kLineNumber;
}

// ------------------------------------------------------------ construction

TEST(QuaternionConstruction, DefaultAndFourComponents) {
  const Quaternion identity;
  EXPECT_TRUE(BitIdentical(identity, {1, 0, 0, 0}));
  EXPECT_EQ(identity.v.size(), 3u);
  const Quaternion q(0.5, -1.5, 2.5, -0.0);
  EXPECT_TRUE(BitIdentical(q, {0.5, -1.5, 2.5, -0.0}));
  EXPECT_EQ(q.v.size(), 3u);
}

TEST(QuaternionConstruction, AngleAndAxis) {
  // The axis is scaled to unit length: sin(pi/2) is exactly 1.
  // The expected cosine is computed at run time, by the same library as
  // the constructor's (a compile-time value may differ in the last bit).
  volatile double half = kPi / 2.0;
  EXPECT_TRUE(BitIdentical(Quaternion(kPi, Vec({0, 0, 2})), {std::cos(half), 0, 0, 1}));

  // v[i] = (h * axis[i]) / n, s = cos(theta / 2), with n = |(1, 2, 2)| = 3.
  for (double theta : {0.3, -1.1, 2.0, 1e-9}) {
    SCOPED_TRACE(theta);
    const double h = std::sin(theta / 2.0);
    EXPECT_TRUE(BitIdentical(Quaternion(theta, Vec({1, 2, -2})),
                             {std::cos(theta / 2.0), (h * 1.0) / 3.0, (h * 2.0) / 3.0,
                              (h * -2.0) / 3.0}));
  }

  // A quarter turn about a skew axis has norm 1.
  const Quaternion q(kPi / 2.0, Vec({0.3, -0.4, 1.2}));
  EXPECT_NEAR(q.norm(), 1.0, 1e-15);
}

TEST(QuaternionConstruction, AxisOfLengthZeroGivesTheIdentity) {
  for (double theta : {0.0, 0.7, -3.0}) {
    SCOPED_TRACE(theta);
    const Quaternion q(theta, Vec({0, 0, 0}));
    EXPECT_TRUE(BitIdentical(q, {1, 0, 0, 0}));
  }
  // Components so small that their squares vanish also have length 0.
  EXPECT_TRUE(BitIdentical(Quaternion(1.0, Vec({1e-200, 0, -1e-200})), {1, 0, 0, 0}));
}

TEST(QuaternionConstruction, ThreeAnglesSingleAxis) {
  for (double a : {0.0, 0.4, -2.5, kPi}) {
    SCOPED_TRACE(a);
    EXPECT_TRUE(BitIdentical(Quaternion(a, 0.0, 0.0),
                             {std::cos(a / 2.0), std::sin(a / 2.0), 0, 0}));
    EXPECT_TRUE(BitIdentical(Quaternion(0.0, a, 0.0),
                             {std::cos(a / 2.0), 0, std::sin(a / 2.0), 0}));
    ExpectNear(Quaternion(0.0, 0.0, a), {std::cos(a / 2.0), 0, 0, std::sin(a / 2.0)}, 0.0);
  }
  ExpectNear(Quaternion(kPi / 2.0, kPi / 2.0, 0.0), {0.5, 0.5, 0.5, -0.5}, 1e-15);
}

TEST(QuaternionConstruction, ThreeAnglesThroughTwoHamiltonProducts) {
  const double angles[][3] = {{0.1, 0.2, 0.3}, {-1.3, 0.7, 2.9}, {3.0, -3.0, 0.5},
                              {1e-4, -2e-4, 5e-5}, {2.2, 1.4, -0.9}};
  for (const auto& angle : angles) {
    const double a = angle[0], b = angle[1], c = angle[2];
    SCOPED_TRACE(testing::Message() << a << ", " << b << ", " << c);
    const Quaternion rx(std::cos(a / 2.0), std::sin(a / 2.0), 0.0, 0.0);
    const Quaternion ry(std::cos(b / 2.0), 0.0, std::sin(b / 2.0), 0.0);
    const Quaternion rz(std::cos(c / 2.0), 0.0, 0.0, std::sin(c / 2.0));
    EXPECT_TRUE(BitIdentical(Quaternion(a, b, c), Of((rz * ry) * rx)));
  }
}

TEST(QuaternionConstruction, ThreeAnglesMatchTheHalfAngleClosedForm) {
  const double angles[][3] = {{0.1, 0.2, 0.3},  {-1.3, 0.7, 2.9}, {3.0, -3.0, 0.5},
                              {kPi / 2, 0, 0},  {0, kPi / 2, 0},  {0, 0, kPi / 2},
                              {kPi, 0.3, -0.3}, {-2.0, 1.5, -1.0}};
  for (const auto& angle : angles) {
    SCOPED_TRACE(testing::Message() << angle[0] << ", " << angle[1] << ", " << angle[2]);
    const double cx = std::cos(angle[0] / 2), sx = std::sin(angle[0] / 2);
    const double cy = std::cos(angle[1] / 2), sy = std::sin(angle[1] / 2);
    const double cz = std::cos(angle[2] / 2), sz = std::sin(angle[2] / 2);
    ExpectNear(Quaternion(angle[0], angle[1], angle[2]),
               {cx * cy * cz + sx * sy * sz, sx * cy * cz - cx * sy * sz,
                cx * sy * cz + sx * cy * sz, cx * cy * sz - sx * sy * cz},
               1e-15);
  }
}

// The rotation Rz(c) * Ry(b) * Rx(a) built from the elementary rotation
// matrices with full angles.
std::array<std::array<double, 3>, 3> ElementaryRotation(double a, double b, double c) {
  const double ca = std::cos(a), sa = std::sin(a);
  const double cb = std::cos(b), sb = std::sin(b);
  const double cc = std::cos(c), sc = std::sin(c);
  return {{{cc * cb, cc * sb * sa - sc * ca, cc * sb * ca + sc * sa},
           {sc * cb, sc * sb * sa + cc * ca, sc * sb * ca - cc * sa},
           {-sb, cb * sa, cb * ca}}};
}

TEST(QuaternionRotationMatrix, ThreeAnglesMatchElementaryRotations) {
  const double angles[][3] = {{0.1, 0.2, 0.3},    {-1.3, 0.7, 2.9}, {3.0, -3.0, 0.5},
                              {kPi / 2, 0, 0},    {0, kPi / 2, 0},  {0, 0, kPi / 2},
                              {kPi / 2, kPi / 2, 0}, {kPi, 0, 0},   {-2.0, 1.5, -1.0},
                              {0.0, 0.0, 0.0},    {1e-3, -1e-3, 1e-3}};
  for (const auto& angle : angles) {
    SCOPED_TRACE(testing::Message() << angle[0] << ", " << angle[1] << ", " << angle[2]);
    const auto expected = ElementaryRotation(angle[0], angle[1], angle[2]);
    const matrix<double> m = Quaternion(angle[0], angle[1], angle[2]).to_rotation_matrix();
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) {
        EXPECT_NEAR(m(i, j), expected[i][j], 1e-14) << "(" << i << ", " << j << ")";
      }
    }
  }
}

TEST(QuaternionRotationMatrix, RotatesAsTheSandwichProduct) {
  const Quaternion q(0.7, Vec({1, -2, 0.5}));
  const matrix<double> m = q.to_rotation_matrix();
  const double u[3] = {0.3, -1.2, 2.0};
  const Quaternion rotated = (q * Quaternion(0.0, u[0], u[1], u[2])) * q.conjugate();
  for (std::size_t i = 0; i < 3; ++i) {
    const double mu = m(i, 0) * u[0] + m(i, 1) * u[1] + m(i, 2) * u[2];
    EXPECT_NEAR(mu, rotated.v[i], 1e-14) << i;
  }
}

TEST(QuaternionRotationMatrix, KnownMatrices) {
  const matrix<double> identity = Quaternion().to_rotation_matrix();
  const matrix<double> quarter =
      Quaternion(std::cos(kPi / 4), 0, 0, std::sin(kPi / 4)).to_rotation_matrix();
  // A quaternion of norm 30 shows where each formula lands, in exact integers.
  const matrix<double> scaled = Quaternion(1, 2, 3, 4).to_rotation_matrix();
  const double expected_identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const double expected_quarter[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
  const double expected_scaled[3][3] = {{9, 4, 22}, {20, 19, 20}, {10, 28, 33}};
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      SCOPED_TRACE(testing::Message() << "(" << i << ", " << j << ")");
      EXPECT_EQ(identity(i, j), expected_identity[i][j]);
      EXPECT_NEAR(quarter(i, j), expected_quarter[i][j], 1e-15);
      EXPECT_EQ(scaled(i, j), expected_scaled[i][j]);
    }
  }
  EXPECT_EQ(scaled.representation()->refcount, 1);
  EXPECT_EQ(scaled.rows(), 3u);
  EXPECT_EQ(scaled.cols(), 3u);
}

// --------------------------------------------------------- Hamilton product

TEST(QuaternionProduct, KnownProducts) {
  const Quaternion i(0, 1, 0, 0), j(0, 0, 1, 0);
  EXPECT_TRUE(BitIdentical(i * j, {0, 0, 0, 1}));
  EXPECT_TRUE(BitIdentical(j * i, {0, 0, 0, -1}));
  EXPECT_TRUE(BitIdentical(Quaternion(1, 2, 3, 4) * Quaternion(5, 6, 7, 8), {-60, 12, 30, 24}));
  EXPECT_TRUE(BitIdentical(Quaternion(5, 6, 7, 8) * Quaternion(1, 2, 3, 4), {-60, 20, 14, 32}));

  const Quaternion q(0.3, -0.7, 1.9, -2.2);
  EXPECT_TRUE(BitIdentical(Quaternion() * q, Of(q)));
  EXPECT_TRUE(BitIdentical(q * Quaternion(), Of(q)));
}

TEST(QuaternionProduct, FollowsTheDocumentedOperationOrder) {
  const Quaternion pairs[][2] = {
      {Quaternion(0.3, -0.7, 1.9, -2.2), Quaternion(-1.1, 0.05, 0.8, 3.3)},
      {Quaternion(0.999, 0.01, -0.02, 0.03), Quaternion(0.98, -0.1, 0.15, -0.12)},
      {Quaternion(1e8, 1e-8, -3.0, 7.0), Quaternion(1e-8, 1e8, 0.1, -0.3)},
  };
  for (const auto& pair : pairs) {
    const Quaternion& p = pair[0];
    const Quaternion& r = pair[1];
    const double px = p.v[0], py = p.v[1], pz = p.v[2];
    const double rx = r.v[0], ry = r.v[1], rz = r.v[2];
    const double dot = pz * rz + (py * ry + (px * rx + 0.0));
    EXPECT_TRUE(BitIdentical(p * r, {p.s * r.s - dot,
                                     (p.s * rx + r.s * px) + (py * rz - pz * ry),
                                     (p.s * ry + r.s * py) + (pz * rx - px * rz),
                                     (p.s * rz + r.s * pz) + (px * ry - py * rx)}));
  }
}

TEST(QuaternionProduct, OperandsAreUnchanged) {
  const Quaternion p(1, 2, 3, 4);
  Quaternion r(5, 6, 7, 8);
  const Quaternion product = p * r;
  EXPECT_TRUE(BitIdentical(p, {1, 2, 3, 4}));
  EXPECT_TRUE(BitIdentical(r, {5, 6, 7, 8}));
  r = r * r;  // a result may be assigned back to an operand
  EXPECT_TRUE(BitIdentical(r, Of(Quaternion(5, 6, 7, 8) * Quaternion(5, 6, 7, 8))));
  EXPECT_EQ(product.v.size(), 3u);
}

// ------------------------------------------- conjugate, norm and inverse

TEST(QuaternionConjugate, NegatesTheVectorPart) {
  EXPECT_TRUE(BitIdentical(Quaternion(1, 2, 3, 4).conjugate(), {1, -2, -3, -4}));
  // (-1.0) times a zero component gives -0.
  EXPECT_TRUE(BitIdentical(Quaternion().conjugate(), {1, -0.0, -0.0, -0.0}));
}

TEST(QuaternionNorm, Length) {
  EXPECT_EQ(Quaternion(1, 2, 2, 4).norm(), 5.0);
  EXPECT_EQ(Quaternion(0, 0, 0, 0).norm(), 0.0);
  EXPECT_EQ(Quaternion(-3, 0, -4, 0).norm(), 5.0);
}

TEST(QuaternionInverse, DividesTheConjugateByTheNorm) {
  struct Case {
    Components q;
    Components expected;
  };
  const Case cases[] = {
      {{2, 0, 0, 0}, {1, -0.0, -0.0, -0.0}},  // the norm, not its square
      {{0, 0, 0, 2}, {0, -0.0, -0.0, -1}},
      {{1, 2, 2, 4}, {0.2, -0.4, -0.4, -0.8}},
      {{0, 3, 0, 4}, {0, -0.6, -0.0, -0.8}},
  };
  for (const Case& c : cases) {
    const Quaternion q(c.q[0], c.q[1], c.q[2], c.q[3]);
    EXPECT_TRUE(BitIdentical(q.inverse(), c.expected));
  }
  const Quaternion unit(0.3, Vec({1, 1, -1}));
  ExpectNear(unit * unit.inverse(), {1, 0, 0, 0}, 1e-15);
}

TEST(QuaternionInverse, ZeroQuaternionGivesNotANumber) {
  const Components inv = Of(Quaternion(0, 0, 0, 0).inverse());
  for (double x : inv) EXPECT_TRUE(std::isnan(x));
}

// ------------------------------------------------------------- accessors

TEST(QuaternionAccessors, GetAndSet) {
  Quaternion q(1, 2, 3, 4);
  EXPECT_EQ(q.get_s(), 1.0);
  q.set_s(-2.5);
  EXPECT_EQ(q.s, -2.5);
  dVector v = q.get_v();
  v[0] = 100.0;  // a copy
  EXPECT_EQ(q.v[0], 2.0);
  q.set_v(Vec({7, 8, 9}));
  EXPECT_TRUE(BitIdentical(q, {-2.5, 7, 8, 9}));
}

TEST(QuaternionAccessors, CopyAndAssignment) {
  Quaternion a(1, 2, 3, 4);
  Quaternion b(a);
  b.v[1] = 0.0;
  EXPECT_EQ(a.v[1], 3.0);
  a = Quaternion(5, 6, 7, 8);
  EXPECT_TRUE(BitIdentical(a, {5, 6, 7, 8}));
  b = a;
  EXPECT_TRUE(BitIdentical(b, {5, 6, 7, 8}));
}

TEST(QuaternionDeathTest, VectorArgumentsMustHaveThreeElements) {
  const std::string axis_report =
      AssertionReport("0 && \"Quaternion::Quaternion, size of axis != 3\"");
  const std::string set_v_report =
      AssertionReport("0 && \"Quaternion::set_v: input has a wrong size.\"");
  for (std::size_t n : {0u, 2u, 4u}) {
    SCOPED_TRACE(n);
    const dVector wrong(1.0, n);
    EXPECT_DEATH((void)Quaternion(1.0, wrong), axis_report);
    Quaternion q;
    EXPECT_DEATH(q.set_v(wrong), set_v_report);
  }
}

// ------------------------------------------- operations the system leaves aside

TEST(QuaternionOtherOperations, SumDifferenceAndDot) {
  const Quaternion p(1, 2, 3, 4), r(5, 6, 7, 8);
  EXPECT_TRUE(BitIdentical(p + r, {6, 8, 10, 12}));
  EXPECT_TRUE(BitIdentical(p - r, {-4, -4, -4, -4}));
  EXPECT_EQ(p.dot(r), 70.0);
  // Summed s, x, y, z from the left: the 1 is absorbed by 2^53.
  const double big = 9007199254740992.0;
  EXPECT_EQ(Quaternion(1, big, -big, 0).dot(Quaternion(1, 1, 1, 1)), 0.0);
}

TEST(QuaternionOtherOperations, ScalarProductAndQuotient) {
  const Quaternion q(1, -2, 3, 0.5);
  EXPECT_TRUE(BitIdentical(q * 2.0, {2, -4, 6, 1}));
  EXPECT_TRUE(BitIdentical(2.0 * q, {2, -4, 6, 1}));
  EXPECT_TRUE(BitIdentical(q / 2.0, {0.5, -1, 1.5, 0.25}));
  const double inf = std::numeric_limits<double>::infinity();
  const Quaternion by_zero = Quaternion(1, -2, 0, 4) / 0.0;
  EXPECT_EQ(by_zero.s, inf);
  EXPECT_EQ(by_zero.v[0], -inf);
  EXPECT_TRUE(std::isnan(by_zero.v[1]));
  EXPECT_EQ(by_zero.v[2], inf);
}

TEST(QuaternionOtherOperations, QuotientByAQuaternion) {
  const Quaternion p(0.3, -0.7, 1.9, -2.2);
  const Quaternion r(0.5, Vec({1, 2, 3}));
  EXPECT_TRUE(BitIdentical(p / r, Of(p * r.inverse())));
  ExpectNear((p / r) * r, Of(p), 1e-15);
}

TEST(QuaternionNormalize, ScalesAboveTheThreshold) {
  struct Case {
    Components q;
    Components expected;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, {0, 0, 0, 0}},
      {{1e-8, 0, 0, 0}, {1e-8, 0, 0, 0}},
      {{1e-7, 0, 0, 0}, {1e-7, 0, 0, 0}},  // norm exactly 1e-7: left alone
      {{2, 0, 0, 0}, {1, 0, 0, 0}},
      {{0, 3, 0, -4}, {0, 0.6, 0, -0.8}},
      {{1.5e-7, 0, 0, 0}, {1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.q[0] << ", " << c.q[1] << ", " << c.q[2] << ", "
                                    << c.q[3]);
    Quaternion q(c.q[0], c.q[1], c.q[2], c.q[3]);
    Quaternion& same = q.normalize();
    EXPECT_EQ(&same, &q);
    EXPECT_TRUE(BitIdentical(q, c.expected));
  }
  EXPECT_EQ(Quaternion(1e-7, 0, 0, 0).norm(), 1e-7);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  Quaternion undefined(nan, 1, 2, 3);
  undefined.normalize();
  EXPECT_TRUE(std::isnan(undefined.s));
  EXPECT_EQ(undefined.v[0], 1.0);
}

}  // namespace
