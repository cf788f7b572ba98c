// The vectorised kernels against their plain loops, bit for bit, on shapes around the vector,
// tile and block sizes and on values that take the rare paths (zeros of either sign,
// infinities, NaNs). The same file is built twice: with the library's versions for several
// instruction sets (the processor picks one; the blocked update is checked in each that the
// processor runs) and for the x86-64 baseline alone.
#include "kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "guarded.h"

namespace {

using quadrel_test::same_value;

// Reals in [-2, 2], with the given share of zeros (either sign) and a smaller share of
// infinities and NaNs.
std::vector<double> values(std::mt19937_64& rng, std::size_t count, double zeros,
                           double non_finite) {
  std::uniform_real_distribution<double> real(-2.0, 2.0);
  std::uniform_real_distribution<double> draw(0.0, 1.0);
  const double specials[] = {0.0, -0.0, INFINITY, -INFINITY, std::nan("")};
  std::vector<double> v(count);
  for (double& x : v) {
    const double d = draw(rng);
    if (d < zeros) {
      x = specials[d < zeros / 2 ? 0 : 1];
    } else if (d < zeros + non_finite) {
      x = specials[2 + static_cast<int>(draw(rng) * 3) % 3];
    } else {
      x = real(rng);
    }
  }
  return v;
}

TEST(KernelsLevelOne, AxpyAndScaleMatchThePlainLoops) {
  std::mt19937_64 rng(0x5eed'3006);
  const double factors[] = {2.385, -0.0, 0.0, INFINITY, std::nan(""), 0x1p-1060};
  for (int n = 0; n <= 40; ++n) {
    for (const double t : factors) {
      SCOPED_TRACE(::testing::Message() << "n = " << n << ", t = " << t);
      const std::vector<double> x = values(rng, n, 0.2, 0.05);
      const std::vector<double> y = values(rng, n + 1, 0.2, 0.05);  // one element past the end

      std::vector<double> expected = y;
      if (t != 0.0) {
        for (int i = 0; i < n; ++i) expected[i] = expected[i] + t * x[i];
      }
      std::vector<double> actual = y;
      quadrel::kernels::axpy(n, t, x.data(), actual.data());
      for (int i = 0; i <= n; ++i) ASSERT_TRUE(same_value(actual[i], expected[i])) << i;

      expected = y;
      for (int i = 0; i < n; ++i) expected[i] = t * expected[i];
      actual = y;
      quadrel::kernels::scale(n, t, actual.data());
      for (int i = 0; i <= n; ++i) ASSERT_TRUE(same_value(actual[i], expected[i])) << i;
    }
  }
}

// Shapes around the register tiles (8 x 6 or 16 x 8), the packed blocks (96 rows, 256 steps,
// 1200 columns) and leading dimensions with gaps; steps taken with gaps from a larger range.
// The upper variant leaves out the terms of step k in the rows below row k.
TEST(KernelsUpdateBlock, MatchesTheStepByStepUpdate) {
  struct Case {
    int m, n, count;
    double zeros, non_finite;
  };
  const Case cases[] = {
      {1, 1, 1, 0.0, 0.0},      {8, 6, 1, 0.0, 0.0},     {8, 6, 7, 0.3, 0.0},
      {7, 5, 3, 0.3, 0.05},     {9, 7, 2, 0.0, 0.0},     {17, 13, 40, 0.02, 0.0},
      {96, 12, 10, 0.0, 0.0},   {97, 19, 33, 0.1, 0.01}, {193, 31, 300, 0.0, 0.0},
      {45, 23, 513, 0.01, 0.0}, {30, 1207, 5, 0.0, 0.0}, {12, 1300, 4, 0.2, 0.01},
  };
  std::mt19937_64 rng(0x5eed'4006);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.m << " x " << c.n << ", " << c.count << " steps");
    const int range = 2 * c.count + 1;
    std::vector<int> steps;
    for (int k = 0; k < range && static_cast<int>(steps.size()) < c.count; ++k) {
      if (rng() % 2 == 0 || range - k <= c.count - static_cast<int>(steps.size())) {
        steps.push_back(k);
      }
    }
    const int lda = c.m + 3;
    const int ldb = range + 2;
    const int ldc = c.m + 5;
    const std::vector<double> a = values(rng, std::size_t(lda) * range, c.zeros, c.non_finite);
    const std::vector<double> b = values(rng, std::size_t(ldb) * c.n, c.zeros, c.non_finite);
    const std::vector<double> start = values(rng, std::size_t(ldc) * c.n, c.zeros, c.non_finite);

    for (const bool upper : {false, true}) {
      SCOPED_TRACE(upper ? "upper" : "full");
      std::vector<double> expected = start;
      for (const int k : steps) {
        for (int j = 0; j < c.n; ++j) {
          const double t = b[k + std::size_t(j) * ldb];
          if (t == 0.0) continue;
          for (int i = 0; i < (upper ? std::min(c.m, k + 1) : c.m); ++i) {
            double& e = expected[i + std::size_t(j) * ldc];
            e = e + a[i + std::size_t(k) * lda] * t;
          }
        }
      }
      // With a set: the version built for it; without: the one chosen for this processor.
      const auto run = [&](auto... set) {
        std::vector<double> actual = start;
        std::vector<double> scratch(quadrel::kernels::update_scratch_size());
        if (upper) {
          quadrel::kernels::update_upper_block(set..., c.m, c.n, steps.data(), c.count, a.data(),
                                               lda, b.data(), ldb, actual.data(), ldc,
                                               scratch.data());
        } else {
          quadrel::kernels::update_block(set..., c.m, c.n, steps.data(), c.count, a.data(), lda,
                                         b.data(), ldb, actual.data(), ldc, scratch.data());
        }
        for (std::size_t i = 0; i < actual.size(); ++i) {
          ASSERT_TRUE(same_value(actual[i], expected[i])) << i % ldc << ", " << i / ldc;
        }
      };
      using quadrel::kernels::InstructionSet;
      for (const InstructionSet set :
           {InstructionSet::kBaseline, InstructionSet::kAvx2, InstructionSet::kAvx512}) {
        if (!quadrel::kernels::supported(set)) continue;
        SCOPED_TRACE(::testing::Message() << "instruction set " << static_cast<int>(set));
        run(set);
      }
      run();
    }
  }
}

// Triangles up to the largest the kernel takes, with fewer and more columns than a vector
// holds, skipped steps, and zeros and non-finite values in b (a zero b(k,j) leaves step k
// out of column j).
TEST(KernelsLowerSteps, MatchesTheColumnByColumnSteps) {
  struct Case {
    int m, n;
    double zeros;
  };
  const Case cases[] = {{1, 1, 0.0},  {2, 3, 0.0},   {5, 4, 0.3},  {16, 8, 0.0},
                        {17, 9, 0.1}, {32, 31, 0.2}, {64, 13, 0.0}};
  std::mt19937_64 rng(0x5eed'6006);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.m << " x " << c.n << ", zeros " << c.zeros);
    std::vector<int> steps;
    for (int k = 0; k < c.m; ++k) {
      if (rng() % 4 != 0) steps.push_back(k);
    }
    const int ldl = c.m + 2;
    const int ldb = c.m + 3;
    const std::vector<double> l = values(rng, std::size_t(ldl) * c.m, c.zeros, 0.01);
    const std::vector<double> start = values(rng, std::size_t(ldb) * c.n, c.zeros, 0.01);

    std::vector<double> expected = start;
    for (int j = 0; j < c.n; ++j) {
      double* column = expected.data() + std::size_t(j) * ldb;
      for (const int k : steps) {
        const double t = column[k];
        if (t == 0.0) continue;
        for (int i = k + 1; i < c.m; ++i) column[i] = column[i] + t * l[i + std::size_t(k) * ldl];
      }
    }
    using quadrel::kernels::InstructionSet;
    for (const InstructionSet set :
         {InstructionSet::kBaseline, InstructionSet::kAvx2, InstructionSet::kAvx512}) {
      if (!quadrel::kernels::supported(set)) continue;
      SCOPED_TRACE(::testing::Message() << "instruction set " << static_cast<int>(set));
      std::vector<double> actual = start;
      quadrel::kernels::lower_steps(set, c.m, c.n, steps.data(), static_cast<int>(steps.size()),
                                    l.data(), ldl, actual.data(), ldb);
      for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_TRUE(same_value(actual[i], expected[i])) << i % ldb << ", " << i / ldb;
      }
    }
  }
}

TEST(KernelsCombineColumns, MatchesTheColumnByColumnSum) {
  std::mt19937_64 rng(0x5eed'5006);
  for (const int rows : {0, 1, 3, 4, 7, 8, 9, 31, 32, 33, 40, 64, 71, 100, 127}) {
    for (const double zeros : {0.0, 0.3}) {
      SCOPED_TRACE(::testing::Message() << rows << " rows, zeros " << zeros);
      const int columns = 37;
      const int first = 5;
      const int lda = rows + 2;
      const std::vector<double> a = values(rng, std::size_t(lda) * columns, zeros, 0.01);
      const std::vector<double> w = values(rng, columns, zeros, 0.01);
      const std::vector<double> start = values(rng, rows + 1, zeros, 0.0);

      std::vector<double> expected = start;
      for (int j = first; j < columns; ++j) {
        if (w[j] == 0.0) continue;
        for (int i = 0; i < rows; ++i)
          expected[i] = expected[i] + w[j] * a[i + std::size_t(j) * lda];
      }
      using quadrel::kernels::InstructionSet;
      for (const InstructionSet set :
           {InstructionSet::kBaseline, InstructionSet::kAvx2, InstructionSet::kAvx512}) {
        if (!quadrel::kernels::supported(set)) continue;
        SCOPED_TRACE(::testing::Message() << "instruction set " << static_cast<int>(set));
        std::vector<double> actual = start;
        quadrel::kernels::combine_columns(set, rows, actual.data(), a.data(), lda, first, columns,
                                          w.data());
        for (int i = 0; i <= rows; ++i) ASSERT_TRUE(same_value(actual[i], expected[i])) << i;
      }
      std::vector<double> actual = start;
      quadrel::kernels::combine_columns(rows, actual.data(), a.data(), lda, first, columns,
                                        w.data());
      for (int i = 0; i <= rows; ++i) ASSERT_TRUE(same_value(actual[i], expected[i])) << i;
    }
  }
}

}  // namespace
