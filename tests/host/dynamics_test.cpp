// The rigid-body dynamics: loads of gravity, springs and dampers, and the semi-implicit
// Euler step for translation and rotation.
#include "dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using Eigen::Vector3d;
using zkslv::BodyDefinition;
using zkslv::Load;
using zkslv::Model;
using zkslv::MultibodySystem;

BodyDefinition body(int id, double mass, double inertia) {
  BodyDefinition b;
  b.id = id;
  b.name = "b" + std::to_string(id);
  b.mass = mass;
  b.inertia = Vector3d::Constant(inertia);
  return b;
}

std::vector<Load> no_loads(const MultibodySystem& s) {
  return std::vector<Load>(static_cast<size_t>(s.body_count()));
}

void run(MultibodySystem& s, int steps, double h) {
  for (int n = 0; n < steps; ++n) s.step(h, no_loads(s));
}

TEST(Dynamics, FreeFallFollowsTheSemiImplicitRecurrence) {
  // v_n = v0 + n h g and x_n = x0 + n h v0 + h^2 g n (n + 1) / 2.
  Model m;
  m.gravity = Vector3d(0.0, 0.0, -9.80665);
  BodyDefinition b = body(1, 0.0075, 1.25e-7);
  b.position = Vector3d(0.0, 0.0, 2.385);
  b.velocity = Vector3d(0.5, 0.0, 1.25);
  m.bodies.push_back(b);
  MultibodySystem s(m);
  const double h = 0.0005;
  const int n = 400;
  run(s, n, h);
  const Vector3d expected_x = b.position + n * h * b.velocity + h * h * m.gravity * n * (n + 1) / 2;
  const Vector3d expected_v = b.velocity + n * h * m.gravity;
  EXPECT_LT((s.state(0).position - expected_x).norm(), 1e-12);
  EXPECT_LT((s.state(0).velocity - expected_v).norm(), 1e-12);
  EXPECT_EQ(s.state(0).acceleration, m.gravity);
}

TEST(Dynamics, StaticEquilibriumIsARestPoint) {
  // 0.5 kg on a 16 N/m spring of free length 0.25 m from a point at 1 m, under g = 8 m/s²:
  // stretched by 0.25 m it holds the weight exactly, and stays put to the last bit.
  Model m;
  m.gravity = Vector3d(0.0, 0.0, -8.0);
  BodyDefinition b = body(1, 0.5, 0.01);
  b.position = Vector3d(0.0, 0.0, 0.5);
  m.bodies.push_back(b);
  zkslv::SpringDefinition spring;
  spring.body = 1;
  spring.other_point = Vector3d(0.0, 0.0, 1.0);
  spring.stiffness = 16.0;
  spring.damping = 0.3;
  spring.free_length = 0.25;
  m.springs.push_back(spring);
  MultibodySystem s(m);
  run(s, 1000, 0.001);
  EXPECT_EQ(s.state(0).position, b.position);
  EXPECT_EQ(s.state(0).velocity, Vector3d::Zero());
}

// A body on a vertical spring to the ground, released from `start` above its rest point.
struct Oscillator {
  double mass = 0.0075, stiffness = 41.5, damping = 0.0;
  Model model() const {
    Model m;
    BodyDefinition b = body(1, mass, 1.25e-7);
    b.position = Vector3d(0.0, 0.0, 0.0685 + 0.002);
    m.bodies.push_back(b);
    zkslv::SpringDefinition spring;
    spring.body = 1;
    spring.stiffness = stiffness;
    spring.damping = damping;
    spring.free_length = 0.0685;
    m.springs.push_back(spring);
    return m;
  }
};

// The peaks of the oscillator's displacement from the free length, over `steps` steps.
std::vector<double> peaks(const Oscillator& o, int steps, double h) {
  MultibodySystem s(o.model());
  std::vector<double> out;
  double before = 0.0, last = s.state(0).position.z() - 0.0685;
  for (int n = 0; n < steps; ++n) {
    s.step(h, no_loads(s));
    const double now = s.state(0).position.z() - 0.0685;
    if (n > 0 && last > before && last >= now) out.push_back(last);
    before = last;
    last = now;
  }
  return out;
}

TEST(Dynamics, UndampedOscillationKeepsItsAmplitude) {
  const std::vector<double> p = peaks(Oscillator{}, 20000, 0.0005);  // about 130 periods
  ASSERT_GT(p.size(), 100u);
  for (double peak : p) EXPECT_NEAR(peak, 0.002, 0.002 * 0.01);
}

TEST(Dynamics, DampedOscillationDecaysAtItsRate) {
  // Successive peaks shrink by exp(-zeta omega T_d).
  Oscillator o;
  o.damping = 0.0825;
  const std::vector<double> p = peaks(o, 4000, 0.0005);
  ASSERT_GT(p.size(), 4u);
  const double omega = std::sqrt(o.stiffness / o.mass);
  const double zeta = o.damping / (2.0 * std::sqrt(o.stiffness * o.mass));
  const double period = 2.0 * std::numbers::pi / (omega * std::sqrt(1.0 - zeta * zeta));
  const double ratio = std::exp(-zeta * omega * period);
  for (size_t i = 1; i < 4; ++i) EXPECT_NEAR(p[i] / p[i - 1], ratio, 0.02 * ratio);
}

TEST(Dynamics, SpringBetweenBodiesActsEquallyOnBoth) {
  Model m;
  BodyDefinition a = body(1, 0.25, 0.001);
  BodyDefinition b = body(2, 0.75, 0.002);
  a.velocity = Vector3d(0.3, -0.1, 0.2);
  b.position = Vector3d(0.1, 0.02, -0.03);
  m.bodies = {a, b};
  zkslv::SpringDefinition spring;
  spring.body = 1;
  spring.point = Vector3d(0.01, 0.0, 0.0);
  spring.other = 2;
  spring.other_point = Vector3d(0.0, -0.02, 0.0);
  spring.stiffness = 23.85;
  spring.damping = 0.125;
  spring.free_length = 0.05;
  m.springs.push_back(spring);
  MultibodySystem s(m);
  const Vector3d momentum = 0.25 * a.velocity;
  for (int n = 0; n < 500; ++n) {
    const std::vector<Load> loads = s.internal_loads();
    EXPECT_EQ(loads[0].force + loads[1].force, Vector3d::Zero());
    // Each end's torque is its lever arm across the force.
    const Vector3d lever = s.state(0).orientation * spring.point;
    EXPECT_LT((loads[0].torque - lever.cross(loads[0].force)).norm(), 1e-15);
    s.step(0.001, no_loads(s));
  }
  const Vector3d now = 0.25 * s.state(0).velocity + 0.75 * s.state(1).velocity;
  EXPECT_LT((now - momentum).norm(), 1e-14);
}

TEST(Dynamics, SpringAtZeroLengthOnlyDamps) {
  Model m;
  BodyDefinition b = body(1, 1.0, 1.0);
  b.velocity = Vector3d(0.0, 2.0, 0.0);
  m.bodies.push_back(b);
  zkslv::SpringDefinition spring;
  spring.body = 1;
  spring.stiffness = 100.0;
  spring.damping = 0.5;
  spring.free_length = 0.1;
  m.springs.push_back(spring);
  const MultibodySystem s(m);
  EXPECT_EQ(s.internal_loads()[0].force, Vector3d(0.0, -1.0, 0.0));
}

TEST(Dynamics, SteadySpinTurnsAboutItsAxis) {
  Model m;
  BodyDefinition b = body(1, 0.03, 2.385e-6);
  b.angular_velocity = Vector3d(0.0, 0.0, 2.385);
  m.bodies.push_back(b);
  MultibodySystem s(m);
  const int n = 1000;
  const double h = 0.0005;
  run(s, n, h);
  const Eigen::Matrix3d expected =
      Eigen::AngleAxisd(n * h * 2.385, Vector3d::UnitZ()).toRotationMatrix();
  EXPECT_LT((s.rotation(0) - expected).norm(), 1e-12);
  EXPECT_NEAR(s.rotation_vector(0).z(), n * h * 2.385, 1e-12);
  EXPECT_EQ(s.state(0).angular_velocity, b.angular_velocity);
}

TEST(Dynamics, OrientationIsBodyToWorld) {
  // A quarter turn about z carries the body's x axis onto the world's y axis.
  Model m;
  BodyDefinition b = body(1, 1.0, 1.0);
  b.rotation = Vector3d(0.0, 0.0, std::numbers::pi / 2);
  m.bodies.push_back(b);
  const MultibodySystem s(m);
  EXPECT_LT((s.rotation(0) * Vector3d::UnitX() - Vector3d::UnitY()).norm(), 1e-15);
  EXPECT_LT((s.rotation_vector(0) - b.rotation).norm(), 1e-15);
}

TEST(Dynamics, DistanceValueFollowsTheMarker) {
  Model m;
  BodyDefinition b = body(1, 1.0, 1.0);
  b.position = Vector3d(-0.025, 0.0, 0.0);
  b.marker = Vector3d(0.005, 0.0, 0.0);
  b.pinned = true;
  b.angular_velocity = Vector3d(0.0, 0.0, std::numbers::pi / 2);  // a quarter turn in 1 s
  m.bodies.push_back(b);
  BodyDefinition referenced = b;
  referenced.id = 2;
  referenced.dm_reference = Vector3d(0.0, 0.0, 0.0);
  m.bodies.push_back(referenced);
  MultibodySystem s(m);
  EXPECT_EQ(s.distance_value(0), 0.0);
  EXPECT_NEAR(s.distance_value(1), 0.02, 1e-15);
  run(s, 1000, 0.001);
  EXPECT_NEAR(s.distance_value(0), 0.005 * std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(s.distance_value(1), std::hypot(0.025, 0.005), 1e-12);
}

TEST(Dynamics, PinnedBodyOnlyTurns) {
  Model m;
  m.gravity = Vector3d(0.0, 0.0, -9.80665);
  BodyDefinition b = body(1, 0.0312, 2.385e-6);
  b.position = Vector3d(0.025, 0.0, 0.0);
  b.velocity = Vector3d(1.0, 0.0, 0.0);
  b.pinned = true;
  m.bodies.push_back(b);
  MultibodySystem s(m);
  std::vector<Load> loads(1);
  loads[0].force = Vector3d(0.5, 0.5, 0.5);
  loads[0].torque = Vector3d(0.0, 0.0, 2.385e-6);
  for (int n = 0; n < 10; ++n) s.step(0.01, loads);
  EXPECT_EQ(s.state(0).position, b.position);
  EXPECT_EQ(s.state(0).velocity, Vector3d::Zero());
  EXPECT_EQ(s.state(0).acceleration, Vector3d::Zero());
  EXPECT_NEAR(s.state(0).angular_velocity.z(), 0.1, 1e-15);  // alpha = 1 rad/s² for 0.1 s
}

TEST(Dynamics, RotationalDamperSlowsTheSpinGeometrically) {
  // w_{n+1} = w_n (1 - h c / J) with the torque -c w of the present step.
  Model m;
  BodyDefinition b = body(1, 0.0312, 2.385e-6);
  b.angular_velocity = Vector3d(0.0, 0.0, 12.5);
  m.bodies.push_back(b);
  zkslv::RotationalSpringDefinition damper;
  damper.body = 1;
  damper.damping = 2.2e-5;
  m.rotational_springs.push_back(damper);
  MultibodySystem s(m);
  const double h = 0.0005;
  double w = 12.5;
  for (int n = 0; n < 200; ++n) {
    s.step(h, no_loads(s));
    w *= 1.0 - h * damper.damping / 2.385e-6;
  }
  EXPECT_NEAR(s.state(0).angular_velocity.z(), w, 1e-12 * 12.5);
}

TEST(Dynamics, RotationalSpringPullsBackToTheStartOrientation) {
  Model m;
  BodyDefinition b = body(1, 1.0, 0.01);
  b.rotation = Vector3d(0.3, 0.0, 0.0);
  m.bodies.push_back(b);
  zkslv::RotationalSpringDefinition spring;
  spring.body = 1;
  spring.stiffness = 2.385;
  m.rotational_springs.push_back(spring);
  MultibodySystem s(m);
  EXPECT_EQ(s.internal_loads()[0].torque, Vector3d::Zero());
  std::vector<Load> kick(1);
  kick[0].torque = Vector3d(0.0, 0.0, 1.0);  // turns it by h² T / J = 0.01 rad about z
  s.step(0.01, kick);
  const Vector3d torque = s.internal_loads()[0].torque;
  EXPECT_NEAR(torque.z(), -2.385e-2, 1e-12);
  EXPECT_NEAR(torque.x(), 0.0, 1e-12);
}

TEST(Dynamics, BodiesTurningTogetherStrainNoRotationalSpring) {
  // Relative orientation is what the spring sees: a common spin leaves it relaxed.
  Model m;
  BodyDefinition a = body(1, 1.0, 0.02);
  BodyDefinition b = body(2, 1.0, 0.02);
  a.rotation = Vector3d(0.0, 0.4, 0.0);
  b.rotation = Vector3d(0.7, 0.0, 0.2);
  a.angular_velocity = b.angular_velocity = Vector3d(0.5, -1.5, 2.385);
  m.bodies = {a, b};
  zkslv::RotationalSpringDefinition spring;
  spring.body = 1;
  spring.other = 2;
  spring.stiffness = 10.0;
  spring.damping = 0.1;
  m.rotational_springs.push_back(spring);
  MultibodySystem s(m);
  for (int n = 0; n < 200; ++n) {
    EXPECT_LT(s.internal_loads()[0].torque.norm(), 1e-12);
    s.step(0.001, no_loads(s));
  }
}

TEST(Dynamics, UnboundedLoadsShowAsNotFinite) {
  Model m;
  m.bodies.push_back(body(1, 1.0, 1.0));
  MultibodySystem s(m);
  EXPECT_TRUE(s.finite());
  std::vector<Load> loads(1);
  loads[0].force = Vector3d(std::nan(""), 0.0, 0.0);
  s.step(0.001, loads);
  EXPECT_FALSE(s.finite());
}

}  // namespace

namespace {

TEST(Dynamics, StableStepLimitSeparatesDecayFromGrowth) {
  // A body on a spring and damper to the ground, displaced by 0.01 and moving at 0.01, stepped
  // at just under and just over the limit: its motion stays bounded below it and grows above.
  struct Case {
    const char* name;
    double stiffness, damping, mass, limit;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"spring", 41.5, 0.0, 0.0075, 2.0 / std::sqrt(41.5 / 0.0075)},
      {"damper", 0.0, 0.0825, 0.0075, 2.0 * 0.0075 / 0.0825},
      {"both", 41.5, 0.0825, 0.0075, 0.0},
      {"nothing", 0.0, 0.0, 0.0075, inf},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double limit = zkslv::stable_step_limit(c.stiffness, c.damping, 1.0 / c.mass);
    if (c.limit > 0.0) {
      EXPECT_DOUBLE_EQ(limit, c.limit);
    }
    if (std::isinf(limit)) continue;
    for (const double factor : {0.98, 1.02}) {
      Model m;
      BodyDefinition b = body(1, c.mass, 1.25e-7);
      b.position = Vector3d(0.0, 0.0, 0.01);
      b.velocity = Vector3d(0.0, 0.0, 0.01);
      m.bodies.push_back(b);
      zkslv::SpringDefinition s;
      s.body = 1;
      s.stiffness = c.stiffness;
      s.damping = c.damping;
      m.springs.push_back(s);
      MultibodySystem system(m);
      run(system, 300, factor * limit);
      const double deviation = system.state(0).position.norm() + system.state(0).velocity.norm();
      if (factor < 1.0) {
        EXPECT_LT(deviation, 100.0) << factor;
      } else {
        EXPECT_GT(deviation, 100.0) << factor;
      }
    }
  }
}

}  // namespace
