// Internals shared by the quadrel families: the larger of two reals with quadrel's tie and
// NaN rule, and scratch memory that never throws (the level-1 operations are in level1.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace quadrel {

// The larger of two reals with the rule of the exported fmax: the first argument when
// first >= second, the second otherwise. So of two equal values the first is returned
// (larger_of(-0.0, +0.0) is -0.0), and a NaN in either argument gives the second. Our own
// code calls this rather than the name fmax, which the C library also defines.
inline double larger_of(double first, double second) noexcept {
  return first >= second ? first : second;
}

// Whether scratch memory starts as zeros or is left as it comes (for arrays that are
// written before they are read, where filling a large block would cost time).
enum class Fill { kZeros, kNone };

// Scratch array of count elements: null when memory is exhausted, never an exception.
template <class T>
std::unique_ptr<T[]> scratch(std::size_t count, Fill fill = Fill::kZeros) noexcept {
  return std::unique_ptr<T[]>(fill == Fill::kZeros ? new (std::nothrow) T[count]()
                                                   : new (std::nothrow) T[count]);
}

// Doubles in a cache line, and the first element at or after p that starts one. Scratch
// that is read as vectors is allocated with kCacheLineDoubles elements to spare and used from
// there, so that no vector straddles two lines, wherever the allocator placed it.
inline constexpr std::size_t kCacheLineDoubles = 8;
inline double* on_cache_line(double* p) noexcept {
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(p);
  constexpr std::uintptr_t kLine = kCacheLineDoubles * sizeof(double);
  return p + (kLine - address % kLine) % kLine / sizeof(double);
}

}  // namespace quadrel
