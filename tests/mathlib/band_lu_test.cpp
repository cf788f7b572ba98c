// Band LU: examples, rejected arguments, the reference BLAS bit for bit, the dense solution.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "guarded.h"
#include "quadrel.h"
#include "reference_blas.h"

namespace {

using quadrel_test::GuardedArray;
using quadrel_test::GuardedMatrix;
using quadrel_test::kGuardInt;
using quadrel_test::kGuardValue;
using quadrel_test::same_bits;
using quadrel_test::same_value;

// A band matrix given by its dense rows, stored in band form with leading dimension lda.
// The fill-in rows 1..ml start as NaN: the factorisation must not read them before it
// clears them.
GuardedMatrix band_from_rows(const std::vector<std::vector<double>>& rows, int ml, int mu,
                             int lda) {
  const int n = static_cast<int>(rows.size());
  const int m = ml + mu + 1;
  GuardedMatrix abd(2 * ml + mu + 1, n, lda);
  for (int j = 0; j < n; ++j) {
    for (int r = 0; r < ml; ++r) abd(r, j) = std::nan("");
  }
  for (int i = 0; i < n; ++i) {
    for (int j = std::max(0, i - ml); j <= std::min(n - 1, i + mu); ++j) {
      abd(i - j + m - 1, j) = rows[i][j];
    }
  }
  return abd;
}

// The band factorisation and solution written out with 1-based indices around the
// reference BLAS, as the straightforward form of the algorithm to compare against.
struct ReferenceBandLu {
  std::vector<double> abd;
  int lda, n, ml, mu, m;
  std::vector<int> ipvt;
  int info = 0;

  double& at(int r, int j) { return abd[(r - 1) + std::size_t(j - 1) * lda]; }

  ReferenceBandLu(std::vector<double> band, int lda_, int n_, int ml_, int mu_)
      : abd(std::move(band)), lda(lda_), n(n_), ml(ml_), mu(mu_), m(ml_ + mu_ + 1), ipvt(n_) {
    for (int jz = mu + 2; jz <= std::min(n, m) - 1; ++jz) {
      for (int i = m + 1 - jz; i <= ml; ++i) at(i, jz) = 0.0;
    }
    int jz = std::min(n, m) - 1;
    int ju = 0;
    for (int k = 1; k <= n - 1; ++k) {
      ++jz;
      if (jz <= n) {
        for (int i = 1; i <= ml; ++i) at(i, jz) = 0.0;
      }
      const int lm = std::min(ml, n - k);
      int l = reference::idamax(lm + 1, &at(m, k)) + m - 1;
      ipvt[k - 1] = l + k - m;
      if (at(l, k) == 0.0) {
        info = k;
        continue;
      }
      if (l != m) std::swap(at(l, k), at(m, k));
      reference::dscal(lm, -1.0 / at(m, k), &at(m + 1, k));
      ju = std::min(std::max(ju, mu + ipvt[k - 1]), n);
      int mm = m;
      for (int j = k + 1; j <= ju; ++j) {
        --l;
        --mm;
        const double t = at(l, j);
        if (l != mm) {
          at(l, j) = at(mm, j);
          at(mm, j) = t;
        }
        reference::daxpy(lm, t, &at(m + 1, k), &at(mm + 1, j));
      }
    }
    ipvt[n - 1] = n;
    if (at(m, n) == 0.0) info = n;
  }

  std::vector<double> solve(std::vector<double> b) {
    if (ml > 0) {
      for (int k = 1; k <= n - 1; ++k) {
        const int lm = std::min(ml, n - k);
        const int l = ipvt[k - 1];
        const double t = b[l - 1];
        if (l != k) {
          b[l - 1] = b[k - 1];
          b[k - 1] = t;
        }
        reference::daxpy(lm, t, &at(m + 1, k), &b[k]);
      }
    }
    for (int k = n; k >= 1; --k) {
      b[k - 1] /= at(m, k);
      const int lm = std::min(k, m) - 1;
      reference::daxpy(lm, -b[k - 1], &at(m - lm, k), &b[k - lm - 1]);
    }
    return b;
  }
};

struct Example {
  const char* name;
  std::vector<std::vector<double>> rows;
  int ml, mu;
  int info;
  std::vector<int> ipvt;
  std::vector<double> b;
  std::vector<double> x;  // expected to rounding
};

TEST(BandLu, ExamplesGiveTheirPivotsStatusAndSolution) {
  const Example examples[] = {
      {"tridiagonal",
       {{2.0, 1.0, 0.0}, {1.0, 2.0, 1.0}, {0.0, 1.0, 2.0}},
       1,
       1,
       0,
       {1, 2, 3},
       {3.0, 4.0, 3.0},
       {1.0, 1.0, 1.0}},
      {"pivoting",
       {{1.0, 2.0, 0.0}, {3.0, 4.0, 5.0}, {0.0, 6.0, 7.0}},
       1,
       1,
       0,
       {2, 3, 3},
       {3.0, 12.0, 13.0},
       {1.0, 1.0, 1.0}},
      {"permutation", {{0.0, 1.0}, {1.0, 0.0}}, 1, 1, 0, {2, 2}, {3.0, 4.0}, {4.0, 3.0}},
      {"no sub-diagonal: no interchange",
       {{4.0, 1.0, 0.0}, {0.0, 0.5, 2.0}, {0.0, 0.0, 8.0}},
       0,
       1,
       0,
       {1, 2, 3},
       {10.0, 4.5, 8.0},
       {1.25, 5.0, 1.0}},
      {"one element", {{2.5}}, 0, 0, 0, {1}, {5.0}, {2.0}},
      {"two sub-diagonals, one super-diagonal",
       {{1.0, 5.0, 0.0, 0.0}, {2.0, 1.0, 3.0, 0.0}, {4.0, 2.0, 1.0, 1.0}, {0.0, 1.0, 6.0, 2.0}},
       2,
       1,
       0,
       {3, 3, 4, 4},
       {6.0, 6.0, 8.0, 9.0},
       {1.0, 1.0, 1.0, 1.0}},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.name);
    const int n = static_cast<int>(e.rows.size());
    const int lda = 2 * e.ml + e.mu + 1 + 2;  // two padding rows that must stay untouched
    GuardedMatrix abd = band_from_rows(e.rows, e.ml, e.mu, lda);
    GuardedArray<int> ipvt(n, kGuardInt);
    EXPECT_EQ(import_mathfunction_LU_Zerlegung_band(abd.data(), lda, n, e.ml, e.mu, ipvt.data()),
              e.info);
    EXPECT_EQ(ipvt.values(), e.ipvt);
    GuardedArray<double> b(e.b, kGuardValue);
    EXPECT_EQ(import_mathfunction_loesung_lin_gls_band(abd.data(), lda, n, e.ml, e.mu, ipvt.data(),
                                                       b.data()),
              QUADREL_SUCCESS);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(b[i], e.x[i], 4e-16 * std::abs(e.x[i])) << i;
    EXPECT_TRUE(abd.outside_intact());
    EXPECT_TRUE(ipvt.guards_intact());
    EXPECT_TRUE(b.guards_intact());
  }
}

TEST(BandLu, DiagonalMatrixReportsItsLastZero) {
  const std::vector<double> diagonal{2.5, 0.0, 4.0, -0.0, 1.5};
  std::vector<double> abd = diagonal;  // ml = mu = 0: one row, lda = 1
  std::vector<int> ipvt(5);
  EXPECT_EQ(import_mathfunction_LU_Zerlegung_band(abd.data(), 1, 5, 0, 0, ipvt.data()), 4);
  EXPECT_EQ(ipvt, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(abd, diagonal);

  std::vector<double> regular{2.5, 0.5, 4.0};
  std::vector<double> b{5.0, 3.0, 1.0};
  ASSERT_EQ(import_mathfunction_LU_Zerlegung_band(regular.data(), 1, 3, 0, 0, ipvt.data()),
            QUADREL_SUCCESS);
  // With ml = 0 the pivot vector is not read: an invalid one does no harm.
  const int unread[3] = {-7, -7, -7};
  EXPECT_EQ(import_mathfunction_loesung_lin_gls_band(regular.data(), 1, 3, 0, 0, unread, b.data()),
            QUADREL_SUCCESS);
  EXPECT_EQ(b, (std::vector<double>{2.0, 6.0, 0.25}));
}

// Arguments outside the contract: the status names the first bad argument, and nothing
// is read or written (null arrays would fault if they were touched).
TEST(BandLuArguments, OutsideTheContractTouchNothing) {
  struct Case {
    const char* name;
    int lda, n, ml, mu;
    int factor_status;
    int solve_status;
  };
  const Case cases[] = {
      {"lda below 2*ml + mu + 1", 3, 3, 1, 1, QUADREL_BAND_BAD_LDA, QUADREL_BAND_BAD_LDA},
      {"lda too small comes before n", 0, 0, 0, 0, QUADREL_BAND_BAD_LDA, QUADREL_BAND_BAD_LDA},
      {"empty matrix", 1, 0, 0, 0, QUADREL_BAND_BAD_ORDER, QUADREL_SUCCESS},
      {"negative order", 4, -2, 1, 1, QUADREL_BAND_BAD_ORDER, QUADREL_SUCCESS},
      {"negative ml", 9, 3, -1, 1, QUADREL_BAND_BAD_LOWER, QUADREL_BAND_BAD_LOWER},
      {"negative mu", 9, 3, 1, -1, QUADREL_BAND_BAD_UPPER, QUADREL_BAND_BAD_UPPER},
      {"both negative", 9, 3, -1, -1, QUADREL_BAND_BAD_LOWER, QUADREL_BAND_BAD_LOWER},
      {"lda is not judged against a negative ml", 0, 3, -1, 0, QUADREL_BAND_BAD_LOWER,
       QUADREL_BAND_BAD_LOWER},
      {"2*ml + mu + 1 beyond int", INT_MAX, 3, INT_MAX / 2 + 1, 0, QUADREL_BAND_BAD_LDA,
       QUADREL_BAND_BAD_LDA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(import_mathfunction_LU_Zerlegung_band(nullptr, c.lda, c.n, c.ml, c.mu, nullptr),
              c.factor_status);
    EXPECT_EQ(
        import_mathfunction_loesung_lin_gls_band(nullptr, c.lda, c.n, c.ml, c.mu, nullptr, nullptr),
        c.solve_status);
  }
}

TEST(BandLuArguments, PivotOutsideTheBandIsRejected) {
  // n = 4, ml = 1, mu = 1: ipvt(k) must lie in k..k+1.
  const std::vector<double> factors(4 * 4, 1.0);
  for (const std::vector<int>& ipvt :
       {std::vector<int>{0, 2, 3, 4}, std::vector<int>{3, 2, 3, 4}, std::vector<int>{1, 2, 5, 4}}) {
    SCOPED_TRACE(::testing::PrintToString(ipvt));
    GuardedArray<double> b({1.0, 2.0, 3.0, 4.0}, kGuardValue);
    EXPECT_EQ(
        import_mathfunction_loesung_lin_gls_band(factors.data(), 4, 4, 1, 1, ipvt.data(), b.data()),
        QUADREL_BAND_BAD_PIVOTS);
    EXPECT_EQ(b.values(), (std::vector<double>{1.0, 2.0, 3.0, 4.0}));
  }
}

// Random band matrices: entries in [-1, 1], or small integers, mostly zero, for ties and
// zero pivots.
std::vector<std::vector<double>> random_band(std::mt19937_64& rng, int n, int ml, int mu,
                                             bool integers) {
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  std::discrete_distribution<int> small({1, 1, 6, 1, 1});  // -2..2
  std::vector<std::vector<double>> rows(n, std::vector<double>(n, 0.0));
  for (int i = 0; i < n; ++i) {
    for (int j = std::max(0, i - ml); j <= std::min(n - 1, i + mu); ++j) {
      rows[i][j] = integers ? small(rng) - 2 : real(rng);
    }
  }
  return rows;
}

struct Shape {
  int ml, mu;
};
constexpr Shape kShapes[] = {{0, 0}, {0, 2}, {1, 0}, {1, 1}, {2, 1}, {3, 4}, {6, 2}};

TEST(BandLuReference, BitForBitWithTheReferenceBlas) {
  ASSERT_NE(reference::loaded_from().find("/blas/"), std::string::npos) << reference::loaded_from();
  std::mt19937_64 rng(0x5eed'2006);
  int singular = 0;
  for (const Shape shape : kShapes) {
    for (int n = 1; n <= 50; n += (n < 10 ? 1 : 7)) {
      for (bool integers : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << "n = " << n << ", ml = " << shape.ml << ", mu = " << shape.mu);
        const int lda = 2 * shape.ml + shape.mu + 1 + 1;
        GuardedMatrix abd = band_from_rows(random_band(rng, n, shape.ml, shape.mu, integers),
                                           shape.ml, shape.mu, lda);
        ReferenceBandLu ref({abd.data(), abd.data() + std::size_t(lda) * n}, lda, n, shape.ml,
                            shape.mu);
        singular += ref.info != 0;

        GuardedArray<int> ipvt(n, kGuardInt);
        ASSERT_EQ(import_mathfunction_LU_Zerlegung_band(abd.data(), lda, n, shape.ml, shape.mu,
                                                        ipvt.data()),
                  ref.info);
        ASSERT_EQ(ipvt.values(), ref.ipvt);
        for (int j = 0; j < n; ++j) {
          for (int r = 0; r < lda; ++r) ASSERT_TRUE(same_value(abd(r, j), ref.at(r + 1, j + 1)));
        }

        std::vector<double> rhs(n);
        for (double& v : rhs) v = std::uniform_real_distribution<double>(-5.0, 5.0)(rng);
        const std::vector<double> x = ref.solve(rhs);
        GuardedArray<double> b(rhs, kGuardValue);
        ASSERT_EQ(import_mathfunction_loesung_lin_gls_band(abd.data(), lda, n, shape.ml, shape.mu,
                                                           ipvt.data(), b.data()),
                  QUADREL_SUCCESS);
        for (int i = 0; i < n; ++i) ASSERT_TRUE(same_value(b[i], x[i])) << i;
        EXPECT_TRUE(abd.outside_intact());
        EXPECT_TRUE(ipvt.guards_intact());
        EXPECT_TRUE(b.guards_intact());
      }
    }
  }
  EXPECT_GT(singular, 5);  // the integer matrices did exercise zero pivots
}

// On a regular band matrix the band routines perform the dense routines' operations on
// the non-zero elements, so their solution equals the dense one exactly, and its residual
// is at rounding level.
TEST(BandLuProperties, SolutionEqualsTheDenseOneOnRandomMatrices) {
  std::mt19937_64 rng(0x5eed'3006);
  for (const Shape shape : kShapes) {
    for (int n = 1; n <= 50; n += 7) {
      SCOPED_TRACE(::testing::Message()
                   << "n = " << n << ", ml = " << shape.ml << ", mu = " << shape.mu);
      const auto rows = random_band(rng, n, shape.ml, shape.mu, false);
      const int lda = 2 * shape.ml + shape.mu + 1;
      GuardedMatrix abd = band_from_rows(rows, shape.ml, shape.mu, lda);
      std::vector<int> ipvt(n);
      ASSERT_EQ(import_mathfunction_LU_Zerlegung_band(abd.data(), lda, n, shape.ml, shape.mu,
                                                      ipvt.data()),
                QUADREL_SUCCESS);
      std::vector<double> x(n);
      for (int i = 0; i < n; ++i) x[i] = 1.5 - 0.25 * i;
      const std::vector<double> b = x;
      ASSERT_EQ(import_mathfunction_loesung_lin_gls_band(abd.data(), lda, n, shape.ml, shape.mu,
                                                         ipvt.data(), x.data()),
                QUADREL_SUCCESS);

      std::vector<double> dense(std::size_t(n) * n);
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) dense[i + std::size_t(j) * n] = rows[i][j];
      }
      std::vector<int> dense_ipvt(n);
      ASSERT_EQ(import_mathfunction_LU_Zerlegung(dense.data(), n, n, dense_ipvt.data()),
                QUADREL_SUCCESS);
      EXPECT_EQ(dense_ipvt, ipvt);
      std::vector<double> dense_x = b;
      import_mathfunction_loesung_lin_gls(dense.data(), n, n, dense_ipvt.data(), dense_x.data());
      EXPECT_EQ(x, dense_x);

      for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        double size = 0.0;
        for (int j = 0; j < n; ++j) {
          sum += rows[i][j] * x[j];
          size += std::abs(rows[i][j] * x[j]);
        }
        EXPECT_LE(std::abs(sum - b[i]), 64.0 * n * 0x1p-52 * size);
      }
    }
  }
}

}  // namespace
