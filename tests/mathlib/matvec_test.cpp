// Matrix-vector product: examples, strides, rejected arguments, bit-exact references.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "guarded.h"
#include "quadrel.h"
#include "reference_blas.h"

namespace {

using quadrel_test::GuardedArray;
using quadrel_test::kGuardValue;
using quadrel_test::same_bits;
using quadrel_test::same_value;

const double kNan = std::numeric_limits<double>::quiet_NaN();

// A strided vector, given in element order: `count` elements spaced |stride| apart,
// stored backwards for a negative stride. The elements in between and the guards around
// the array keep the guard value.
class Strided {
 public:
  Strided(const std::vector<double>& values, int stride)
      : count_(values.size()),
        step_(std::abs(stride)),
        backwards_(stride < 0),
        array_(count_ == 0 ? 0 : (count_ - 1) * step_ + 1, kGuardValue) {
    for (std::size_t j = 0; j < count_; ++j) array_[position(j)] = values[j];
  }
  double* data() { return array_.data(); }
  double operator[](std::size_t j) const { return array_.data()[position(j)]; }

  bool outside_intact() const {
    for (std::size_t p = 0; p < array_.size(); ++p) {
      if (p % step_ != 0 && !same_bits(array_.data()[p], kGuardValue)) return false;
    }
    return array_.guards_intact();
  }

 private:
  std::size_t position(std::size_t j) const { return (backwards_ ? count_ - 1 - j : j) * step_; }

  std::size_t count_;
  std::size_t step_;
  bool backwards_;
  GuardedArray<double> array_;
};

TEST(MatrixVectorProduct, Examples) {
  struct Case {
    const char* name;
    std::vector<double> a;  // 2 x 2, column-major
    std::vector<double> x;
    int incx;
    double alpha, beta;
    std::vector<double> y;
    int incy;
    std::vector<double> expected;
  };
  const std::vector<double> a{1.0, 3.0, 2.0, 4.0};  // rows (1, 2) and (3, 4)
  const Case cases[] = {
      {"alpha 1, beta 0.5", a, {1.0, 1.0}, 1, 1.0, 0.5, {10.0, 20.0}, 1, {8.0, 17.0}},
      {"beta 0 discards a NaN", a, {1.0, 1.0}, 1, 1.0, 0.0, {kNan, 20.0}, 1, {3.0, 7.0}},
      {"zero x skips a NaN column",
       {1.0, 3.0, kNan, kNan},
       {2.5, 0.0},
       1,
       2.0,
       1.0,
       {1.0, 2.0},
       1,
       {6.0, 17.0}},
      {"zero x skips an infinite column",
       {1.0, 3.0, INFINITY, -INFINITY},
       {2.5, -0.0},
       1,
       1.0,
       0.0,
       {kNan, kNan},
       1,
       {2.5, 7.5}},
      {"negative incy", a, {1.0, 2.0}, 1, 1.0, 1.0, {10.0, 20.0}, -1, {15.0, 31.0}},
      {"strides 3 and -2", a, {1.0, 2.0}, 3, -0.5, 2.0, {1.0, 2.0}, -2, {-0.5, -1.5}},
      {"alpha 0 only scales", a, {kNan, kNan}, 1, 0.0, -2.0, {1.5, 2.5}, 1, {-3.0, -5.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Strided x(c.x, c.incx);
    Strided y(c.y, c.incy);
    GuardedArray<double> matrix(c.a, kGuardValue);
    EXPECT_EQ(import_mathfunction_matrix_vektor_produkt(2, 2, c.alpha, matrix.data(), 2, x.data(),
                                                        c.incx, c.beta, y.data(), c.incy),
              QUADREL_SUCCESS);
    // The expected vector is in element order: y(1), y(2).
    EXPECT_EQ(y[0], c.expected[0]);
    EXPECT_EQ(y[1], c.expected[1]);
    EXPECT_TRUE(y.outside_intact());
    EXPECT_TRUE(x.outside_intact());
    EXPECT_TRUE(matrix.guards_intact());
  }
}

TEST(MatrixVectorProduct, NegativeStrideStartsFromTheLastElement) {
  const double a[4] = {1.0, 3.0, 2.0, 4.0};  // rows (1, 2) and (3, 4)
  const double x[2] = {1.0, 2.0};            // with incx = -1: x(1) = 2, x(2) = 1
  double y[3] = {0.0, 0.0, kGuardValue};
  ASSERT_EQ(import_mathfunction_matrix_vektor_produkt(2, 2, 1.0, a, 2, x, -1, 0.0, y, 1),
            QUADREL_SUCCESS);
  EXPECT_EQ(y[0], 4.0);
  EXPECT_EQ(y[1], 10.0);
  EXPECT_TRUE(same_bits(y[2], kGuardValue));

  // With incy = -1 the first element of y is the last of the array.
  double z[2] = {0.0, 0.0};
  ASSERT_EQ(import_mathfunction_matrix_vektor_produkt(2, 1, 1.0, a, 2, x, 1, 0.0, z, -1),
            QUADREL_SUCCESS);
  EXPECT_EQ(z[0], 3.0);
  EXPECT_EQ(z[1], 1.0);
}

// Rejected arguments and quick returns read and write nothing: the arrays are null.
TEST(MatrixVectorProduct, RejectionsAndQuickReturnsTouchNothing) {
  struct Case {
    const char* name;
    int m, n;
    double alpha;
    int lda, incx;
    double beta;
    int incy;
    int status;
  };
  const Case cases[] = {
      {"negative m", -1, 2, 1.0, 2, 1, 0.0, 1, QUADREL_MATVEC_BAD_ARGUMENT},
      {"negative n", 2, -1, 1.0, 2, 1, 0.0, 1, QUADREL_MATVEC_BAD_ARGUMENT},
      {"lda below m", 3, 2, 1.0, 2, 1, 0.0, 1, QUADREL_MATVEC_BAD_ARGUMENT},
      {"lda 0 with m 0", 0, 2, 1.0, 0, 1, 0.0, 1, QUADREL_MATVEC_BAD_ARGUMENT},
      {"incx 0", 2, 2, 1.0, 2, 0, 0.0, 1, QUADREL_MATVEC_BAD_ARGUMENT},
      {"incy 0", 2, 2, 1.0, 2, 1, 0.0, 0, QUADREL_MATVEC_BAD_ARGUMENT},
      {"m 0", 0, 2, 1.0, 1, 1, 0.0, 1, QUADREL_SUCCESS},
      {"n 0", 2, 0, 1.0, 2, 1, 0.0, 1, QUADREL_SUCCESS},
      {"alpha 0, beta 1", 2, 2, 0.0, 2, 1, 1.0, 1, QUADREL_SUCCESS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(import_mathfunction_matrix_vektor_produkt(c.m, c.n, c.alpha, nullptr, c.lda, nullptr,
                                                        c.incx, c.beta, nullptr, c.incy),
              c.status);
  }
}

TEST(MatrixVectorProduct, BitForBitWithTheReferenceBlas) {
  ASSERT_NE(reference::loaded_from().find("/blas/"), std::string::npos) << reference::loaded_from();
  std::mt19937_64 rng(0x5eed'4006);
  std::uniform_real_distribution<double> value(-3.0, 3.0);
  std::uniform_int_distribution<int> size(1, 20);
  const int strides[] = {-3, -2, -1, 1, 2, 3};
  const double betas[] = {0.0, 1.0, -0.75, 2.385};
  for (int round = 0; round < 200; ++round) {
    const int m = size(rng);
    const int n = size(rng);
    const int lda = m + round % 3;
    const int incx = strides[round % 6];
    const int incy = strides[(round / 6) % 6];
    const double alpha = value(rng);
    const double beta = betas[round % 4];
    SCOPED_TRACE(::testing::Message() << "m " << m << ", n " << n << ", incx " << incx << ", incy "
                                      << incy << ", beta " << beta);
    std::vector<double> a(std::size_t(lda) * n);
    for (double& v : a) v = value(rng);
    std::vector<double> xs(n);
    for (double& v : xs) v = value(rng);  // non-zero: the reference does not skip columns
    std::vector<double> ys(m);
    for (double& v : ys) v = value(rng);

    Strided x(xs, incx);
    Strided y(ys, incy);
    Strided expected(ys, incy);
    reference::dgemv(m, n, alpha, a.data(), lda, x.data(), incx, beta, expected.data(), incy);
    ASSERT_EQ(import_mathfunction_matrix_vektor_produkt(m, n, alpha, a.data(), lda, x.data(), incx,
                                                        beta, y.data(), incy),
              QUADREL_SUCCESS);
    for (int i = 0; i < m; ++i) ASSERT_TRUE(same_bits(y[i], expected[i])) << i;
    EXPECT_TRUE(y.outside_intact());
  }
}

// The product against the plain loop (scale y, then column after column, skipping the columns
// whose x(j) is zero), on vectors with zeros of either sign and matrices with infinities and
// NaNs, at sizes around the vector width and the groups of four columns that the contiguous
// case takes together.
TEST(MatrixVectorProduct, BitForBitWithTheColumnOrderOnHardValues) {
  std::mt19937_64 rng(0x5eed'6006);
  std::uniform_real_distribution<double> draw(0.0, 1.0);
  auto hard = [&](double zeros, double non_finite) {
    const double d = draw(rng);
    if (d < zeros) return d < zeros / 2 ? 0.0 : -0.0;
    if (d < zeros + non_finite) return d < zeros + non_finite / 2 ? kNan : -INFINITY;
    return 6.0 * draw(rng) - 3.0;
  };
  const int strides[] = {1, -1, 2};
  for (int round = 0; round < 120; ++round) {
    const int m = 1 + round % 37;
    const int n = 1 + (round * 7) % 23;
    const int incx = strides[round % 3];
    const int incy = strides[(round / 3) % 3];
    const int lda = m + round % 2;
    const double alpha = round % 5 == 0 ? -0.0 : hard(0.0, 0.0);
    const double beta = round % 4 == 0 ? 1.0 : hard(0.2, 0.0);
    SCOPED_TRACE(::testing::Message() << "m " << m << ", n " << n << ", incx " << incx << ", incy "
                                      << incy << ", alpha " << alpha << ", beta " << beta);
    std::vector<double> a(std::size_t(lda) * n);
    for (double& v : a) v = hard(0.1, 0.03);
    std::vector<double> xs(n);
    for (double& v : xs) v = hard(0.4, 0.0);
    std::vector<double> ys(m);
    for (double& v : ys) v = hard(0.3, 0.02);

    std::vector<double> expected = ys;
    if (!(alpha == 0.0 && beta == 1.0)) {
      if (beta != 1.0) {
        for (double& v : expected) v = beta == 0.0 ? 0.0 : beta * v;
      }
      for (int j = 0; alpha != 0.0 && j < n; ++j) {
        if (xs[j] == 0.0) continue;
        const double t = alpha * xs[j];
        for (int i = 0; i < m; ++i) expected[i] = expected[i] + t * a[i + std::size_t(j) * lda];
      }
    }
    Strided x(xs, incx);
    Strided y(ys, incy);
    ASSERT_EQ(import_mathfunction_matrix_vektor_produkt(m, n, alpha, a.data(), lda, x.data(), incx,
                                                        beta, y.data(), incy),
              QUADREL_SUCCESS);
    for (int i = 0; i < m; ++i) ASSERT_TRUE(same_value(y[i], expected[i])) << i;
    EXPECT_TRUE(y.outside_intact());
  }
}

// A non-zero x(j) whose product with alpha rounds to zero still adds its column, as the
// reference does: 0 * infinity reaches y as NaN, and -0 + 0 becomes +0. Five columns take
// the group of four and the single column after it.
TEST(MatrixVectorProduct, ColumnWhoseFactorRoundsToZeroIsStillAdded) {
  const int m = 6;
  const int n = 5;
  std::vector<double> a(std::size_t(m) * n, 1.0);
  a[0] = INFINITY;                       // column 0, inside the group of four
  a[std::size_t(4) * m + 1] = INFINITY;  // column 4, on its own
  const std::vector<double> x(n, 1e-200);
  std::vector<double> y(m, -0.0);
  ASSERT_EQ(import_mathfunction_matrix_vektor_produkt(m, n, 1e-200, a.data(), m, x.data(), 1, 1.0,
                                                      y.data(), 1),
            QUADREL_SUCCESS);
  EXPECT_TRUE(std::isnan(y[0]));
  EXPECT_TRUE(std::isnan(y[1]));
  for (int i = 2; i < m; ++i) EXPECT_TRUE(same_value(y[i], 0.0)) << i;
}

}  // namespace
