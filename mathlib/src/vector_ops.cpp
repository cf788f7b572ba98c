// The small exports: 3-vector cross and dot products, calendar time, 32-bit rotations
// and the maximum of two reals.
#include <cstdint>
#include <ctime>

#include "detail/internal.h"
#include "quadrel.h"

namespace {

// Only the low five bits of a shift count; converting to unsigned first keeps the
// masking well defined for negative shifts (-1 becomes 31).
std::uint32_t shift_modulo_32(int shift) noexcept {
  return static_cast<std::uint32_t>(shift) & 31u;
}

// Rotation left by s in 0..31. The right shift is masked as well, so s = 0 never
// shifts by the full width.
std::uint32_t rotate_left(std::uint32_t value, std::uint32_t s) noexcept {
  return (value << s) | (value >> ((32u - s) & 31u));
}

}  // namespace

// w = u x v, one component after the other from the unchanged inputs.
extern "C" int import_mathfunction_kreuzprodukt_vektor3(const double* u, const double* v,
                                                        double* w) noexcept {
  w[0] = u[1] * v[2] - u[2] * v[1];
  w[1] = u[2] * v[0] - u[0] * v[2];
  w[2] = u[0] * v[1] - u[1] * v[0];
  return QUADREL_SUCCESS;
}

// The sum order is fixed for bit-exact results: y product, then x, then z.
extern "C" double import_mathfunction_skalarprodukt_vektor3(const double* u,
                                                            const double* v) noexcept {
  return (u[1] * v[1] + u[0] * v[0]) + u[2] * v[2];
}

extern "C" int import_mathfunction_timestamp(std::int64_t* t) noexcept {
  if (t != nullptr) *t = static_cast<std::int64_t>(std::time(nullptr));
  return QUADREL_SUCCESS;
}

extern "C" std::uint32_t import_mathfunction_rotl(std::uint32_t value, int shift) noexcept {
  return rotate_left(value, shift_modulo_32(shift));
}

// A right rotation by s is a left rotation by 32 - s (modulo 32).
extern "C" std::uint32_t import_mathfunction_rotr(std::uint32_t value, int shift) noexcept {
  return rotate_left(value, (32u - shift_modulo_32(shift)) & 31u);
}

// Never throws; declared without noexcept where the C library's declaration lacks it.
extern "C" double fmax(double first, double second) QUADREL_FMAX_NOEXCEPT {
  return quadrel::larger_of(first, second);
}
