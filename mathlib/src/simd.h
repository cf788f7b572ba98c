// The compiler extensions that quadrel's vectorised loops use, in one place: vectors of
// doubles, functions built for a given instruction set (the target attribute), and the
// processor query that picks, once per process, the version for the widest vectors it has.
//
// Only multiplications, additions, comparisons and selections are used on vectors, each
// lane computed as its scalar loop would compute it; no version enables fused multiply-add
// (and the library is compiled with -ffp-contract=off), so all versions give identical bits.
// The choice is an ordinary function pointer set while the library is loaded, the same
// scheme on ELF and PE (no IFUNC). QUADREL_SINGLE_TARGET builds the baseline version only
// (a test builds the library's kernels that way).
#pragma once

#if defined(__x86_64__) && !defined(QUADREL_SINGLE_TARGET)
#define QUADREL_TARGET_AVX2 __attribute__((target("avx2")))
#define QUADREL_TARGET_AVX512 __attribute__((target("avx512f")))
#define QUADREL_PROCESSOR_HAS(feature) (__builtin_cpu_init(), __builtin_cpu_supports(feature))
#else
#define QUADREL_TARGET_AVX2
#define QUADREL_TARGET_AVX512
#define QUADREL_PROCESSOR_HAS(feature) false
#endif

namespace quadrel::simd {

using Vec = double __attribute__((vector_size(32)));
using Vec8 = double __attribute__((vector_size(64)));
inline constexpr int kLanes = 4;

// The widest vectors this processor (and its operating system) runs.
enum class InstructionSet { kBaseline, kAvx2, kAvx512 };
inline InstructionSet best_instruction_set() noexcept {
  if (QUADREL_PROCESSOR_HAS("avx512f")) return InstructionSet::kAvx512;
  if (QUADREL_PROCESSOR_HAS("avx2")) return InstructionSet::kAvx2;
  return InstructionSet::kBaseline;
}

// A function built twice from one body, for the x86-64 baseline (SSE2, where a vector of
// four doubles is two registers) and for AVX2, and the version this processor runs, chosen
// when the library is loaded: Dispatch<body>::chosen(...). `body` is an always-inline
// function, so each version is its own copy compiled for its instruction set.
template <auto kBody>
struct Dispatch;
template <class R, class... Args, R (*kBody)(Args...) noexcept>
struct Dispatch<kBody> {
  static R baseline(Args... args) noexcept { return kBody(args...); }
  QUADREL_TARGET_AVX2 static R avx2(Args... args) noexcept { return kBody(args...); }
  static inline R (*const chosen)(Args...) noexcept =
      best_instruction_set() >= InstructionSet::kAvx2 ? avx2 : baseline;
};

// Loads and stores of unaligned vectors (of any width); by reference, so that no vector
// crosses a function boundary by value (its calling convention differs between the versions).
template <class V>
[[gnu::always_inline]] inline void load(V& v, const double* p) noexcept {
  __builtin_memcpy(&v, p, sizeof v);
}
template <class V>
[[gnu::always_inline]] inline void store(double* p, const V& v) noexcept {
  __builtin_memcpy(p, &v, sizeof v);
}

}  // namespace quadrel::simd
