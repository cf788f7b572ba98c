// The field model of the coupling stand-in: magnets in free space, each a point dipole, a
// uniformly polarised cuboid or an axially polarised cylinder.
//
// Units are SI throughout: positions in metres, dipole moments in A·m², polarisations and
// flux density in tesla, forces in newtons, torques in newton metres.
//
// Between two dipoles the closed forms below hold. Wherever a cuboid or cylinder takes part,
// the force and torque on it are integrals of its surface charge in the other's field
// (magnet_pair.h), and a dipole beside it feels the opposite force.
//
// The field of a dipole m at s, at the point p, with r = p - s, d = |r| and u = r / d:
//
//   B(p) = mu0 / (4 pi d^3) * (3 (m.u) u - m)
//
// The force on a dipole n at p in the field of the dipole m at s (same r, d, u):
//
//   F = 3 mu0 / (4 pi d^4) * ((m.u) n + (n.u) m + (m.n) u - 5 (m.u)(n.u) u)
//
// and the torque on n about its own position is n x B(p). Two coaxial dipoles at distance
// d attract or repel with |F| = 3 mu0 m n / (2 pi d^4).
//
// How the group records of the coupling interface are read:
// - position: the group's position in the world frame, taken as metres. Velmira multiplies
//   the host's displacements by its scale factor before handing them over, so a host model
//   in millimetres uses the scale factor 0.001.
// - orientation: the body-to-world rotation matrix R, row by row: R[3 * row + col]. A
//   group's moment in the world frame is R times its moment in the body frame.
// - results: one record per group record, in the same order: force x, y, z, then torque
//   x, y, z, in the world frame; the torque is about the group's position, where its dipole
//   sits or its magnet is centred.
// A group feels every other magnet of the analysis: the other group records and the fixed
// magnets of the design. Groups of the design that no record names take no part.
#pragma once

#include <array>
#include <numbers>
#include <string>
#include <vector>

#include "coupling/coupling.h"

namespace tarvoquelm {

// A vector of the world or body frame.
struct Vec3 {
  double x, y, z;
  bool operator==(const Vec3&) const = default;
};

// The magnetic constant mu0 in N/A², CODATA 2018 recommended value (the value of the 2019
// SI, where mu0 is measured rather than fixed to 4 pi 1e-7).
inline constexpr double kMu0 = 1.25663706212e-6;
// mu0 / (4 pi), the factor in front of every dipole formula.
inline constexpr double kMu0Over4Pi = kMu0 / (4.0 * std::numbers::pi);

// A point dipole: where it sits and its moment, both in the world frame.
struct Dipole {
  Vec3 position;
  Vec3 moment;
};

// A body-to-world rotation matrix, row by row: R[3 * row + col].
using Orientation = std::array<double, 9>;
inline constexpr Orientation kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

enum class Shape { kDipole, kCuboid, kCylinder };

// A magnet in its body frame, centred on the body's origin.
struct MagnetBody {
  Vec3 moment{};  // dipole: the moment, A·m²
  Shape shape = Shape::kDipole;
  // Cuboid: the full edge lengths along the body axes. Cylinder: diameter, diameter, height
  // (its axis is body z).
  Vec3 dimensions{};
  // Cuboid: the polarisation J = mu0 M, any direction. Cylinder: (0, 0, J), along its axis.
  Vec3 polarization{};
};

// A moving group of a design: the record name that selects it and its magnet in the body
// frame.
struct GroupMagnet {
  std::string name;
  MagnetBody body;
};

// A magnet that does not move; its name only labels it in messages.
struct FixedMagnet {
  std::string name;
  Vec3 position;
  MagnetBody body;
  Orientation orientation = kIdentity;
};

struct Design {
  std::string name;
  std::vector<GroupMagnet> groups;
  std::vector<FixedMagnet> fixed;
};

// What analyze() reports through the coupling's status argument.
enum AnalysisStatus : int {
  kAnalysisOk = 0,
  kNoDesignOpen = 1,       // Analyze before a successful OpenProject
  kUnknownGroup = 2,       // a record names a group the design does not have
  kCoincidentMagnets = 3,  // two magnets at one point or overlapping: no force is defined
  kNotFinite = 4,          // a pose or result that is not a finite number
};

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(double s, const Vec3& a);
double dot(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);

// The flux density of `source` at `point`. The point must differ from the source's
// position.
Vec3 dipole_field(const Dipole& source, const Vec3& point);

// The force that `source` exerts on `target`. The positions must differ.
Vec3 dipole_force(const Dipole& source, const Dipole& target);

// R times `body` for the body-to-world rotation matrix R stored row by row.
Vec3 rotate_to_world(const double* orientation, const Vec3& body);

// R^T times `world`: a world vector in the body frame.
Vec3 rotate_to_body(const double* orientation, const Vec3& world);

// Force and torque on every group record, in record order. On success *results holds
// exactly one record per group record; on failure *results is left unchanged and *why (when
// given) says which magnets are the cause and what is wrong. Returns one of AnalysisStatus.
int analyze(const Design& design, const std::vector<GroupRecord>& groups,
            std::vector<ForceRecord>* results, std::string* why = nullptr);

}  // namespace tarvoquelm
