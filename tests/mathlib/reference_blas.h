// The reference BLAS routines that the quadrel tests compare against, bit for bit. The
// test programs link the reference implementation itself (not whichever libblas.so.3 the
// machine has selected); loaded_from() tells where the running copy came from.
#pragma once

#include <dlfcn.h>

#include <cstddef>
#include <string>

extern "C" {
int idamax_(const int* n, const double* x, const int* incx);
void dscal_(const int* n, const double* alpha, double* x, const int* incx);
void daxpy_(const int* n, const double* alpha, const double* x, const int* incx, double* y,
            const int* incy);
void dswap_(const int* n, double* x, const int* incx, double* y, const int* incy);
void dgemv_(const char* trans, const int* m, const int* n, const double* alpha, const double* a,
            const int* lda, const double* x, const int* incx, const double* beta, double* y,
            const int* incy, std::size_t trans_length);
}

namespace reference {

inline constexpr int kUnit = 1;

// 1-based index of the first largest |x(i)|, as the Fortran routine returns it.
inline int idamax(int n, const double* x) { return idamax_(&n, x, &kUnit); }
inline void dscal(int n, double alpha, double* x) { dscal_(&n, &alpha, x, &kUnit); }
inline void daxpy(int n, double alpha, const double* x, double* y) {
  daxpy_(&n, &alpha, x, &kUnit, y, &kUnit);
}
inline void dswap(int n, double* x, double* y) { dswap_(&n, x, &kUnit, y, &kUnit); }
inline void dgemv(int m, int n, double alpha, const double* a, int lda, const double* x, int incx,
                  double beta, double* y, int incy) {
  dgemv_("N", &m, &n, &alpha, a, &lda, x, &incx, &beta, y, &incy, 1);
}

// The file that the running daxpy_ was loaded from.
inline std::string loaded_from() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&daxpy_), &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

}  // namespace reference
