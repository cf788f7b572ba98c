// The model file of the stand-in host: simulation settings, host variables, rigid bodies,
// springs and dampers, and the external force elements, read from a TOML document.
//
// Every quantity is in the model's unit system ([simulation] units: "m-kg-s", "mm-t-s" or
// "mm-kg-s"); time is always in seconds and angles in radians. The comments below give the
// SI units of the default system. Vectors are given in the world frame unless a key says
// "body frame".
#pragma once

#include <Eigen/Core>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zkslv {

// A model that cannot be read or does not describe a simulation. The message starts with
// "<file>:<line>:" (and the column where known) and says what is wrong.
class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where an item was written in the model file, for messages.
struct SourceLine {
  int line = 0;
  int column = 0;
};

// A host variable, served to the subroutine through "VARVAL".
struct Variable {
  int id = 0;
  std::string name;
  double value = 0.0;
  SourceLine source;
};

struct BodyDefinition {
  int id = 0;
  std::string name;
  double mass = 0.0;                                           // kg
  Eigen::Vector3d inertia = Eigen::Vector3d::Zero();           // kg·m², principal, body axes
  Eigen::Vector3d position = Eigen::Vector3d::Zero();          // m, centre of mass at the start
  Eigen::Vector3d velocity = Eigen::Vector3d::Zero();          // m/s
  Eigen::Vector3d rotation = Eigen::Vector3d::Zero();          // rad, rotation vector at the start
  Eigen::Vector3d angular_velocity = Eigen::Vector3d::Zero();  // rad/s
  bool pinned = false;  // the centre stays where it is; the body only turns
  // "DM" is the distance of the marker (a point fixed in the body, body frame) from the
  // reference point (world frame); the reference defaults to the marker's start position.
  Eigen::Vector3d marker = Eigen::Vector3d::Zero();
  std::optional<Eigen::Vector3d> dm_reference;
  SourceLine source;
};

// A linear spring with a parallel damper between a point of a body and a point of the
// ground or of another body.
struct SpringDefinition {
  int body = 0;
  Eigen::Vector3d point = Eigen::Vector3d::Zero();        // on the body, body frame
  std::optional<int> other;                               // the other body; none: the ground
  Eigen::Vector3d other_point = Eigen::Vector3d::Zero();  // body frame of `other`, or world
  double stiffness = 0.0;                                 // N/m
  double damping = 0.0;                                   // N·s/m
  double free_length = 0.0;                               // m
  SourceLine source;
};

// A torsional spring with a parallel damper between a body and the ground or another body.
// The spring is relaxed in the relative orientation that the bodies have at the start.
struct RotationalSpringDefinition {
  int body = 0;
  std::optional<int> other;
  double stiffness = 0.0;  // N·m/rad
  double damping = 0.0;    // N·m·s/rad
  SourceLine source;
};

enum class AutoStop { kOff, kForce, kPosition };

// A unit system of the model. The host computes in it throughout; only the loads of the force
// elements arrive in SI (N and N·m, what the coupling stand-in delivers) and are converted.
struct Units {
  const char* name;        // as written in the model: "m-kg-s"
  const char* length;      // "m"
  const char* mass;        // "kg"
  const char* mass_words;  // "kilograms", for messages
  const char* force;       // "N"
  const char* torque;      // "N·m"
  double per_metre;        // lengths: model units in one metre
  double force_from_si;    // model force units in one newton
  double torque_from_si;   // model torque units in one newton metre
};

// The unit system named `name`, or null.
const Units* find_units(std::string_view name);
// The default unit system, "m-kg-s".
const Units& si_units();

// One external force element: the subroutine library's calc_external_force is called for
// it with the provider library's name and configuration path and the parameters below.
struct ForceElementDefinition {
  std::string name;
  std::string library;  // the provider library, e.g. "Velmira"
  std::string config;   // configuration path as written: relative to the model's folder
  std::vector<int> bodies;
  int interval_variable = 0;
  AutoStop auto_stop = AutoStop::kOff;
  double tolerance = 0.0;
  int instance = 0;  // key of the element's automatic-stop history
  SourceLine source;
};

struct Model {
  std::filesystem::path path;  // absolute, lexically normal
  std::string display_name;    // the path as the user gave it, for messages
  std::string title;
  std::string subroutine = "ostrel";                  // the user-subroutine library
  double start_time = 0.0;                            // s
  double end_time = 0.0;                              // s
  double step = 0.0;                                  // s
  Eigen::Vector3d gravity = Eigen::Vector3d::Zero();  // m/s²
  const Units* units = &si_units();
  // Write every output_every-th step to the results table (the last state always).
  long long output_every = 1;
  // Beyond these limits a body's motion counts as run away and the run fails: the distance
  // of its centre from its start position (m), its speed (m/s) and its angular speed
  // (rad/s). Defaults: 1000 times the model's size, that distance per step, half a turn
  // per step.
  double runaway_distance = 0.0;
  double runaway_speed = 0.0;
  double runaway_angular_speed = 0.0;
  std::vector<Variable> variables;
  std::vector<BodyDefinition> bodies;
  std::vector<SpringDefinition> springs;
  std::vector<RotationalSpringDefinition> rotational_springs;
  std::vector<ForceElementDefinition> elements;

  // The number of steps from the start to the end time.
  long long step_count() const;
  // The largest distance between two points that the model places (start positions, spring
  // ends, markers, reference points) plus the longest body-frame offset or free length; one
  // metre when all of that is zero.
  double size() const;
  // Index of the body with this id in `bodies`, or -1.
  int body_index(int id) const;
  const Variable* find_variable(int id) const;
  // "<display name>:<line>" of an item, for messages.
  std::string where(const SourceLine& source) const;
  // The configuration path of an element as the subroutine resolves it: absolute as
  // written, otherwise joined to the model's folder.
  std::filesystem::path resolved_config(const ForceElementDefinition& element) const;
};

// Parses a model from its text and checks that its step suits the integrator (dynamics.h).
// `path` is the absolute model path, `display_name` how messages name the file. Throws
// ModelError.
Model parse_model(std::string_view text, const std::filesystem::path& path,
                  const std::string& display_name);

// Reads and parses the model file and checks that every element's configuration file can
// be read. Throws ModelError.
Model load_model(const std::filesystem::path& path, const std::string& display_name);

}  // namespace zkslv
