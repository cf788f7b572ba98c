// Reading a fuzzer's bytes as the values a target needs: whatever remains, never past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t remaining() const { return size_ - at_; }

  // The next byte, 0 once the input is used up.
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

  // A value of type T from its bytes (zero-filled past the end).
  template <class T>
  T raw() {
    unsigned char bytes[sizeof(T)] = {};
    for (unsigned char& b : bytes) b = byte();
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }

  // A double from one byte: small integers and halves, and the values numerical code
  // stumbles over (zeros of both signs, NaN, infinities, huge and tiny magnitudes).
  double special() {
    static constexpr double kSpecial[] = {0.0,
                                          -0.0,
                                          2.385,
                                          -1.75,
                                          1e300,
                                          -1e-300,
                                          1e-310,
                                          -1e308,
                                          __builtin_nan(""),
                                          __builtin_inf(),
                                          -__builtin_inf(),
                                          0.1};
    const std::uint8_t b = byte();
    if (b < 244) return (static_cast<int>(b) - 122) * 0.5;
    return kSpecial[b - 244];
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace fuzz
