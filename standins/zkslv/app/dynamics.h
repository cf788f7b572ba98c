// Rigid-body dynamics of the stand-in host: bodies under gravity, springs, dampers and
// external loads, advanced with a fixed step by the semi-implicit Euler method.
//
// Each body has its centre of mass x, velocity v, orientation R (body to world: a vector
// with body-frame components b has world components R b), angular velocity w in the world
// frame and principal moments of inertia J (body axes). With the total force F and the
// total torque T about the centre, both in the world frame, one step of length h is
//
//   a = F / m                         alpha = I^-1 (T - w x (I w)),  I = R diag(J) R^T
//   v' = v + h a                       w' = w + h alpha
//   x' = x + h v'                      R' = exp(h [w']x) R
//
// The new velocities drive the new positions (the symplectic variant of Euler's method),
// which keeps undamped oscillations bounded and makes a static equilibrium an exact rest
// point. R is kept as a unit quaternion, normalised after every step.
#pragma once

#include <Eigen/Core>
#include <Eigen/Geometry>
#include <vector>

#include "model.h"

namespace zkslv {

// A force and a torque about the body's centre, world frame.
struct Load {
  Eigen::Vector3d force = Eigen::Vector3d::Zero();   // N
  Eigen::Vector3d torque = Eigen::Vector3d::Zero();  // N·m
};

struct BodyState {
  Eigen::Vector3d position = Eigen::Vector3d::Zero();
  Eigen::Vector3d velocity = Eigen::Vector3d::Zero();
  // The accelerations of the last step: those that moved the body to its present state.
  Eigen::Vector3d acceleration = Eigen::Vector3d::Zero();
  Eigen::Quaterniond orientation = Eigen::Quaterniond::Identity();
  Eigen::Vector3d angular_velocity = Eigen::Vector3d::Zero();
  Eigen::Vector3d angular_acceleration = Eigen::Vector3d::Zero();
};

class MultibodySystem {
 public:
  explicit MultibodySystem(const Model& model);

  int body_count() const { return static_cast<int>(states_.size()); }
  const BodyState& state(int index) const { return states_[static_cast<size_t>(index)]; }
  // The body-to-world rotation matrix.
  Eigen::Matrix3d rotation(int index) const;
  // The body's orientation as a rotation vector (axis times angle, angle in [0, pi]).
  Eigen::Vector3d rotation_vector(int index) const;
  // "DM": the distance of the body's marker from its reference point.
  double distance_value(int index) const;

  // The loads of gravity, springs and dampers on every body at the present state.
  std::vector<Load> internal_loads() const;

  // Advances every body by one step of length h under the internal loads plus `external`
  // (one per body).
  void step(double h, const std::vector<Load>& external);

  // True when every state value of every body is a finite number.
  bool finite() const;

 private:
  struct Body {
    double mass;
    Eigen::Vector3d inertia;
    bool pinned;
    Eigen::Vector3d marker;
    Eigen::Vector3d dm_reference;
  };
  struct Spring {
    int body;
    Eigen::Vector3d point;
    int other;  // -1: the ground
    Eigen::Vector3d other_point;
    double stiffness, damping, free_length;
  };
  struct RotationalSpring {
    int body;
    int other;  // -1: the ground
    double stiffness, damping;
    // Relative orientation at rest: R_body R_other^T at the start.
    Eigen::Quaterniond rest;
  };

  Eigen::Vector3d point_position(int index, const Eigen::Vector3d& body_point) const;
  Eigen::Vector3d point_velocity(int index, const Eigen::Vector3d& body_point) const;
  void add_spring(const Spring& s, std::vector<Load>& loads) const;
  void add_rotational_spring(const RotationalSpring& s, std::vector<Load>& loads) const;

  Eigen::Vector3d gravity_;
  std::vector<Body> bodies_;
  std::vector<BodyState> states_;
  std::vector<Spring> springs_;
  std::vector<RotationalSpring> rotational_springs_;
};

// The largest step for which the semi-implicit Euler step keeps a spring and damper stable.
// One step maps the deviation x and velocity v of a spring (stiffness k, damping c, acting
// on inverse mass w) by a matrix of determinant 1 - h c w and trace 2 - h² k w - h c w; both
// eigenvalues stay inside the unit circle while h² k w + 2 h c w < 4, that is for
//
//   h < 4 / (c w + sqrt(c² w² + 4 k w))       (2 / omega without damping, 2 / (c w) without
//                                               stiffness; infinite when nothing acts)
double stable_step_limit(double stiffness, double damping, double inverse_mass);

// Refuses a model whose step is not below the stable step of each of its springs and
// rotational springs, with the bodies they act on: throws ModelError naming the spring and
// the largest stable step. A translational spring acts on the inverse mass 1/m + r²/J_min of
// each body end (r: the end's distance from the centre; a pinned body's centre does not
// move), a rotational spring on 1/J_min of each body.
void check_step_stability(const Model& model);

// The orientation whose rotation vector is `rotation` (axis times angle in radians).
Eigen::Quaterniond orientation_from_rotation_vector(const Eigen::Vector3d& rotation);

}  // namespace zkslv
