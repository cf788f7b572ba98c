// Cuboid and cylinder magnets: their closed-form fields where the formulas are singular and
// far away, and forces and torques against an independent closed form, the laws of motion
// and a brute-force integration.
#include "magnet_pair.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "magnet_field.h"

namespace {

using namespace tarvoquelm;

double norm(const Vec3& v) { return std::sqrt(dot(v, v)); }

void expect_close(const Vec3& actual, const Vec3& expected, double tolerance) {
  EXPECT_LE(norm(actual - expected), tolerance * norm(expected))
      << "actual (" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
      << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

MagnetBody cuboid(Vec3 dimensions, Vec3 polarization) {
  return {{}, Shape::kCuboid, dimensions, polarization};
}

MagnetBody cylinder(double diameter, double height, double polarization) {
  return {{}, Shape::kCylinder, {diameter, diameter, height}, {0, 0, polarization}};
}

// A rotation by `angle` about the unit axis (x, y, z), row by row.
Orientation turn(double x, double y, double z, double angle) {
  const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  return {t * x * x + c,     t * x * y - s * z, t * x * z + s * y, t * x * y + s * z, t * y * y + c,
          t * y * z - s * x, t * x * z - s * y, t * y * z + s * x, t * z * z + c};
}

// Akoun and Yonnet, IEEE Trans. Magn. 20 (1984) 1962: the force on a cuboid of half edges
// (A, B, C) centred at (al, be, ga) from a cuboid of half edges (a, b, c) at the origin,
// both polarised along z (J1 at the origin, J2 the other), edges parallel. Summed in long
// double: its terms are far larger than their sum.
Vec3 akoun_yonnet(const Vec3& h1, double j1, const Vec3& h2, double j2, const Vec3& at) {
  using Real = long double;
  Real f[3] = {0, 0, 0};
  for (int corner = 0; corner < 64; ++corner) {
    const auto pick = [&](int bit, double value) { return (corner >> bit & 1) ? -value : value; };
    const Real u = Real(at.x) + pick(1, h2.x) - pick(0, h1.x);
    const Real v = Real(at.y) + pick(3, h2.y) - pick(2, h1.y);
    const Real w = Real(at.z) + pick(5, h2.z) - pick(4, h1.z);
    const Real r = std::sqrt(u * u + v * v + w * w);
    const Real sign = (__builtin_popcount(corner) % 2) ? -1 : 1;
    const Real angle = std::atan(u * v / (r * w));
    f[0] += sign * ((v * v - w * w) / 2 * std::log(r - u) + u * v * std::log(r - v) +
                    v * w * angle + r * u / 2);
    f[1] += sign * ((u * u - w * w) / 2 * std::log(r - v) + u * v * std::log(r - u) +
                    u * w * angle + r * v / 2);
    f[2] += sign * (-u * w * std::log(r - u) - v * w * std::log(r - v) + u * v * angle - r * w);
  }
  const Real scale = Real(j1) * j2 / (4 * std::numbers::pi_v<Real> * kMu0);
  return {double(scale * f[0]), double(scale * f[1]), double(scale * f[2])};
}

TEST(MagnetField, CylinderAxisFollowsTheTextbook) {
  // On the axis B_z = J / 2 ((z + b) / sqrt((z + b)^2 + a^2) - (z - b) / sqrt((z - b)^2 + a^2)).
  const double a = 0.004, b = 0.0035, j = 1.285;
  for (const double z : {0.0035, 0.0036, 0.0125, -0.05}) {
    SCOPED_TRACE(z);
    const double expected =
        j / 2 * ((z + b) / std::hypot(z + b, a) - (z - b) / std::hypot(z - b, a));
    const Vec3 field = cylinder_field(2 * a, 2 * b, j, {0, 0, z});
    EXPECT_NEAR(field.z, expected, 1e-13 * std::abs(expected));
    EXPECT_EQ(field.x, 0.0);
    EXPECT_EQ(field.y, 0.0);
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

TEST(MagnetField, FarAwayMagnetsActAsTheirDipoles) {
  // A magnet of volume V and polarisation J has the moment J V / mu0. At 50 sizes its force
  // on a dipole is within 1e-3 of the dipoles', and the gap shrinks as distance^-2.
  struct Case {
    const char* name;
    MagnetBody body;
    double size, volume;
  };
  const double pi = std::numbers::pi;
  const Case cases[] = {
      {"cuboid", cuboid({0.01, 0.008, 0.006}, {0.31, -0.52, 1.2}), 0.01, 0.01 * 0.008 * 0.006},
      {"cylinder", cylinder(0.01, 0.006, 1.2), 0.01, pi * 0.005 * 0.005 * 0.006},
  };
  const Orientation turned = turn(0.48, 0.6, 0.64, 0.83);
  const Vec3 direction{0.36, -0.48, 0.8};
  const Vec3 probe_moment{0.021, 0.013, -0.017};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double previous = 0.0;
    for (const double distance : {50.0, 100.0}) {
      const PlacedMagnet magnet{{0, 0, 0}, turned, c.body};
      const Dipole probe{(distance * c.size) * direction, probe_moment};
      const Dipole equivalent{
          {0, 0, 0}, (c.volume / kMu0) * rotate_to_world(turned.data(), c.body.polarization)};
      const Vec3 expected = dipole_force(equivalent, probe);
      // The probe feels the opposite of the force its field exerts on the magnet.
      const PlacedMagnet as_source{probe.position, kIdentity, {probe_moment}};
      const Vec3 force = -1.0 * surface_load(as_source, magnet)->force;
      const double gap = norm(force - expected) / norm(expected);
      EXPECT_LT(gap, 1e-3);
      if (previous > 0.0) {
        EXPECT_LT(gap, previous / 3.0);
      }
      previous = gap;
      // The field at the probe, likewise.
      const Vec3 field = *field_outside(magnet, probe.position);
      expect_close(field, dipole_field(equivalent, probe.position), 1e-3);
    }
  }
}

TEST(SurfaceLoad, ParallelCuboidsMatchTheClosedFormAndOpposeEachOther) {
  struct Case {
    const char* name;
    double x, y, gap;  // offset of the upper magnet's centre, gap between the faces
  };
  const Case cases[] = {
      {"stacked, 1 mm", 0.0, 0.0, 0.001},
      {"shifted, 1 mm", 0.0023, -0.0017, 0.001},
      {"edges nearly aligned, 1 mm", 0.0081, 0.0019, 0.001},
      {"shifted, 0.1 mm", 0.0037, 0.0011, 0.0001},
      {"beside, 0.4 mm below the top", 0.0125, 0.0, -0.0034},
      {"far off", 0.021, 0.013, 0.031},
  };
  const Vec3 lower_size{0.01, 0.008, 0.006}, upper_size{0.006, 0.012, 0.005};
  const double lower_j = 1.32, upper_j = -1.185;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PlacedMagnet lower{{0, 0, 0}, kIdentity, cuboid(lower_size, {0, 0, lower_j})};
    const PlacedMagnet upper{{c.x, c.y, 0.5 * (lower_size.z + upper_size.z) + c.gap},
                             kIdentity,
                             cuboid(upper_size, {0, 0, upper_j})};
    const std::optional<Load> on_upper = surface_load(lower, upper);
    const std::optional<Load> on_lower = surface_load(upper, lower);
    ASSERT_TRUE(on_upper && on_lower);
    const Vec3 expected =
        akoun_yonnet(0.5 * lower_size, lower_j, 0.5 * upper_size, upper_j, upper.position);
    expect_close(on_upper->force, expected, 1e-9);
    expect_close(-1.0 * on_lower->force, expected, 1e-9);
  }
}

// Force and torque on `target`, each face cut into n x n equal panels with a 20-point rule:
// no adaptivity, far more points than needed.
Load brute_force(const PlacedMagnet& source, const PlacedMagnet& target, int n) {
  constexpr int kPoints = 20;
  // The 20-point rule from a few Newton steps per root from the Chebyshev estimate.
  double nodes[kPoints], weights[kPoints];
  for (int i = 0; i < kPoints; ++i) {
    double x = std::cos(std::numbers::pi * (i + 0.75) / (kPoints + 0.5));
    double derivative = 0.0;
    for (int step = 0; step < 8; ++step) {
      double p0 = 1.0, p1 = x;
      for (int k = 2; k <= kPoints; ++k) {
        const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      derivative = kPoints * (x * p1 - p0) / (x * x - 1.0);
      x -= p1 / derivative;
    }
    nodes[i] = x;
    weights[i] = 2.0 / ((1.0 - x * x) * derivative * derivative);
  }
  Load load;
  const MagnetBody& body = target.body;
  const Orientation& r = target.orientation;
  const auto add = [&](const Vec3& body_point, double weight, double charge) {
    const Vec3 x = target.position + rotate_to_world(r.data(), body_point);
    const Vec3 b = *field_outside(source, x);
    load.force = load.force + (charge * weight) * b;
    load.torque = load.torque + (charge * weight) * cross(x - target.position, b);
  };
  const Vec3 h = 0.5 * body.dimensions;
  for (const double side : {1.0, -1.0}) {
    const double charge = side * body.polarization.z / kMu0;  // the targets are polarised along z
    for (int a = 0; a < n * kPoints; ++a) {
      for (int c = 0; c < n * kPoints; ++c) {
        const double s = (a / kPoints + 0.5 * (1.0 + nodes[a % kPoints])) / n;  // in [0, 1]
        const double t = (c / kPoints + 0.5 * (1.0 + nodes[c % kPoints])) / n;
        const double w = weights[a % kPoints] * weights[c % kPoints] / (4.0 * n * n);
        if (body.shape == Shape::kCuboid) {
          add({h.x * (2 * s - 1), h.y * (2 * t - 1), side * h.z}, w * 4 * h.x * h.y, charge);
        } else {
          const double radius = h.x * s, angle = 2 * std::numbers::pi * t;
          add({radius * std::cos(angle), radius * std::sin(angle), side * h.z},
              w * 2 * std::numbers::pi * h.x * radius, charge);
        }
      }
    }
  }
  return load;
}

TEST(SurfaceLoad, TurnedPairsObeyTheLawsOfMotionAndMatchBruteForce) {
  struct Case {
    const char* name;
    PlacedMagnet first, second;
  };
  const Case cases[] = {
      {"cuboid and cylinder, over 1 mm apart",
       {{0.001, -0.002, 0.0005},
        turn(0.6, 0.0, 0.8, 0.37),
        cuboid({0.01, 0.01, 0.01}, {0, 0, 1.32})},
       {{0.0025, 0.0015, 0.0145}, turn(0.0, 0.6, 0.8, -0.52), cylinder(0.008, 0.005, 1.21)}},
      {"two cuboids, edge to face 1 mm",
       {{0, 0, 0}, kIdentity, cuboid({0.01, 0.01, 0.01}, {0, 0, 1.32})},
       {{0.0013, -0.0007, 0.00954},
        turn(1.0, 0.0, 0.0, std::numbers::pi / 4),
        cuboid({0.004, 0.006, 0.004}, {0, 0, -1.1})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<Load> on_second = surface_load(c.first, c.second);
    const std::optional<Load> on_first = surface_load(c.second, c.first);
    ASSERT_TRUE(on_second && on_first);
    const double force = norm(on_second->force);
    const double scale = force * norm(c.second.position - c.first.position);
    EXPECT_LE(norm(on_first->force + on_second->force), 1e-9 * force);
    const Vec3 about_first = on_first->torque + on_second->torque +
                             cross(c.second.position - c.first.position, on_second->force);
    EXPECT_LE(norm(about_first), 1e-9 * scale);

    const Load reference = brute_force(c.first, c.second, 16);
    expect_close(on_second->force, reference.force, 1e-9);
    EXPECT_LE(norm(on_second->torque - reference.torque), 1e-9 * scale);
  }
}

TEST(SurfaceLoad, OverlappingMagnetsHaveNoLoad) {
  const PlacedMagnet cube{{0, 0, 0}, kIdentity, cuboid({0.01, 0.01, 0.01}, {0, 0, 1.32})};
  struct Case {
    const char* name;
    PlacedMagnet other;
  };
  const Case cases[] = {
      {"faces cross", {{0.004, 0.003, 0.0085}, kIdentity, cylinder(0.006, 0.008, 1.2)}},
      {"inside, no face point in the other", {{0.001, 0, 0}, kIdentity, cylinder(0.002, 0.002, 1)}},
      {"dipole inside", {{0.001, 0.002, -0.003}, kIdentity, {{0, 0, 0.5}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(surface_load(c.other, cube));
    if (c.other.body.shape != Shape::kDipole) {
      EXPECT_FALSE(surface_load(cube, c.other));
    }
  }
}

}  // namespace
