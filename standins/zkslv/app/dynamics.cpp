// Rigid-body dynamics: loads of gravity, springs and dampers; the semi-implicit Euler step.
#include "dynamics.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace zkslv {

namespace {

std::string number(double value) {
  std::ostringstream out;
  out.precision(4);
  out << value;
  return out.str();
}

// The inverse mass that a spring end at `point` (body frame) of `body` moves with: the
// centre's 1/m and, through the turn it causes, r²/J_min at the distance r from the centre.
double inverse_mass_at(const BodyDefinition& body, const Eigen::Vector3d& point) {
  const double translation = body.pinned ? 0.0 : 1.0 / body.mass;
  return translation + point.squaredNorm() / body.inertia.minCoeff();
}

// The rotation vector of a unit quaternion, taking the shorter way round (angle <= pi).
Eigen::Vector3d rotation_vector_of(Eigen::Quaterniond q) {
  if (q.w() < 0.0) q.coeffs() = -q.coeffs();
  const Eigen::Vector3d v = q.vec();
  const double s = v.norm();
  if (s == 0.0) return Eigen::Vector3d::Zero();
  const double angle = 2.0 * std::atan2(s, q.w());
  return v * (angle / s);
}

}  // namespace

double stable_step_limit(double stiffness, double damping, double inverse_mass) {
  const double cw = damping * inverse_mass;
  const double root = std::sqrt(cw * cw + 4.0 * stiffness * inverse_mass);
  if (cw + root == 0.0) return std::numeric_limits<double>::infinity();
  return 4.0 / (cw + root);
}

void check_step_stability(const Model& model) {
  const Units& u = *model.units;
  struct SpringUnits {
    std::string stiffness, damping, moved;  // "N/m", "N·s/m", "mass (kg)"
  };
  const SpringUnits translational{std::string(u.force) + "/" + u.length,
                                  std::string(u.force) + "·s/" + u.length,
                                  std::string("mass (") + u.mass + ")"};
  const SpringUnits rotational{std::string(u.torque) + "/rad", std::string(u.torque) + "·s/rad",
                               std::string("inertia (") + u.mass + "·" + u.length + "²)"};
  auto check = [&](const SourceLine& source, const char* what, const std::string& bodies,
                   double stiffness, double damping, double inverse_mass,
                   const SpringUnits& units) {
    const double limit = stable_step_limit(stiffness, damping, inverse_mass);
    if (model.step < limit) return;
    throw ModelError(model.where(source) + ": " + what + " on " + bodies + ": the step " +
                     number(model.step) +
                     " s is too large; the integration stays stable only for steps below " +
                     number(limit) + " s (stiffness " + number(stiffness) + " " + units.stiffness +
                     ", damping " + number(damping) + " " + units.damping + ", moved " +
                     units.moved + " " + number(1.0 / inverse_mass) + "); make \"step\" smaller");
  };
  auto body = [&](int id) -> const BodyDefinition& {
    return model.bodies[static_cast<size_t>(model.body_index(id))];
  };
  auto names = [&](int id, const std::optional<int>& other) {
    return "body \"" + body(id).name + "\"" +
           (other ? " and body \"" + body(*other).name + "\"" : std::string());
  };
  for (const SpringDefinition& s : model.springs) {
    double w = inverse_mass_at(body(s.body), s.point);
    if (s.other) w += inverse_mass_at(body(*s.other), s.other_point);
    check(s.source, "[[spring]]", names(s.body, s.other), s.stiffness, s.damping, w, translational);
  }
  for (const RotationalSpringDefinition& s : model.rotational_springs) {
    double w = 1.0 / body(s.body).inertia.minCoeff();
    if (s.other) w += 1.0 / body(*s.other).inertia.minCoeff();
    check(s.source, "[[rotational_spring]]", names(s.body, s.other), s.stiffness, s.damping, w,
          rotational);
  }
}

Eigen::Quaterniond orientation_from_rotation_vector(const Eigen::Vector3d& rotation) {
  const double angle = rotation.norm();
  if (angle == 0.0) return Eigen::Quaterniond::Identity();
  return Eigen::Quaterniond(Eigen::AngleAxisd(angle, rotation / angle));
}

MultibodySystem::MultibodySystem(const Model& model) : gravity_(model.gravity) {
  for (const BodyDefinition& b : model.bodies) {
    BodyState s;
    s.position = b.position;
    s.velocity = b.pinned ? Eigen::Vector3d::Zero() : b.velocity;
    s.orientation = orientation_from_rotation_vector(b.rotation);
    s.angular_velocity = b.angular_velocity;
    states_.push_back(s);
    const Eigen::Vector3d marker_start = s.position + s.orientation * b.marker;
    bodies_.push_back(
        {b.mass, b.inertia, b.pinned, b.marker, b.dm_reference.value_or(marker_start)});
  }
  for (const SpringDefinition& s : model.springs) {
    springs_.push_back({model.body_index(s.body), s.point,
                        s.other ? model.body_index(*s.other) : -1, s.other_point, s.stiffness,
                        s.damping, s.free_length});
  }
  for (const RotationalSpringDefinition& s : model.rotational_springs) {
    RotationalSpring r{model.body_index(s.body), s.other ? model.body_index(*s.other) : -1,
                       s.stiffness, s.damping, Eigen::Quaterniond::Identity()};
    const Eigen::Quaterniond body = states_[static_cast<size_t>(r.body)].orientation;
    const Eigen::Quaterniond other = r.other >= 0
                                         ? states_[static_cast<size_t>(r.other)].orientation
                                         : Eigen::Quaterniond::Identity();
    r.rest = other.conjugate() * body;
    rotational_springs_.push_back(r);
  }
}

Eigen::Matrix3d MultibodySystem::rotation(int index) const {
  return state(index).orientation.toRotationMatrix();
}

Eigen::Vector3d MultibodySystem::rotation_vector(int index) const {
  return rotation_vector_of(state(index).orientation);
}

double MultibodySystem::distance_value(int index) const {
  const Body& b = bodies_[static_cast<size_t>(index)];
  return (point_position(index, b.marker) - b.dm_reference).norm();
}

Eigen::Vector3d MultibodySystem::point_position(int index,
                                                const Eigen::Vector3d& body_point) const {
  const BodyState& s = state(index);
  return s.position + s.orientation * body_point;
}

Eigen::Vector3d MultibodySystem::point_velocity(int index,
                                                const Eigen::Vector3d& body_point) const {
  const BodyState& s = state(index);
  return s.velocity + s.angular_velocity.cross(s.orientation * body_point);
}

// Spring and damper along the line between the two ends a (on the body) and b:
//   F_a = -(k (l - l0) + c (v_a - v_b).u) u,  u = (p_a - p_b) / l,  l = |p_a - p_b|,
// and -F_a at b. At zero length the direction is undefined; only the damper acts then,
// against the whole relative velocity.
void MultibodySystem::add_spring(const Spring& s, std::vector<Load>& loads) const {
  const Eigen::Vector3d pa = point_position(s.body, s.point);
  const Eigen::Vector3d va = point_velocity(s.body, s.point);
  Eigen::Vector3d pb = s.other_point;
  Eigen::Vector3d vb = Eigen::Vector3d::Zero();
  if (s.other >= 0) {
    pb = point_position(s.other, s.other_point);
    vb = point_velocity(s.other, s.other_point);
  }
  const Eigen::Vector3d d = pa - pb;
  const double length = d.norm();
  Eigen::Vector3d force;
  if (length > 0.0) {
    const Eigen::Vector3d u = d / length;
    force = -(s.stiffness * (length - s.free_length) + s.damping * (va - vb).dot(u)) * u;
  } else {
    force = -s.damping * (va - vb);
  }
  Load& a = loads[static_cast<size_t>(s.body)];
  a.force += force;
  a.torque += (pa - state(s.body).position).cross(force);
  if (s.other >= 0) {
    Load& b = loads[static_cast<size_t>(s.other)];
    b.force -= force;
    b.torque -= (pb - state(s.other).position).cross(force);
  }
}

// Torsional spring and damper: with E = R_body (R_other Q0)^T the rotation away from the
// rest orientation Q0 (world frame) and phi its rotation vector, the body feels
//   T = -k phi - c (w_body - w_other)
// and the other body -T.
void MultibodySystem::add_rotational_spring(const RotationalSpring& s,
                                            std::vector<Load>& loads) const {
  const BodyState& body = state(s.body);
  Eigen::Quaterniond other = Eigen::Quaterniond::Identity();
  Eigen::Vector3d other_velocity = Eigen::Vector3d::Zero();
  if (s.other >= 0) {
    other = state(s.other).orientation;
    other_velocity = state(s.other).angular_velocity;
  }
  const Eigen::Quaterniond deviation = body.orientation * (other * s.rest).conjugate();
  const Eigen::Vector3d torque = -s.stiffness * rotation_vector_of(deviation) -
                                 s.damping * (body.angular_velocity - other_velocity);
  loads[static_cast<size_t>(s.body)].torque += torque;
  if (s.other >= 0) loads[static_cast<size_t>(s.other)].torque -= torque;
}

std::vector<Load> MultibodySystem::internal_loads() const {
  std::vector<Load> loads(states_.size());
  for (size_t i = 0; i < states_.size(); ++i) loads[i].force = bodies_[i].mass * gravity_;
  for (const Spring& s : springs_) add_spring(s, loads);
  for (const RotationalSpring& s : rotational_springs_) add_rotational_spring(s, loads);
  return loads;
}

void MultibodySystem::step(double h, const std::vector<Load>& external) {
  const std::vector<Load> internal = internal_loads();
  for (size_t i = 0; i < states_.size(); ++i) {
    const Body& b = bodies_[i];
    BodyState& s = states_[i];
    const Eigen::Vector3d force = internal[i].force + external[i].force;
    const Eigen::Vector3d torque = internal[i].torque + external[i].torque;

    if (b.pinned) {
      s.acceleration.setZero();
    } else {
      s.acceleration = force / b.mass;
      s.velocity += h * s.acceleration;
      s.position += h * s.velocity;
    }

    const Eigen::Matrix3d r = s.orientation.toRotationMatrix();
    const Eigen::Matrix3d inertia = r * b.inertia.asDiagonal() * r.transpose();
    const Eigen::Matrix3d inverse = r * b.inertia.cwiseInverse().asDiagonal() * r.transpose();
    const Eigen::Vector3d& w = s.angular_velocity;
    s.angular_acceleration = inverse * (torque - w.cross(inertia * w));
    s.angular_velocity += h * s.angular_acceleration;
    s.orientation = orientation_from_rotation_vector(h * s.angular_velocity) * s.orientation;
    s.orientation.normalize();
  }
}

bool MultibodySystem::finite() const {
  for (const BodyState& s : states_) {
    const bool ok = s.position.allFinite() && s.velocity.allFinite() &&
                    s.acceleration.allFinite() && s.orientation.coeffs().allFinite() &&
                    s.angular_velocity.allFinite() && s.angular_acceleration.allFinite();
    if (!ok) return false;
  }
  return true;
}

}  // namespace zkslv
