// Fuzz target: the dense LU factorisation, solution and inversion and the matrix-vector
// product against plain transcriptions of their contracts in quadrel.h, bit for bit (two NaNs
// may carry either payload). The library under test is the one the default (g++) build makes,
// loaded at run time, so that the vectorised kernels its processor picks (AVX2 or AVX-512
// clones) are the ones compared; QUADREL_LIBRARY names another file.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "plain_lu.h"
#include "platform/shared_library.h"

namespace {

using LuFactor = int (*)(double*, int, int, int*);
using LuSolve = int (*)(const double*, int, int, const int*, double*);
using LuInvert = int (*)(double*, int, int, const int*);
using MatrixVector = int (*)(int, int, double, const double*, int, const double*, int, double,
                             double*, int);

struct Library {
  platform::SharedLibrary module;
  LuFactor factor = nullptr;
  LuSolve solve = nullptr;
  LuInvert invert = nullptr;
  MatrixVector matvec = nullptr;

  Library() {
    const char* path = std::getenv("QUADREL_LIBRARY");
    std::string message;
    module =
        platform::SharedLibrary::open(path != nullptr ? path : QUADREL_DEFAULT_LIBRARY, &message);
    if (!module) {
      std::fprintf(stderr, "numeric_fuzz: %s\n", message.c_str());
      std::abort();
    }
    factor = module.symbol<LuFactor>("import_mathfunction_LU_Zerlegung");
    solve = module.symbol<LuSolve>("import_mathfunction_loesung_lin_gls");
    invert = module.symbol<LuInvert>("import_mathfunction_inversion_matrix");
    matvec = module.symbol<MatrixVector>("import_mathfunction_matrix_vektor_produkt");
    if (!factor || !solve || !invert || !matvec) std::abort();
  }
};

const Library& library() {
  static const Library loaded;
  return loaded;
}

void require(bool condition) {
  if (!condition) std::abort();
}

bool same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

void require_same(const std::vector<double>& a, const std::vector<double>& b) {
  require(a.size() == b.size());
  for (std::size_t i = 0; i < a.size(); ++i) require(same(a[i], b[i]));
}

// The level-1 operations as plain loops, with the reference BLAS's arithmetic.
struct PlainLevel1 {
  // 1-based index of the first largest |x(i)|.
  static int idamax(int n, const double* x) {
    int best = 0;
    for (int i = 1; i < n; ++i) {
      if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
    }
    return best + 1;
  }
  static void dscal(int n, double alpha, double* x) {
    for (int i = 0; i < n; ++i) x[i] = alpha * x[i];
  }
  // Nothing at all when alpha is zero.
  static void daxpy(int n, double alpha, const double* x, double* y) {
    if (alpha == 0.0) return;
    for (int i = 0; i < n; ++i) y[i] = y[i] + alpha * x[i];
  }
  static void dswap(int n, double* x, double* y) {
    for (int i = 0; i < n; ++i) std::swap(x[i], y[i]);
  }
};
using PlainLu = quadrel_test::PlainLu<PlainLevel1>;

void check_lu(fuzz::Input& in) {
  const int n = 1 + in.byte() % 96;
  std::vector<double> matrix(std::size_t(n) * n), b(n);
  for (double& v : matrix) v = in.special();
  for (double& v : b) v = in.special();

  PlainLu plain(matrix, n);
  std::vector<double> factors = matrix;
  std::vector<int> ipvt(n, -1);
  require(library().factor(factors.data(), n, n, ipvt.data()) == plain.info);
  require(ipvt == plain.ipvt);
  require_same(factors, plain.a);

  std::vector<double> x = b;
  require(library().solve(factors.data(), n, n, ipvt.data(), x.data()) == 0);
  require_same(x, plain.solve(b));

  require(library().invert(factors.data(), n, n, ipvt.data()) == 0);
  require_same(factors, plain.inverse());
}

// y := alpha*A*x + beta*y as the contract states it, strides included.
void check_matvec(fuzz::Input& in) {
  const int m = in.byte() % 80, n = in.byte() % 80;
  const int lda = (m > 0 ? m : 1) + in.byte() % 3;
  const int incx = static_cast<int>(in.byte() % 7) - 3, incy = static_cast<int>(in.byte() % 7) - 3;
  const double alpha = in.special(), beta = in.special();
  std::vector<double> a(std::size_t(lda) * (n > 0 ? n : 1));
  for (double& v : a) v = in.special();
  const int step_x = incx < 0 ? -incx : incx, step_y = incy < 0 ? -incy : incy;
  std::vector<double> x(std::size_t(n > 0 ? n : 1) * (step_x > 0 ? step_x : 1));
  std::vector<double> y(std::size_t(m > 0 ? m : 1) * (step_y > 0 ? step_y : 1));
  for (double& v : x) v = in.special();
  for (double& v : y) v = in.special();

  std::vector<double> expected = y;
  if (incx != 0 && incy != 0 && m > 0 && n > 0 && !(alpha == 0.0 && beta == 1.0)) {
    const auto xi = [&](int j) { return incx > 0 ? (j - 1) * incx : (n - j) * step_x; };
    const auto yi = [&](int i) { return incy > 0 ? (i - 1) * incy : (m - i) * step_y; };
    if (beta == 0.0) {
      for (int i = 1; i <= m; ++i) expected[yi(i)] = 0.0;
    } else if (beta != 1.0) {
      for (int i = 1; i <= m; ++i) expected[yi(i)] = beta * expected[yi(i)];
    }
    if (alpha != 0.0) {
      for (int j = 1; j <= n; ++j) {
        if (x[xi(j)] == 0.0) continue;
        const double t = alpha * x[xi(j)];
        for (int i = 1; i <= m; ++i) {
          expected[yi(i)] = expected[yi(i)] + t * a[(i - 1) + std::size_t(j - 1) * lda];
        }
      }
    }
  }
  const int status =
      library().matvec(m, n, alpha, a.data(), lda, x.data(), incx, beta, y.data(), incy);
  require(status == (incx == 0 || incy == 0 ? 1 : 0));
  require_same(y, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  if (in.byte() % 2 == 0) {
    check_lu(in);
  } else {
    check_matvec(in);
  }
  return 0;
}
