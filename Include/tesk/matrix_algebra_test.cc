// Tests of the numeric containers: dVector construction, assignment, checked
// element access and arithmetic, Cross / Dot / Norm / MakeVector3 with their
// size assertions, and the reference-counted, copy-on-write matrix.
#include "tesk/MatrixAlgebra"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Turns literal text into a POSIX extended regular expression matching it.
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

// The regular expression of a failed TESK_ASSERT report in MatrixAlgebra.
std::string AssertionReport(const std::string& expression) {
  return Literal("Assertion failed: " + expression +
                 ", file Include/tesk/MatrixAlgebra, line ") +
         kLineNumber;
}

dVector Vec(std::initializer_list<double> values) {
  dVector v(values.size());
  std::size_t i = 0;
  for (double x : values) v[i++] = x;
  return v;
}

std::vector<double> Elements(const dVector& v) {
  std::vector<double> out;
  for (std::size_t i = 0; i < v.size(); ++i) out.push_back(v[i]);
  return out;
}

// True when the vector's elements lie inside the vector object itself.
bool StoredInline(const dVector& v) {
  const auto* begin = reinterpret_cast<const unsigned char*>(&v);
  const auto* p = reinterpret_cast<const unsigned char*>(v.data());
  return p >= begin && p < begin + sizeof(dVector);
}

// Self-assignment through a reference the compiler cannot see through.
template <typename T>
T& Same(T& x) {
  return x;
}

// ---------------------------------------------------------------- dVector

TEST(DVectorConstruction, SizesAndFillValues) {
  struct Case {
    const char* name;
    dVector v;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"default", dVector(), {}},
      {"count 3", dVector(3), {0.0, 0.0, 0.0}},
      {"0.0 x 3", dVector(0.0, 3), {0.0, 0.0, 0.0}},
      {"2.5 x 0", dVector(2.5, 0), {}},
      {"2.5 x 4", dVector(2.5, 4), {2.5, 2.5, 2.5, 2.5}},
      {"count 12 (heap)", dVector(12), std::vector<double>(12, 0.0)},
      {"-1.0 x 10 (heap)", dVector(-1.0, 10), std::vector<double>(10, -1.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.v.size(), c.expected.size());
    EXPECT_EQ(Elements(c.v), c.expected);
    if (c.expected.empty()) {
      EXPECT_EQ(c.v.data(), nullptr);
    }
  }
}

TEST(DVectorConstruction, SmallVectorsLiveInsideTheObject) {
  for (std::size_t n = 1; n <= dVector::kInlineCapacity; ++n) {
    SCOPED_TRACE(n);
    dVector v(n);
    EXPECT_TRUE(StoredInline(v));
    dVector copy(v);
    EXPECT_TRUE(StoredInline(copy));
  }
  dVector big(dVector::kInlineCapacity + 1);
  EXPECT_FALSE(StoredInline(big));
}

TEST(DVectorConstruction, CopyIsIndependent) {
  for (std::size_t n : {3u, 15u}) {
    SCOPED_TRACE(n);
    dVector a(1.5, n);
    dVector b(a);
    EXPECT_EQ(Elements(b), Elements(a));
    EXPECT_NE(b.data(), a.data());
    b[0] = 7.0;
    EXPECT_EQ(a[0], 1.5);
  }
}

TEST(DVectorConstruction, MoveLeavesTheSourceEmpty) {
  for (std::size_t n : {3u, 15u}) {
    SCOPED_TRACE(n);
    dVector a(4.0, n);
    dVector b(std::move(a));
    EXPECT_EQ(Elements(b), std::vector<double>(n, 4.0));
    EXPECT_EQ(a.size(), 0u);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(a.data(), nullptr);
  }
}

TEST(DVectorAssignment, CopyBetweenEqualSizesReusesTheTargetStorage) {
  for (std::size_t n : {3u, 20u}) {
    SCOPED_TRACE(n);
    dVector target(1.0, n);
    const double* storage = target.data();
    const dVector src(2.0, n);
    target = src;
    EXPECT_EQ(target.data(), storage);
    EXPECT_EQ(Elements(target), std::vector<double>(n, 2.0));
    EXPECT_EQ(Elements(src), std::vector<double>(n, 2.0));
  }
}

TEST(DVectorAssignment, CopyBetweenDifferentSizesTakesTheSourceSize) {
  struct Case {
    std::size_t target_size;
    std::size_t src_size;
  };
  for (const Case c : {Case{5, 3}, Case{3, 5}, Case{20, 3}, Case{3, 20}, Case{20, 30},
                       Case{0, 4}, Case{4, 0}}) {
    SCOPED_TRACE(testing::Message() << c.target_size << " <- " << c.src_size);
    dVector target(9.0, c.target_size);
    dVector src(c.src_size);
    for (std::size_t i = 0; i < c.src_size; ++i) src[i] = static_cast<double>(i) + 0.5;
    target = src;
    EXPECT_EQ(Elements(target), Elements(src));
    if (c.src_size == 0) {
      EXPECT_EQ(target.data(), nullptr);
    } else {
      EXPECT_EQ(StoredInline(target), c.src_size <= dVector::kInlineCapacity);
      src[0] = 0.0;  // the copy owns its elements
      EXPECT_EQ(target[0], 0.5);
    }
  }
}

TEST(DVectorAssignment, SelfAssignmentChangesNothing) {
  for (std::size_t n : {3u, 20u}) {
    SCOPED_TRACE(n);
    dVector v(3.25, n);
    const double* storage = v.data();
    v = Same(v);
    EXPECT_EQ(v.data(), storage);
    EXPECT_EQ(Elements(v), std::vector<double>(n, 3.25));
    v = std::move(Same(v));
    EXPECT_EQ(v.data(), storage);
    EXPECT_EQ(Elements(v), std::vector<double>(n, 3.25));
  }
}

TEST(DVectorAssignment, MoveTakesOverTheElementsAndEmptiesTheSource) {
  struct Case {
    std::size_t target_size;
    std::size_t src_size;
  };
  for (const Case c : {Case{3, 3}, Case{5, 3}, Case{3, 20}, Case{20, 3}, Case{20, 30}}) {
    SCOPED_TRACE(testing::Message() << c.target_size << " <- " << c.src_size);
    dVector target(1.0, c.target_size);
    dVector src(c.src_size);
    for (std::size_t i = 0; i < c.src_size; ++i) src[i] = static_cast<double>(i) * 2.0;
    const std::vector<double> expected = Elements(src);
    const double* heap = StoredInline(src) ? nullptr : src.data();
    target = std::move(src);
    EXPECT_EQ(Elements(target), expected);
    EXPECT_EQ(src.size(), 0u);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(src.data(), nullptr);
    if (heap != nullptr) {
      EXPECT_EQ(target.data(), heap);  // nothing copied
    }
  }
}

TEST(DVectorAccess, WritableAndReadOnlyForms) {
  dVector v(3);
  v[1] = 4.5;
  const dVector& view = v;
  EXPECT_EQ(view[1], 4.5);
  EXPECT_EQ(&view[1], &v[1]);
}

TEST(DVectorAccessDeathTest, OutOfRangeIndexStopsTheProgram) {
  dVector v(3);
  const dVector& view = v;
  dVector empty;
  EXPECT_DEATH(v[3] = 1.0, "subscript 3 is out of range \\(size 3\\)");
  EXPECT_DEATH((void)view[7], "subscript 7 is out of range \\(size 3\\)");
  EXPECT_DEATH((void)empty[0], "subscript 0 is out of range \\(size 0\\)");
}

// ------------------------------------------------------- dVector arithmetic

TEST(DVectorArithmetic, ElementWiseResults) {
  const double inf = std::numeric_limits<double>::infinity();
  const dVector v = Vec({1, 2, 3});
  const dVector w = Vec({2, 4, 6});
  const dVector longer = Vec({10, 20, 30, 40});
  struct Case {
    const char* name;
    dVector result;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"2 * v", 2.0 * v, {2, 4, 6}},
      {"v * 2", v * 2.0, {2, 4, 6}},
      {"w / 2", w / 2.0, {1, 2, 3}},
      {"v / 0", v / 0.0, {inf, inf, inf}},
      {"-v / 0", (-1.0 * v) / 0.0, {-inf, -inf, -inf}},
      {"v + longer", v + longer, {11, 22, 33}},
      {"v - longer", v - longer, {-9, -18, -27}},
      {"w - v", w - v, {1, 2, 3}},
      {"empty + v", dVector() + v, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Elements(c.result), c.expected);
  }
  // Operands are untouched.
  EXPECT_EQ(Elements(v), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Elements(longer), (std::vector<double>{10, 20, 30, 40}));
}

TEST(DVectorArithmetic, ZeroOverZeroIsNotANumber) {
  const dVector r = dVector(3) / 0.0;
  for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(std::isnan(r[i]));
}

TEST(DVectorArithmetic, ScalarMayBeAnElementOfTheOperand) {
  // Every element is divided by the old v[1], even after v[1] itself is done.
  dVector v = Vec({2, 4, 6});
  v = v / v[1];
  EXPECT_EQ(Elements(v), (std::vector<double>{0.5, 1.0, 1.5}));
  dVector u = Vec({3, 2, 1});
  u = u[0] * u;
  EXPECT_EQ(Elements(u), (std::vector<double>{9, 6, 3}));
  dVector t = Vec({3, 2, 1});
  t = t * t[0];
  EXPECT_EQ(Elements(t), (std::vector<double>{9, 6, 3}));
}

TEST(DVectorArithmetic, LongResultsUseTheHeap) {
  dVector a(1.0, 12);
  dVector b(2.0, 12);
  const dVector sum = a + b;
  EXPECT_EQ(Elements(sum), std::vector<double>(12, 3.0));
  EXPECT_FALSE(StoredInline(sum));
}

TEST(DVectorArithmeticDeathTest, ShorterSecondOperandStopsAtTheFirstMissingElement) {
  const dVector a = Vec({1, 2, 3, 4});
  const dVector b = Vec({10, 20, 30});
  EXPECT_DEATH((void)(a + b), "subscript 3 is out of range \\(size 3\\)");
  EXPECT_DEATH((void)(a - b), "subscript 3 is out of range \\(size 3\\)");
}

// ------------------------------------------------ Cross, Dot, Norm, MakeVector3

TEST(Cross, ExactProducts) {
  const dVector x = Vec({1, 0, 0});
  const dVector y = Vec({0, 1, 0});
  EXPECT_EQ(Elements(Cross(x, y)), (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(Elements(Cross(y, x)), (std::vector<double>{0, 0, -1}));
  EXPECT_EQ(Elements(Cross(Vec({1, 2, 3}), Vec({4, 5, 6}))),
            (std::vector<double>{-3, 6, -3}));

  const dVector a = Vec({0.3, -1.7, 2.9});
  const dVector b = Vec({-4.1, 0.05, 1.3});
  const dVector ab = Cross(a, b);
  const dVector ba = Cross(b, a);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(ba[i], -ab[i]) << i;
  EXPECT_EQ(Elements(Cross(a, a)), (std::vector<double>{0, 0, 0}));
  // Each element is the first product minus the second, in double.
  EXPECT_EQ(ab[0], a[1] * b[2] - a[2] * b[1]);
  EXPECT_EQ(ab[1], a[2] * b[0] - a[0] * b[2]);
  EXPECT_EQ(ab[2], a[0] * b[1] - a[1] * b[0]);
}

TEST(CrossDeathTest, OperandsMustHaveThreeElements) {
  const std::string report =
      AssertionReport("0 && \"ERROR: Cross(): dVector dimension should be 3 in Cross Product !\"");
  struct Case {
    std::size_t a;
    std::size_t b;
  };
  for (const Case c : {Case{2, 3}, Case{4, 3}, Case{3, 2}, Case{3, 4}, Case{0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.a << " x " << c.b);
    const dVector a(1.0, c.a);
    const dVector b(1.0, c.b);
    EXPECT_DEATH((void)Cross(a, b), report);
  }
}

TEST(Dot, InnerProducts) {
  EXPECT_EQ(Dot(Vec({1, 2, 3}), Vec({4, 5, 6})), 32.0);
  EXPECT_EQ(Dot(dVector(), dVector()), 0.0);
  // Summed from index 0 upward: the 1 is absorbed by 2^53 and the result is
  // 0, where any other order gives 1.
  const double big = 9007199254740992.0;  // 2^53
  EXPECT_EQ(Dot(Vec({1, big, -big}), Vec({1, 1, 1})), 0.0);
  // The sum starts from +0.0, so products of -0 still give +0.
  EXPECT_FALSE(std::signbit(Dot(Vec({-0.0, -0.0}), Vec({1, 1}))));
}

TEST(DotDeathTest, OperandsMustHaveEqualSizes) {
  const std::string report =
      AssertionReport("0 && \"ERROR: Dot(): Inconsistent vector size in Inner Product !\"");
  EXPECT_DEATH((void)Dot(dVector(3), dVector(4)), report);
  EXPECT_DEATH((void)Dot(dVector(4), dVector(3)), report);
  EXPECT_DEATH((void)Dot(dVector(), dVector(1)), report);
}

TEST(Norm, EuclideanLength) {
  EXPECT_EQ(Norm(Vec({3, 4, 0})), 5.0);
  EXPECT_EQ(Norm(Vec({1, 2, 2})), 3.0);
  EXPECT_EQ(Norm(Vec({-3, 0, -4})), 5.0);
  EXPECT_EQ(Norm(Vec({2, 3, 6, 0, 0})), 7.0);  // any size
  EXPECT_EQ(Norm(dVector()), 0.0);
  const dVector v = Vec({0.1, 0.2, 0.3});
  EXPECT_EQ(Norm(v), std::sqrt(0.3 * 0.3 + (0.2 * 0.2 + (0.1 * 0.1 + 0.0))));
}

TEST(MakeVector3, BuildsThreeElements) {
  const dVector v = MakeVector3(1.5, -2.0, -0.0);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0], 1.5);
  EXPECT_EQ(v[1], -2.0);
  EXPECT_TRUE(std::signbit(v[2]));
  EXPECT_TRUE(StoredInline(v));
}

// ------------------------------------------------------------------ matrix

TEST(Matrix, NewMatrixIsZeroWithOneHandle) {
  const matrix<double> m(3, 3);
  const matrix_rep<double>* rep = m.representation();
  EXPECT_EQ(rep->rows, 3u);
  EXPECT_EQ(rep->cols, 3u);
  EXPECT_EQ(rep->refcount, 1);
  EXPECT_FALSE(m.is_shared());
  EXPECT_EQ(Elements(rep->elements), std::vector<double>(9, 0.0));
}

TEST(Matrix, ElementsAreRowMajor) {
  struct Case {
    std::size_t rows, cols, i, j, index;
  };
  for (const Case c : {Case{3, 3, 1, 2, 5}, Case{3, 3, 2, 2, 8}, Case{3, 3, 0, 0, 0},
                       Case{2, 3, 1, 2, 5}, Case{2, 3, 1, 0, 3}, Case{3, 2, 2, 1, 5}}) {
    SCOPED_TRACE(testing::Message() << c.rows << "x" << c.cols << " (" << c.i << ", "
                                    << c.j << ")");
    matrix<double> m(c.rows, c.cols);
    EXPECT_EQ(m(c.i, c.j).index, c.index);
    double& stored = (m(c.i, c.j) = 7.5);
    std::vector<double> expected(c.rows * c.cols, 0.0);
    expected[c.index] = 7.5;
    EXPECT_EQ(Elements(m.representation()->elements), expected);
    EXPECT_EQ(&stored, &m.representation()->elements[c.index]);
    const matrix<double>& view = m;
    EXPECT_EQ(view(c.i, c.j), 7.5);
    const double read = m(c.i, c.j);
    EXPECT_EQ(read, 7.5);
  }
}

TEST(Matrix, SubscriptOutOfRangeThrowsAndChangesNothing) {
  struct Case {
    std::size_t rows, cols, i, j;
  };
  for (const Case c : {Case{3, 3, 3, 0}, Case{3, 3, 0, 3}, Case{3, 3, 5, 5},
                       Case{0, 5, 0, 0}, Case{0, 5, 0, 4}, Case{2, 3, 2, 0}}) {
    SCOPED_TRACE(testing::Message() << c.rows << "x" << c.cols << " (" << c.i << ", "
                                    << c.j << ")");
    matrix<double> m(c.rows, c.cols);
    try {
      m(c.i, c.j) = 1.0;
      ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& error) {
      EXPECT_STREQ(error.what(), "matrix<T>::operator(): subscript is out of range!");
    }
    const matrix<double>& view = m;
    EXPECT_THROW((void)view(c.i, c.j), std::out_of_range);
    EXPECT_EQ(Elements(m.representation()->elements),
              std::vector<double>(c.rows * c.cols, 0.0));
  }
}

TEST(Matrix, WritesToAnUnsharedMatrixKeepItsRepresentation) {
  matrix<double> m(3, 3);
  const matrix_rep<double>* rep = m.representation();
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      m(i, j) = static_cast<double>(i * 3 + j);
      EXPECT_EQ(m.representation(), rep);
      EXPECT_EQ(rep->refcount, 1);
    }
  }
  m.clone();  // the only handle: nothing to do
  EXPECT_EQ(m.representation(), rep);
  EXPECT_EQ(Elements(rep->elements), (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Matrix, CopiesShareUntilWritten) {
  matrix<double> a(2, 2);
  a(0, 0) = 1.0;
  a(1, 1) = 4.0;
  matrix<double> b(a);
  EXPECT_EQ(b.representation(), a.representation());
  EXPECT_EQ(a.representation()->refcount, 2);
  EXPECT_TRUE(a.is_shared());
  EXPECT_TRUE(b.is_shared());

  // Reading does not copy.
  const double read = b(1, 1);
  EXPECT_EQ(read, 4.0);
  EXPECT_EQ(b.representation(), a.representation());

  b(0, 1) = 2.0;
  EXPECT_NE(b.representation(), a.representation());
  EXPECT_EQ(a.representation()->refcount, 1);
  EXPECT_EQ(b.representation()->refcount, 1);
  EXPECT_EQ(Elements(a.representation()->elements), (std::vector<double>{1, 0, 0, 4}));
  EXPECT_EQ(Elements(b.representation()->elements), (std::vector<double>{1, 2, 0, 4}));
  EXPECT_EQ(b.rows(), 2u);
  EXPECT_EQ(b.cols(), 2u);
}

TEST(Matrix, CloneGivesASharedHandleItsOwnCopy) {
  matrix<double> a(1, 3);
  a(0, 2) = 5.0;
  matrix<double> b(a);
  matrix<double> c(a);
  EXPECT_EQ(a.representation()->refcount, 3);
  c.clone();
  EXPECT_NE(c.representation(), a.representation());
  EXPECT_EQ(a.representation()->refcount, 2);
  EXPECT_EQ(c.representation()->refcount, 1);
  EXPECT_EQ(Elements(c.representation()->elements), (std::vector<double>{0, 0, 5}));
}

TEST(Matrix, AssignmentSharesAndCounts) {
  matrix<double> a(2, 2);
  a(0, 0) = 3.0;
  matrix<double> b(1, 1);
  b = a;
  EXPECT_EQ(b.representation(), a.representation());
  EXPECT_EQ(a.representation()->refcount, 2);
  b = Same(b);
  EXPECT_EQ(a.representation()->refcount, 2);
  {
    matrix<double> c(a);
    EXPECT_EQ(a.representation()->refcount, 3);
  }
  EXPECT_EQ(a.representation()->refcount, 2);
  b(1, 0) = 1.0;
  EXPECT_EQ(a.representation()->refcount, 1);
  EXPECT_EQ(a(1, 0), 0.0);
}

TEST(Matrix, ElementToElementAssignmentCopiesTheValue) {
  matrix<double> m(2, 2);
  m(1, 1) = 6.0;
  m(0, 0) = m(1, 1);
  m(1, 1) = 2.0;
  EXPECT_EQ(Elements(m.representation()->elements), (std::vector<double>{6, 0, 0, 2}));
}

// An element type that counts its live objects.
struct Tracked {
  static int live;
  int value = 0;
  Tracked() { ++live; }
  Tracked(const Tracked& other) : value(other.value) { ++live; }
  Tracked& operator=(const Tracked&) = default;
  ~Tracked() { --live; }
};
int Tracked::live = 0;

TEST(Matrix, RepresentationIsFreedWithItsLastHandle) {
  Tracked::live = 0;
  {
    matrix<Tracked> a(2, 3);
    EXPECT_EQ(Tracked::live, 6);
    {
      matrix<Tracked> b(a);
      EXPECT_EQ(Tracked::live, 6);
      Tracked seven;
      seven.value = 7;
      b(0, 0) = seven;  // copy-on-write: a second set of elements
      EXPECT_EQ(Tracked::live, 13);
      EXPECT_EQ(static_cast<const Tracked&>(a(0, 0)).value, 0);
    }
    EXPECT_EQ(Tracked::live, 6);
  }
  EXPECT_EQ(Tracked::live, 0);
}

}  // namespace
