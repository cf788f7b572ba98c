// Dense LU factorisation, solution and inversion written out with 1-based indices around four
// level-1 operations: the straightforward form of the algorithm that the tests and the fuzz
// target compare quadrel's against. Level1 supplies idamax (1-based), dscal, daxpy and dswap
// with the reference BLAS's arithmetic: the tests call the reference BLAS itself, the fuzz
// target, which links no BLAS, plain loops.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace quadrel_test {

template <class Level1>
struct PlainLu {
  std::vector<double> a;  // n x n, lda = n
  std::vector<int> ipvt;
  int n;
  int info = 0;

  double& at(int i, int j) { return a[(i - 1) + std::size_t(j - 1) * n]; }

  PlainLu(std::vector<double> matrix, int order) : a(std::move(matrix)), ipvt(order), n(order) {
    for (int k = 1; k <= n - 1; ++k) {
      const int l = Level1::idamax(n - k + 1, &at(k, k)) + k - 1;
      ipvt[k - 1] = l;
      if (at(l, k) == 0.0) {
        info = k;
        continue;
      }
      if (l != k) std::swap(at(l, k), at(k, k));
      Level1::dscal(n - k, -1.0 / at(k, k), &at(k + 1, k));
      for (int j = k + 1; j <= n; ++j) {
        const double t = at(l, j);
        if (l != k) {
          at(l, j) = at(k, j);
          at(k, j) = t;
        }
        Level1::daxpy(n - k, t, &at(k + 1, k), &at(k + 1, j));
      }
    }
    ipvt[n - 1] = n;
    if (at(n, n) == 0.0) info = n;
  }

  std::vector<double> solve(std::vector<double> b) {
    for (int k = 1; k <= n - 1; ++k) {
      const int l = ipvt[k - 1];
      const double t = b[l - 1];
      if (l != k) {
        b[l - 1] = b[k - 1];
        b[k - 1] = t;
      }
      Level1::daxpy(n - k, t, &at(k + 1, k), &b[k]);
    }
    for (int k = n; k >= 1; --k) {
      b[k - 1] /= at(k, k);
      Level1::daxpy(k - 1, -b[k - 1], &at(1, k), b.data());
    }
    return b;
  }

  std::vector<double> inverse() {
    std::vector<double> work(n, 0.0);
    for (int k = 1; k <= n; ++k) {
      at(k, k) = 1.0 / at(k, k);
      Level1::dscal(k - 1, -at(k, k), &at(1, k));
      for (int j = k + 1; j <= n; ++j) {
        const double t = at(k, j);
        at(k, j) = 0.0;
        Level1::daxpy(k, t, &at(1, k), &at(1, j));
      }
    }
    for (int k = n - 1; k >= 1; --k) {
      for (int i = k + 1; i <= n; ++i) {
        work[i - 1] = at(i, k);
        at(i, k) = 0.0;
      }
      for (int j = k + 1; j <= n; ++j) Level1::daxpy(n, work[j - 1], &at(1, j), &at(1, k));
      if (ipvt[k - 1] != k) Level1::dswap(n, &at(1, k), &at(1, ipvt[k - 1]));
    }
    return a;
  }
};

}  // namespace quadrel_test
