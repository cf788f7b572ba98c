// Forces and torques on cuboid and cylinder magnets: the dipole limit far away, an
// independent closed form, the laws of motion, a brute-force integration and the analysis of
// a design.
#include "magnet_pair.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "magnet_reference.h"

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

TEST(SurfaceLoad, FarAwayMagnetsActAsTheirDipoles) {
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
    const auto h = [](const Vec3& size) {
      return magnet_reference::Vector{0.5 * size.x, 0.5 * size.y, 0.5 * size.z};
    };
    const auto f =
        magnet_reference::akoun_yonnet(h(lower_size), lower_j, h(upper_size), upper_j,
                                       {upper.position.x, upper.position.y, upper.position.z});
    const Vec3 expected{f[0], f[1], f[2]};
    expect_close(on_upper->force, expected, 1e-9);
    expect_close(-1.0 * on_lower->force, expected, 1e-9);
  }
}

// Force and torque on `target` (polarised along its z axis), each face cut into n x n equal
// panels with a 20-point rule: no adaptivity, far more points than needed.
Load brute_force(const PlacedMagnet& source, const PlacedMagnet& target, int n) {
  const magnet_reference::Rule rule = magnet_reference::gauss_legendre(20);
  const MagnetBody& body = target.body;
  const Vec3 h = 0.5 * body.dimensions;
  const bool disk = body.shape == Shape::kCylinder;
  Load load;
  for (const double side : {1.0, -1.0}) {
    const double charge = side * body.polarization.z / kMu0;
    // Rectangles over (x, y); disks over (radius, angle) with the area element r.
    magnet_reference::integrate(rule, n, disk ? 0 : -h.x, h.x, [&](double s, double ws) {
      const double t_end = disk ? 2 * std::numbers::pi : h.y;
      magnet_reference::integrate(rule, n, disk ? 0 : -h.y, t_end, [&](double t, double wt) {
        const Vec3 local =
            disk ? Vec3{s * std::cos(t), s * std::sin(t), side * h.z} : Vec3{s, t, side * h.z};
        const double weight = charge * ws * wt * (disk ? s : 1.0);
        const Vec3 x = target.position + rotate_to_world(target.orientation.data(), local);
        const Vec3 b = *field_outside(source, x);
        load.force = load.force + weight * b;
        load.torque = load.torque + weight * cross(x - target.position, b);
      });
    });
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

TEST(Analyze, EachGroupTakesTheLoadOfEveryOtherMagnet) {
  // Three groups (cuboid, cylinder, dipole) and a turned fixed cuboid: each pair is
  // integrated once in the analysis, so each group's load must equal its sum of direct
  // integrals over its own faces (for the dipole: opposite forces, and m x B).
  const Orientation turned = turn(0.0, 0.6, 0.8, 0.71);
  const Design design{
      "D",
      {{"Group0", cuboid({0.01, 0.008, 0.006}, {0.2, 0, 1.2})},
       {"Group1", cylinder(0.012, 0.004, -1.1)},
       {"Group2", {{0.12, -0.35, 0.6}}}},
      {{"fixed", {0.004, -0.03, -0.002}, cuboid({0.01, 0.01, 0.01}, {0, 0, 1.32}), turned}}};
  const Orientation group_turn = turn(0.8, 0.0, 0.6, -0.4);
  std::vector<GroupRecord> records;
  std::vector<PlacedMagnet> placed;
  const Vec3 positions[] = {{0, 0, 0}, {0.0021, 0.0043, 0.0119}, {-0.018, 0.004, 0.006}};
  for (int i = 0; i < 3; ++i) {
    GroupRecord r{
        "Group" + std::to_string(i), {positions[i].x, positions[i].y, positions[i].z}, {}};
    const Orientation& o = i == 1 ? group_turn : kIdentity;
    std::copy(o.begin(), o.end(), r.orientation);
    records.push_back(r);
    placed.push_back({positions[i], o, design.groups[i].body});
  }
  placed.push_back({design.fixed[0].position, turned, design.fixed[0].body});

  std::vector<ForceRecord> results;
  ASSERT_EQ(analyze(design, records, &results), kAnalysisOk);
  ASSERT_EQ(results.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    Load expected;
    Vec3 field{0, 0, 0};
    for (size_t j = 0; j < placed.size(); ++j) {
      if (j == i) continue;
      if (placed[i].body.shape != Shape::kDipole) {
        const Load pair = *surface_load(placed[j], placed[i]);
        expected.force = expected.force + pair.force;
        expected.torque = expected.torque + pair.torque;
      } else {
        expected.force = expected.force - surface_load(placed[i], placed[j])->force;
        field = field + *field_outside(placed[j], placed[i].position);
      }
    }
    if (placed[i].body.shape == Shape::kDipole) {
      expected.torque =
          cross(rotate_to_world(placed[i].orientation.data(), placed[i].body.moment), field);
    }
    const ForceRecord& r = results[i];
    expect_close({r.values[0], r.values[1], r.values[2]}, expected.force, 1e-9);
    expect_close({r.values[3], r.values[4], r.values[5]}, expected.torque, 1e-9);
  }
}

}  // namespace
