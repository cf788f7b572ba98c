// Vectors of four doubles for the vectorised loops of quadrel, and the attribute that builds
// a function for AVX2 and for the x86-64 baseline (SSE2, where a four-double vector is two
// registers), the dynamic loader picking one clone once per process.
//
// Only multiplications, additions, comparisons and selections are used on vectors, each
// lane computed as its scalar loop would compute it; no clone enables fused multiply-add
// (and the library is compiled with -ffp-contract=off), so all clones give identical bits.
// QUADREL_SINGLE_TARGET builds one version for the compiler's target only (a test builds the
// baseline that way).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(QUADREL_SINGLE_TARGET)
#define QUADREL_CLONES __attribute__((target_clones("avx2", "default")))
#define QUADREL_MULTI_TARGET 1
#else
#define QUADREL_CLONES
#endif

namespace quadrel::simd {

using Vec = double __attribute__((vector_size(32)));
inline constexpr int kLanes = 4;

// Loads and stores of unaligned vectors (of any width); by reference, so that no vector
// crosses a function boundary by value (its calling convention differs between the clones).
template <class V>
[[gnu::always_inline]] inline void load(V& v, const double* p) noexcept {
  __builtin_memcpy(&v, p, sizeof v);
}
template <class V>
[[gnu::always_inline]] inline void store(double* p, const V& v) noexcept {
  __builtin_memcpy(p, &v, sizeof v);
}

// y(i) := y(i) + t*x(i), i = 0..n-1, for t != 0 (the caller skips a zero factor). When n
// is not a multiple of the vector width, the last four elements are computed as one vector
// from their values on entry and stored after the rest: the elements it shares with the
// vectors before it are written twice with the same value, and no scalar tail is needed.
[[gnu::always_inline]] inline void axpy_nonzero(int n, double t, const double* x,
                                                double* y) noexcept {
  if (n < kLanes) {
    for (int i = 0; i < n; ++i) y[i] = y[i] + t * x[i];
    return;
  }
  const int last = n - kLanes;
  Vec last_x, last_y;
  load(last_x, x + last);
  load(last_y, y + last);
  const Vec tail = last_y + t * last_x;
  int i = 0;
  for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
    Vec x0, x1, y0, y1;
    load(x0, x + i);
    load(x1, x + i + kLanes);
    load(y0, y + i);
    load(y1, y + i + kLanes);
    store(y + i, y0 + t * x0);
    store(y + i + kLanes, y1 + t * x1);
  }
  if (i + kLanes <= n) {
    Vec x0, y0;
    load(x0, x + i);
    load(y0, y + i);
    store(y + i, y0 + t * x0);
  }
  store(y + last, tail);
}

}  // namespace quadrel::simd
