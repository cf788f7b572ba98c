// Arrays with guard elements around them, for checking that a quadrel call writes nothing
// outside the elements it owns.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quadrel_test {

// A quiet NaN with a payload that no computation produces, and an int no call stores.
inline const double kGuardValue = std::bit_cast<double>(std::uint64_t{0x7ff8'dead'beef'0001});
constexpr int kGuardInt = -0x5eed;
constexpr std::size_t kGuardCount = 16;

inline bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}
inline bool same_bits(int a, int b) { return a == b; }

// The same result of a fixed operation order: equal bits, or NaN on both sides. Which of two
// NaN operands an addition passes on is left open by IEEE 754 and depends on the operand
// order the compiler picks (vectorised or not, optimised or not); every other bit is fixed.
inline bool same_value(double a, double b) { return same_bits(a, b) || (a != a && b != b); }

// `count` elements of T, all starting as `guard`, with kGuardCount guard elements on each
// side.
template <class T>
class GuardedArray {
 public:
  GuardedArray(std::size_t count, T guard)
      : guard_(guard), storage_(count + 2 * kGuardCount, guard) {}
  explicit GuardedArray(const std::vector<T>& values, T guard)
      : GuardedArray(values.size(), guard) {
    for (std::size_t i = 0; i < values.size(); ++i) data()[i] = values[i];
  }

  T* data() { return storage_.data() + kGuardCount; }
  const T* data() const { return storage_.data() + kGuardCount; }
  T& operator[](std::size_t i) { return data()[i]; }
  std::size_t size() const { return storage_.size() - 2 * kGuardCount; }
  std::vector<T> values() const { return {data(), data() + size()}; }

  bool guards_intact() const {
    for (std::size_t i = 0; i < kGuardCount; ++i) {
      if (!same_bits(storage_[i], guard_) ||
          !same_bits(storage_[storage_.size() - 1 - i], guard_)) {
        return false;
      }
    }
    return true;
  }

 private:
  T guard_;
  std::vector<T> storage_;
};

// A column-major matrix of `cols` columns with leading dimension `lda`, of which rows
// 0..rows-1 are live (starting as 0). Rows rows..lda-1 of every column are padding that
// must keep the guard value, like the guards before and after the array.
class GuardedMatrix {
 public:
  GuardedMatrix(int rows, int cols, int lda)
      : rows_(rows), cols_(cols), lda_(lda), array_(std::size_t(lda) * cols, kGuardValue) {
    for (int j = 0; j < cols; ++j) {
      for (int i = 0; i < rows; ++i) (*this)(i, j) = 0.0;
    }
  }

  double* data() { return array_.data(); }
  int lda() const { return lda_; }
  double& operator()(int i, int j) { return array_[std::size_t(i) + std::size_t(j) * lda_]; }
  double operator()(int i, int j) const {
    return array_.data()[std::size_t(i) + std::size_t(j) * lda_];
  }

  bool outside_intact() const {
    if (!array_.guards_intact()) return false;
    for (int j = 0; j < cols_; ++j) {
      for (int i = rows_; i < lda_; ++i) {
        if (!same_bits((*this)(i, j), kGuardValue)) return false;
      }
    }
    return true;
  }

 private:
  int rows_;
  int cols_;
  int lda_;
  GuardedArray<double> array_;
};

}  // namespace quadrel_test
