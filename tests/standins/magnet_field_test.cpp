// The closed-form fields of cuboid and cylinder magnets: against the cylinder's current
// loops, and where the formulas divide zero by zero.
#include "magnet_field.h"

#include <gtest/gtest.h>

#include <cmath>

#include "magnet_reference.h"

namespace {

using namespace tarvoquelm;

void expect_close(const Vec3& actual, const Vec3& expected, double tolerance) {
  const Vec3 d = actual - expected;
  EXPECT_LE(std::sqrt(dot(d, d)), tolerance * std::sqrt(dot(expected, expected)))
      << "actual (" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
      << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

TEST(MagnetField, CylinderEqualsItsStackOfCurrentLoops) {
  const double a = 0.004, b = 0.0035, j = 1.285;
  const magnet_reference::Rule rule = magnet_reference::gauss_legendre(20);
  const Vec3 points[] = {{0, 0, 0.0036},          {0, 0, -0.0125},           {0.0043, 0, 0.0037},
                         {0.0021, -0.003, 0.0},   {0.0062, 0.0041, -0.0071}, {0.3, -0.2, 0.15},
                         {0.0005, 0.0002, 0.0041}};
  for (const Vec3& p : points) {
    SCOPED_TRACE(testing::Message() << p.x << ", " << p.y << ", " << p.z);
    const auto loops = magnet_reference::cylinder_by_loops(a, b, j, {p.x, p.y, p.z}, rule, 64);
    expect_close(cylinder_field(2 * a, 2 * b, j, p), {loops[0], loops[1], loops[2]}, 1e-11);
  }
}

TEST(MagnetField, FiniteAndContinuousWhereTheFormulasAreSingular) {
  // Points on the lines through edges, in the planes of faces and on the rims' cylinder: the
  // field is finite there and the mean of the fields 1e-7 m to either side (which differs
  // from the field by the second derivative, about 1e-10 relative).
  struct Case {
    const char* name;
    bool cylinder;
    Vec3 point;
  };
  const Vec3 size{0.01, 0.008, 0.006};
  const Vec3 j{0.31, -0.52, 1.2};
  const Case cases[] = {
      {"cuboid, on an edge's line beyond its end", false, {0.005, 0.004, 0.0113}},
      {"cuboid, on an edge's line in x", false, {0.0217, -0.004, 0.003}},
      {"cuboid, in a face's plane", false, {0.0021, 0.0072, 0.003}},
      {"cuboid, on an axis", false, {0, 0, -0.0095}},
      {"cylinder, on the axis", true, {0, 0, 0.0041}},
      {"cylinder, at the rim's radius", true, {0.003, 0.004, 0.0062}},
      {"cylinder, in an end face's plane", true, {0.0081, -0.0023, -0.003}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto field = [&](const Vec3& p) {
      return c.cylinder ? cylinder_field(0.01, 0.006, j.z, p) : cuboid_field(size, j, p);
    };
    const Vec3 at = field(c.point);
    ASSERT_TRUE(std::isfinite(at.x) && std::isfinite(at.y) && std::isfinite(at.z));
    const Vec3 step{1e-7, -1e-7, 1e-7};
    expect_close(0.5 * (field(c.point + step) + field(c.point - step)), at, 1e-8);
  }
}

}  // namespace
