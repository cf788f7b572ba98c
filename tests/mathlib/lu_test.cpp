// Dense LU, solution and inverse: examples, rejected arguments, bit-exact references, properties.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "guarded.h"
#include "plain_lu.h"
#include "quadrel.h"
#include "reference_blas.h"

namespace {

using quadrel_test::GuardedArray;
using quadrel_test::GuardedMatrix;
using quadrel_test::kGuardInt;
using quadrel_test::kGuardValue;
using quadrel_test::same_bits;
using quadrel_test::same_value;

// Column-major n x n matrix from its rows.
std::vector<double> from_rows(const std::vector<std::vector<double>>& rows) {
  const int n = static_cast<int>(rows.size());
  std::vector<double> a(std::size_t(n) * n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) a[i + std::size_t(j) * n] = rows[i][j];
  }
  return a;
}

GuardedMatrix guarded(const std::vector<double>& a, int n, int lda) {
  GuardedMatrix m(n, n, lda);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) m(i, j) = a[i + std::size_t(j) * n];
  }
  return m;
}

// The plain algorithm around the reference BLAS.
struct ReferenceLevel1 {
  static int idamax(int n, const double* x) { return reference::idamax(n, x); }
  static void dscal(int n, double alpha, double* x) { reference::dscal(n, alpha, x); }
  static void daxpy(int n, double alpha, const double* x, double* y) {
    reference::daxpy(n, alpha, x, y);
  }
  static void dswap(int n, double* x, double* y) { reference::dswap(n, x, y); }
};
using ReferenceLu = quadrel_test::PlainLu<ReferenceLevel1>;

struct Example {
  const char* name;
  std::vector<std::vector<double>> rows;
  int info;
  std::vector<int> ipvt;
};

TEST(LuFactor, ExamplesGiveTheirPivotsAndStatus) {
  const double nan = std::nan("");
  const Example examples[] = {
      {"one element", {{2.385}}, 0, {1}},
      {"one zero element", {{0.0}}, 1, {1}},
      {"negative zero is a zero pivot", {{-0.0}}, 1, {1}},
      {"a NaN pivot is not zero", {{nan}}, 0, {1}},
      {"permutation", {{0.0, 1.0}, {1.0, 0.0}}, 0, {2, 2}},
      {"tie keeps the first", {{1.0, 1.0, 0.0}, {2.0, 3.0, 1.0}, {-2.0, 1.0, 4.0}}, 0, {2, 3, 3}},
      {"zero first column", {{0.0, 1.0, 2.0}, {0.0, 3.0, 4.0}, {0.0, 4.0, 7.0}}, 1, {1, 3, 3}},
      {"singular 2x2", {{1.0, 2.0}, {2.0, 4.0}}, 2, {2, 2}},
      {"largest zero step wins", {{0.0, 1.0, 1.0}, {0.0, 1.0, 1.0}, {0.0, 0.0, 0.0}}, 3, {1, 2, 3}},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.name);
    const int n = static_cast<int>(e.rows.size());
    GuardedMatrix a = guarded(from_rows(e.rows), n, n + 2);
    GuardedArray<int> ipvt(n, kGuardInt);
    EXPECT_EQ(import_mathfunction_LU_Zerlegung(a.data(), a.lda(), n, ipvt.data()), e.info);
    EXPECT_EQ(ipvt.values(), e.ipvt);
    EXPECT_TRUE(a.outside_intact());
    EXPECT_TRUE(ipvt.guards_intact());
  }
}

TEST(LuSolveAndInverse, SmallExamples) {
  struct Case {
    const char* name;
    std::vector<std::vector<double>> rows;
    std::vector<double> b, x;
    std::vector<std::vector<double>> inverse_rows;
  };
  const Case cases[] = {
      {"one element", {{2.5}}, {5.0}, {2.0}, {{0.4}}},
      {"permutation", {{0.0, 1.0}, {1.0, 0.0}}, {3.0, 4.0}, {4.0, 3.0}, {{0.0, 1.0}, {1.0, 0.0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.rows.size());
    GuardedMatrix a = guarded(from_rows(c.rows), n, n + 3);
    std::vector<int> ipvt(n);
    ASSERT_EQ(import_mathfunction_LU_Zerlegung(a.data(), a.lda(), n, ipvt.data()), QUADREL_SUCCESS);
    const GuardedMatrix factors = a;
    GuardedArray<double> b(c.b, kGuardValue);
    EXPECT_EQ(import_mathfunction_loesung_lin_gls(a.data(), a.lda(), n, ipvt.data(), b.data()),
              QUADREL_SUCCESS);
    EXPECT_EQ(b.values(), c.x);
    EXPECT_TRUE(b.guards_intact());
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) EXPECT_TRUE(same_bits(a(i, j), factors(i, j)));  // unchanged
    }

    EXPECT_EQ(import_mathfunction_inversion_matrix(a.data(), a.lda(), n, ipvt.data()),
              QUADREL_SUCCESS);
    const std::vector<double> inverse = from_rows(c.inverse_rows);
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) EXPECT_EQ(a(i, j), inverse[i + std::size_t(j) * n]);
    }
    EXPECT_TRUE(a.outside_intact());
  }
}

// Arguments outside the contract: the status names the first bad argument, and nothing
// is read or written (null arrays would fault if they were touched).
TEST(LuArguments, OutsideTheContractTouchNothing) {
  struct Case {
    const char* name;
    int lda;
    int n;
    int status;
  };
  const Case cases[] = {
      {"empty matrix", 0, 0, QUADREL_SUCCESS},
      {"negative order", 3, -4, QUADREL_SUCCESS},
      {"negative order, negative lda", -7, -4, QUADREL_SUCCESS},
      {"lda below n", 2, 3, QUADREL_LU_BAD_LDA},
      {"negative lda", -1, 1, QUADREL_LU_BAD_LDA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(import_mathfunction_LU_Zerlegung(nullptr, c.lda, c.n, nullptr), c.status);
    EXPECT_EQ(import_mathfunction_loesung_lin_gls(nullptr, c.lda, c.n, nullptr, nullptr), c.status);
    EXPECT_EQ(import_mathfunction_inversion_matrix(nullptr, c.lda, c.n, nullptr), c.status);
  }
}

TEST(LuArguments, PivotOutsideTheMatrixIsRejected) {
  const std::vector<double> factors{4.0, 0.5, 2.0, 3.0, 1.5, 0.25, 1.0, 2.0, 5.0};
  for (const std::vector<int>& ipvt : {std::vector<int>{0, 2, 3}, std::vector<int>{4, 2, 3},
                                       std::vector<int>{1, 1, 3}, std::vector<int>{-1, 3, 3}}) {
    SCOPED_TRACE(::testing::PrintToString(ipvt));
    GuardedArray<double> b({1.0, 2.0, 3.0}, kGuardValue);
    EXPECT_EQ(import_mathfunction_loesung_lin_gls(factors.data(), 3, 3, ipvt.data(), b.data()),
              QUADREL_LU_BAD_PIVOTS);
    EXPECT_EQ(b.values(), (std::vector<double>{1.0, 2.0, 3.0}));
    std::vector<double> a = factors;
    EXPECT_EQ(import_mathfunction_inversion_matrix(a.data(), 3, 3, ipvt.data()),
              QUADREL_LU_BAD_PIVOTS);
    EXPECT_EQ(a, factors);
  }
}

// Random matrices: entries in [-1, 1], or small integers, mostly zero, which give ties
// in the pivot search, exact cancellations and zero pivots.
std::vector<double> random_matrix(std::mt19937_64& rng, int n, bool integers) {
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  std::discrete_distribution<int> small({1, 1, 12, 1, 1});  // -2..2
  std::vector<double> a(std::size_t(n) * n);
  for (double& v : a) v = integers ? small(rng) - 2 : real(rng);
  return a;
}

TEST(LuReference, BitForBitWithTheReferenceBlas) {
  ASSERT_NE(reference::loaded_from().find("/blas/"), std::string::npos) << reference::loaded_from();
  std::mt19937_64 rng(0x5eed'0006);
  int singular = 0;
  for (int n = 1; n <= 50; ++n) {
    for (bool integers : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "n = " << n << (integers ? " integers" : " reals"));
      const std::vector<double> matrix = random_matrix(rng, n, integers);
      ReferenceLu ref(matrix, n);
      singular += ref.info != 0;

      const int lda = n + 3;
      GuardedMatrix a = guarded(matrix, n, lda);
      GuardedArray<int> ipvt(n, kGuardInt);
      ASSERT_EQ(import_mathfunction_LU_Zerlegung(a.data(), lda, n, ipvt.data()), ref.info);
      ASSERT_EQ(ipvt.values(), ref.ipvt);
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) ASSERT_TRUE(same_value(a(i, j), ref.at(i + 1, j + 1)));
      }

      std::vector<double> rhs(n);
      for (double& v : rhs) v = std::uniform_real_distribution<double>(-5.0, 5.0)(rng);
      const std::vector<double> x = ref.solve(rhs);
      GuardedArray<double> b(rhs, kGuardValue);
      ASSERT_EQ(import_mathfunction_loesung_lin_gls(a.data(), lda, n, ipvt.data(), b.data()),
                QUADREL_SUCCESS);
      for (int i = 0; i < n; ++i) ASSERT_TRUE(same_value(b[i], x[i])) << i;

      const std::vector<double> inverse = ref.inverse();
      ASSERT_EQ(import_mathfunction_inversion_matrix(a.data(), lda, n, ipvt.data()),
                QUADREL_SUCCESS);
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
          ASSERT_TRUE(same_value(a(i, j), inverse[i + std::size_t(j) * n])) << i << ", " << j;
        }
      }
      EXPECT_TRUE(a.outside_intact());
      EXPECT_TRUE(ipvt.guards_intact());
      EXPECT_TRUE(b.guards_intact());
    }
  }
  EXPECT_GT(singular, 5);  // the integer matrices did exercise zero pivots
}

// Matrices that take the rare paths of a factorisation: equal magnitudes in a column
// (ties), zeros of either sign (skipped steps and factors, whose skipping keeps a -0),
// whole zero columns (zero pivots), repeated columns (singular factors), infinities and
// NaNs.
enum class Kind { kReals, kSmallIntegers, kZeroColumns, kRepeatedColumns, kNonFinite };

std::vector<double> hard_matrix(std::mt19937_64& rng, int n, Kind kind) {
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  std::uniform_int_distribution<int> column(0, n - 1);
  std::bernoulli_distribution coin(0.5);
  std::vector<double> a = random_matrix(rng, n, kind == Kind::kSmallIntegers);
  auto at = [&](int i, int j) -> double& { return a[i + std::size_t(j) * n]; };
  switch (kind) {
    case Kind::kReals:
      break;
    case Kind::kSmallIntegers:
      for (double& v : a) {
        if (v == 0.0 && coin(rng)) v = -0.0;
      }
      break;
    case Kind::kZeroColumns:
      // The last row of the first zero column holds a NaN, which the pivot search passes
      // over: that step has a zero pivot, and its column must not reach the later ones.
      for (int z = 0; z < 1 + n / 16; ++z) {
        const int j = column(rng);
        for (int i = 0; i < n; ++i) at(i, j) = coin(rng) ? 0.0 : -0.0;
        if (z == 0) at(n - 1, j) = std::nan("");
      }
      break;
    case Kind::kRepeatedColumns:
      for (int r = 0; r < 1 + n / 32; ++r) {
        const int from = column(rng);
        const int to = column(rng);
        for (int i = 0; i < n; ++i) at(i, to) = at(i, from);
      }
      break;
    case Kind::kNonFinite: {
      const double specials[] = {INFINITY, -INFINITY, std::nan("")};
      for (const double v : specials) at(column(rng), column(rng)) = v;
      break;
    }
  }
  return a;
}

// Orders around the block sizes of the blocked schedules, with leading dimensions above n.
TEST(LuBlocked, BitForBitWithThePlainOrderOnHardMatrices) {
  struct Case {
    int n;
    int lda;
  };
  const Case cases[] = {{47, 47},   {48, 51},   {63, 63},   {64, 64},   {65, 70},  {97, 97},
                        {129, 131}, {160, 160}, {200, 203}, {257, 257}, {290, 300}};
  const Kind kinds[] = {Kind::kReals, Kind::kSmallIntegers, Kind::kZeroColumns,
                        Kind::kRepeatedColumns, Kind::kNonFinite};
  std::mt19937_64 rng(0x5eed'2006);
  for (const Case& c : cases) {
    for (const Kind kind : kinds) {
      SCOPED_TRACE(::testing::Message()
                   << "n = " << c.n << ", lda = " << c.lda << ", kind " << static_cast<int>(kind));
      const int n = c.n;
      const std::vector<double> matrix = hard_matrix(rng, n, kind);
      ReferenceLu ref(matrix, n);
      GuardedMatrix a = guarded(matrix, n, c.lda);
      GuardedArray<int> ipvt(n, kGuardInt);
      ASSERT_EQ(import_mathfunction_LU_Zerlegung(a.data(), c.lda, n, ipvt.data()), ref.info);
      ASSERT_EQ(ipvt.values(), ref.ipvt);
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
          ASSERT_TRUE(same_value(a(i, j), ref.at(i + 1, j + 1))) << i << ", " << j;
        }
      }

      std::vector<double> rhs(n);
      for (double& v : rhs) v = std::uniform_real_distribution<double>(-5.0, 5.0)(rng);
      const std::vector<double> x = ref.solve(rhs);
      GuardedArray<double> b(rhs, kGuardValue);
      ASSERT_EQ(import_mathfunction_loesung_lin_gls(a.data(), c.lda, n, ipvt.data(), b.data()),
                QUADREL_SUCCESS);
      for (int i = 0; i < n; ++i) ASSERT_TRUE(same_value(b[i], x[i])) << i;

      const std::vector<double> inverse = ref.inverse();
      ASSERT_EQ(import_mathfunction_inversion_matrix(a.data(), c.lda, n, ipvt.data()),
                QUADREL_SUCCESS);
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
          ASSERT_TRUE(same_value(a(i, j), inverse[i + std::size_t(j) * n])) << i << ", " << j;
        }
      }
      EXPECT_TRUE(a.outside_intact());
      EXPECT_TRUE(ipvt.guards_intact());
      EXPECT_TRUE(b.guards_intact());
    }
  }
}

// The factors rebuild A: A = P1 E1^-1 ... P(n-1) E(n-1)^-1 U, where E_k adds the stored
// multipliers times row k to the rows below it.
std::vector<double> rebuild(const GuardedMatrix& lu, const std::vector<int>& ipvt, int n) {
  std::vector<double> r(std::size_t(n) * n, 0.0);
  auto at = [&](int i, int j) -> double& { return r[i + std::size_t(j) * n]; };
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i <= j; ++i) at(i, j) = lu(i, j);
  }
  for (int k = n - 2; k >= 0; --k) {
    for (int i = k + 1; i < n; ++i) {
      for (int j = 0; j < n; ++j) at(i, j) -= lu(i, k) * at(k, j);
    }
    const int l = ipvt[k] - 1;
    for (int j = 0; j < n; ++j) std::swap(at(k, j), at(l, j));
  }
  return r;
}

TEST(LuProperties, FactorsSolutionsAndInverseOnRandomMatrices) {
  std::mt19937_64 rng(0x5eed'1006);
  for (int n = 1; n <= 50; ++n) {
    SCOPED_TRACE(::testing::Message() << "n = " << n);
    const std::vector<double> matrix = random_matrix(rng, n, false);
    const int lda = n + 1;
    const double tolerance = 64.0 * n * 0x1p-52;
    GuardedMatrix a = guarded(matrix, n, lda);
    std::vector<int> ipvt(n);
    ASSERT_EQ(import_mathfunction_LU_Zerlegung(a.data(), lda, n, ipvt.data()), QUADREL_SUCCESS);

    const std::vector<double> rebuilt = rebuild(a, ipvt, n);
    for (std::size_t i = 0; i < rebuilt.size(); ++i) EXPECT_NEAR(rebuilt[i], matrix[i], tolerance);

    // Residual of A x = b, relative to |A| |x|.
    std::vector<double> b(n);
    for (int i = 0; i < n; ++i) b[i] = 0.5 + i;
    std::vector<double> x = b;
    ASSERT_EQ(import_mathfunction_loesung_lin_gls(a.data(), lda, n, ipvt.data(), x.data()),
              QUADREL_SUCCESS);
    for (int i = 0; i < n; ++i) {
      double sum = 0.0;
      double size = 0.0;
      for (int j = 0; j < n; ++j) {
        sum += matrix[i + std::size_t(j) * n] * x[j];
        size += std::abs(matrix[i + std::size_t(j) * n] * x[j]);
      }
      EXPECT_LE(std::abs(sum - b[i]), tolerance * size);
    }

    // inverse(A) * A = I.
    ASSERT_EQ(import_mathfunction_inversion_matrix(a.data(), lda, n, ipvt.data()), QUADREL_SUCCESS);
    double inverse_size = 0.0;
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) inverse_size = std::max(inverse_size, std::abs(a(i, j)));
    }
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int k = 0; k < n; ++k) sum += a(i, k) * matrix[k + std::size_t(j) * n];
        EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, tolerance * n * inverse_size);
      }
    }
    EXPECT_TRUE(a.outside_intact());
  }
}

}  // namespace
