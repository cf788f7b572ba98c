// The small exports: cross and dot products, calendar time, rotations and fmax with its NaN rule.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "guarded.h"
#include "platform/shared_library.h"
#include "quadrel.h"
#include "test_platform.h"

namespace {

using quadrel_test::GuardedArray;
using quadrel_test::kGuardValue;
using quadrel_test::same_bits;

TEST(CrossProduct, Examples) {
  struct Case {
    const char* name;
    std::vector<double> u, v, w;
  };
  const Case cases[] = {
      {"x cross y is z", {1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}},
      {"y cross x is -z", {0.0, 1.0, 0.0}, {1.0, 0.0, 0.0}, {0.0, 0.0, -1.0}},
      {"a vector with itself", {2.385, -1.5, 7.25}, {2.385, -1.5, 7.25}, {0.0, 0.0, 0.0}},
      {"general", {2.5, -1.25, 0.5}, {0.75, 3.5, -2.0}, {0.75, 5.375, 9.6875}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GuardedArray<double> w(3, kGuardValue);
    EXPECT_EQ(import_mathfunction_kreuzprodukt_vektor3(c.u.data(), c.v.data(), w.data()),
              QUADREL_SUCCESS);
    EXPECT_EQ(w.values(), c.w);
    EXPECT_TRUE(w.guards_intact());
  }
}

TEST(DotProduct, AddsTheYProductFirstThenXThenZ) {
  struct Case {
    const char* name;
    std::vector<double> u, v;
    double dot;
  };
  const Case cases[] = {
      {"small integers", {1.0, 2.0, 3.0}, {4.0, 5.0, 6.0}, 32.0},
      // (1 + 1e16) rounds to 1e16 before z cancels it; adding x and z first would give 1.
      {"y and x before z", {1e16, 1.0, -1e16}, {1.0, 1.0, 1.0}, 0.0},
      // (-1e16 + 1e16) + 1 = 1; adding x and z first would lose the 1.
      {"z last", {-1e16, 1e16, 1.0}, {1.0, 1.0, 1.0}, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(import_mathfunction_skalarprodukt_vektor3(c.u.data(), c.v.data()), c.dot);
  }
}

TEST(Timestamp, StoresTheCurrentTime) {
  std::int64_t t = -1;
  const std::int64_t before = std::time(nullptr);
  EXPECT_EQ(import_mathfunction_timestamp(&t), QUADREL_SUCCESS);
  const std::int64_t after = std::time(nullptr);
  EXPECT_GE(t, before);
  EXPECT_LE(t, after);
}

TEST(Timestamp, NullPointerStoresNothing) {
  EXPECT_EQ(import_mathfunction_timestamp(nullptr), QUADREL_SUCCESS);
}

TEST(Rotation, ShiftsAreTakenModulo32) {
  struct Case {
    const char* name;
    std::uint32_t value;
    int shift;
    std::uint32_t left, right;
  };
  const Case cases[] = {
      {"bits 31 and 0 by 1", 0x8000'0001u, 1, 0x0000'0003u, 0xC000'0000u},
      {"one by 1", 1u, 1, 2u, 0x8000'0000u},
      {"by 4", 0x1234'5678u, 4, 0x2345'6781u, 0x8123'4567u},
      {"by 0", 0x1234'5678u, 0, 0x1234'5678u, 0x1234'5678u},
      {"by 32", 0x1234'5678u, 32, 0x1234'5678u, 0x1234'5678u},
      {"33 acts as 1", 0x1234'5678u, 33, 0x2468'ACF0u, 0x091A'2B3Cu},
      {"-1 acts as 31", 0x1234'5678u, -1, 0x091A'2B3Cu, 0x2468'ACF0u},
      {"INT_MIN acts as 0", 0x1234'5678u, INT_MIN, 0x1234'5678u, 0x1234'5678u},
      {"INT_MAX acts as 31", 0x1234'5678u, INT_MAX, 0x091A'2B3Cu, 0x2468'ACF0u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(import_mathfunction_rotl(c.value, c.shift), c.left);
    EXPECT_EQ(import_mathfunction_rotr(c.value, c.shift), c.right);
  }
  for (int shift = -70; shift <= 70; ++shift) {
    EXPECT_EQ(import_mathfunction_rotr(import_mathfunction_rotl(0x9E37'79B9u, shift), shift),
              0x9E37'79B9u)
        << shift;
  }
}

// fmax is looked up in libquadrel.so itself, the safe way to reach it: a direct call could
// bind to the C library's function or be folded by the compiler with the C library's rule.
using MaxFunction = double (*)(double, double);

MaxFunction quadrel_fmax() {
  // The library is loaded already (the program links it), so the function stays valid.
  const platform::SharedLibrary library =
      platform::SharedLibrary::open(test_support::library_file("quadrel"));
  return library.symbol<MaxFunction>("fmax");
}

TEST(Fmax, IsExportedUnderThatName) { ASSERT_NE(quadrel_fmax(), nullptr); }

TEST(Fmax, ReturnsTheFirstUnlessTheSecondIsLarger) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double other_nan = std::bit_cast<double>(std::uint64_t{0x7ff8'0000'0000'2385});
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    double first, second, result;
  };
  const Case cases[] = {
      {"equal values give the first", -0.0, 0.0, -0.0},
      {"equal values give the first, other order", 0.0, -0.0, 0.0},
      {"first larger", 7.25, -3.5, 7.25},
      {"second larger", -3.5, 7.25, 7.25},
      {"NaN first gives the second", nan, 1.0, 1.0},
      {"NaN second gives the NaN", 1.0, nan, nan},
      {"two NaNs give the second", nan, other_nan, other_nan},
      {"infinity against NaN", inf, other_nan, other_nan},
      {"negative infinity", -inf, -1e308, -1e308},
  };
  const MaxFunction function = quadrel_fmax();
  ASSERT_NE(function, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(same_bits(function(c.first, c.second), c.result));
  }
}

}  // namespace
