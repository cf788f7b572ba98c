// The point-dipole model against textbook results: coaxial force, torque m x B, the
// orientation convention, and the analysis of group records.
#include "magnet_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

using namespace tarvoquelm;

constexpr double kPi = std::numbers::pi;

void expect_relative(double actual, double expected) {
  EXPECT_NEAR(actual, expected, 1e-12 * std::abs(expected)) << "expected " << expected;
}

GroupRecord record(const char* name, Vec3 position,
                   std::vector<double> orientation = {1, 0, 0, 0, 1, 0, 0, 0, 1}) {
  GroupRecord r{name, {position.x, position.y, position.z}, {}};
  for (int k = 0; k < 9; ++k) r.orientation[k] = orientation[k];
  return r;
}

Vec3 force_of(const ForceRecord& r) { return {r.values[0], r.values[1], r.values[2]}; }
Vec3 torque_of(const ForceRecord& r) { return {r.values[3], r.values[4], r.values[5]}; }

TEST(DipoleForce, CoaxialDipolesFollowTheTextbookAndOpposeEachOther) {
  struct Case {
    const char* name;
    double m, n, d;
    Vec3 axis;  // unit vector from the first dipole to the second
  };
  const double s = std::sqrt(1.0 / 3.0);
  const Case cases[] = {
      {"aligned along z attract", 1.03, 2.385, 0.0375, {0, 0, 1}},
      {"opposed along z repel", 1.03, -0.417, 0.0125, {0, 0, 1}},
      {"aligned along -x", 0.0735, 12.5, 0.4, {-1, 0, 0}},
      {"aligned along a diagonal", 3.25, 1.5, 0.021, {s, s, s}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Vec3 origin{0.0125, -0.375, 1.75};
    const Dipole first{origin, c.m * c.axis};
    const Dipole second{origin + c.d * c.axis, c.n * c.axis};
    // |F| = 3 mu0 m n / (2 pi d^4); aligned moments pull the second towards the first.
    const double magnitude = 3.0 * kMu0 * c.m * c.n / (2.0 * kPi * std::pow(c.d, 4));
    const Vec3 on_second = dipole_force(first, second);
    expect_relative(dot(on_second, c.axis), -magnitude);
    EXPECT_NEAR(std::sqrt(dot(on_second, on_second)), std::abs(magnitude),
                1e-12 * std::abs(magnitude));
    const Vec3 on_first = dipole_force(second, first);
    EXPECT_EQ(on_first, -1.0 * on_second);
  }
}

TEST(DipoleForce, PairForcesAreOppositeAndConserveAngularMomentum) {
  const Dipole a{{0.031, -0.012, 0.0075}, {0.35, -1.2, 0.84}};
  const Dipole b{{-0.0185, 0.0225, 0.043}, {-0.66, 0.125, 1.9}};
  const Vec3 on_b = dipole_force(a, b);
  EXPECT_EQ(dipole_force(b, a), -1.0 * on_b);

  // No outside torque: the torques about the dipoles' own positions plus the moment of the
  // force pair add up to zero.
  const Vec3 torque_a = cross(a.moment, dipole_field(b, a.position));
  const Vec3 torque_b = cross(b.moment, dipole_field(a, b.position));
  const Vec3 total = torque_a + torque_b + cross(b.position - a.position, on_b);
  const double scale = std::sqrt(dot(torque_a, torque_a));
  EXPECT_NEAR(total.x, 0.0, 1e-12 * scale);
  EXPECT_NEAR(total.y, 0.0, 1e-12 * scale);
  EXPECT_NEAR(total.z, 0.0, 1e-12 * scale);
}

TEST(DipoleTorque, MisalignedDipoleFeelsMCrossB) {
  // A source m along z at the origin. On its axis B = 2 mu0 m / (4 pi d^3) z, in its
  // equatorial plane B = -mu0 m / (4 pi d^3) z; a moment n along x feels n x B.
  const double m = 2.385, n = 0.735, d = 0.0425;
  const double unit = kMu0 * m / (4.0 * kPi * d * d * d);
  struct Case {
    const char* name;
    Vec3 where;
    double field_z;
  };
  const Case cases[] = {
      {"on the axis", {0, 0, d}, 2.0 * unit},
      {"in the equatorial plane", {d, 0, 0}, -unit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Design design{"D", {{"Group0", {n, 0, 0}}}, {{"source", {0, 0, 0}, {{0, 0, m}}}}};
    std::vector<ForceRecord> results;
    ASSERT_EQ(analyze(design, {record("Group0", c.where)}, &results), kAnalysisOk);
    // n x (B z) = -n B y.
    const Vec3 torque = torque_of(results[0]);
    EXPECT_EQ(torque.x, 0.0);
    expect_relative(torque.y, -n * c.field_z);
    EXPECT_EQ(torque.z, 0.0);
  }
}

TEST(Analyze, OrientationIsTheBodyToWorldMatrixRowByRow) {
  // A quarter turn about z, row by row: body x goes to world y. Read column by column it
  // would go to world -y instead.
  const std::vector<double> quarter_turn = {0, -1, 0, 1, 0, 0, 0, 0, 1};
  const Vec3 g0{0.0125, 0.0, 0.0};
  const Vec3 g1{-0.02, 0.0075, 0.0155};
  const Design turned{"D", {{"Group0", {1.7, 0, 0}}, {"Group1", {0.2, -0.9, 0.45}}}, {}};
  const Design given_in_world{"D", {{"Group0", {0, 1.7, 0}}, {"Group1", {0.2, -0.9, 0.45}}}, {}};

  std::vector<ForceRecord> from_body, expected;
  ASSERT_EQ(analyze(turned, {record("Group0", g0, quarter_turn), record("Group1", g1)}, &from_body),
            kAnalysisOk);
  ASSERT_EQ(analyze(given_in_world, {record("Group0", g0), record("Group1", g1)}, &expected),
            kAnalysisOk);
  ASSERT_EQ(from_body.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    for (int k = 0; k < 6; ++k) EXPECT_EQ(from_body[i].values[k], expected[i].values[k]);
  }
  EXPECT_EQ(rotate_to_world(quarter_turn.data(), {1.7, 0, 0}), (Vec3{0, 1.7, 0}));
}

TEST(Analyze, EveryGroupFeelsTheOtherGroupsAndTheFixedMagnets) {
  // Three magnets on the z axis, all along z: each force is a sum of coaxial pair forces.
  const double m0 = 1.03, m1 = 0.515, base = 2.06;
  const Design design{"D",
                      {{"Group0", {0, 0, m0}}, {"Group1", {0, 0, m1}}, {"Unused", {0, 0, 9.0}}},
                      {{"base", {0, 0, -0.03}, {{0, 0, base}}}}};
  std::vector<ForceRecord> results;
  ASSERT_EQ(
      analyze(design, {record("Group0", {0, 0, 0}), record("Group1", {0, 0, 0.025})}, &results),
      kAnalysisOk);
  auto pull = [](double m, double n, double d) {
    return 3.0 * kMu0 * m * n / (2.0 * kPi * std::pow(d, 4));
  };
  ASSERT_EQ(results.size(), 2u);
  expect_relative(results[0].values[2], pull(m0, m1, 0.025) - pull(m0, base, 0.03));
  expect_relative(results[1].values[2], -pull(m0, m1, 0.025) - pull(m1, base, 0.055));
  for (const ForceRecord& r : results) {
    EXPECT_EQ(force_of(r).x, 0.0);
    EXPECT_EQ(torque_of(r), (Vec3{0, 0, 0}));
  }
}

TEST(Analyze, ReportsFailuresAndLeavesResultsAlone) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Design design{
      "D", {{"Group0", {0, 0, 1}}, {"Group1", {0, 0, 1}}}, {{"base", {0, 0, -0.01}, {{0, 0, 1}}}}};
  struct Case {
    const char* name;
    std::vector<GroupRecord> groups;
    int status;
    const char* why;
  };
  const Case cases[] = {
      {"group missing from the design",
       {record("Group0", {0, 0, 0}), record("Group2", {1, 0, 0})},
       kUnknownGroup,
       "design \"D\" has no group \"Group2\"; its groups are \"Group0\", \"Group1\""},
      {"two groups at one point",
       {record("Group0", {0, 0, 0.5}), record("Group1", {0, 0, 0.5})},
       kCoincidentMagnets,
       "group \"Group0\" and group \"Group1\" are both at (0, 0, 0.5) m: "},
      {"group on the fixed magnet",
       {record("Group0", {0, 0, -0.01})},
       kCoincidentMagnets,
       "group \"Group0\" and the fixed magnet \"base\" are both at (0, 0, -0.01) m: "},
      {"position not a number",
       {record("Group0", {nan, 0, 0})},
       kNotFinite,
       "the position or orientation of group \"Group0\" is not a finite number"},
      {"orientation not a number",
       {record("Group0", {0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, nan})},
       kNotFinite,
       "the position or orientation of group \"Group0\" is not a finite number"},
      {"so close that the force overflows",
       {record("Group0", {0, 0, 0}), record("Group1", {0, 0, 1e-80})},
       kNotFinite,
       "the force or torque on group \"Group0\" at (0, 0, 0) m overflows"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ForceRecord> results(1, ForceRecord{{1, 2, 3, 4, 5, 6}});
    std::string why;
    EXPECT_EQ(analyze(design, c.groups, &results, &why), c.status);
    EXPECT_EQ(why.rfind(c.why, 0), 0u) << why;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].values[5], 6.0);
  }
}

TEST(Analyze, ReplacesTheResults) {
  const Design design{"D", {{"Group0", {0, 0, 1}}}, {{"base", {0, 0, -0.01}, {{0, 0, 1}}}}};
  std::vector<ForceRecord> results(3, ForceRecord{{1, 2, 3, 4, 5, 6}});
  ASSERT_EQ(analyze(design, {record("Group0", {0, 0, 0})}, &results), kAnalysisOk);
  EXPECT_EQ(results.size(), 1u);
  ASSERT_EQ(analyze(design, {}, &results), kAnalysisOk);
  EXPECT_TRUE(results.empty());
}

}  // namespace
