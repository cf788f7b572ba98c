// Point-dipole field, force and torque, and the analysis of a design's group records.
#include "magnet_model.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace tarvoquelm {

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double s, const Vec3& a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

namespace {

bool is_finite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The unit vector along r and the length of r.
struct Direction {
  Vec3 unit;
  double length;
};

Direction direction(const Vec3& r) {
  const double length = std::sqrt(dot(r, r));
  return {{r.x / length, r.y / length, r.z / length}, length};
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string point(const Vec3& v) {
  std::ostringstream out;
  out.precision(10);
  out << "(" << v.x << ", " << v.y << ", " << v.z << ") m";
  return out.str();
}

// Fills *why (when given) and returns the status.
int failure(int status, std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
  return status;
}

}  // namespace

Vec3 dipole_field(const Dipole& source, const Vec3& point) {
  const auto [u, d] = direction(point - source.position);
  const Vec3& m = source.moment;
  return (kMu0Over4Pi / (d * d * d)) * ((3.0 * dot(m, u)) * u - m);
}

Vec3 dipole_force(const Dipole& source, const Dipole& target) {
  const auto [u, d] = direction(target.position - source.position);
  const Vec3& m = source.moment;
  const Vec3& n = target.moment;
  const double mu = dot(m, u);
  const double nu = dot(n, u);
  // Every term changes sign exactly when source and target swap (u turns into -u, the
  // products mu * nu and m.n stay), so the forces of a pair are exactly opposite.
  return (3.0 * kMu0Over4Pi / ((d * d) * (d * d))) *
         (mu * n + nu * m + dot(m, n) * u - (5.0 * (mu * nu)) * u);
}

Vec3 rotate_to_world(const double* orientation, const Vec3& body) {
  const double* r = orientation;
  return {r[0] * body.x + r[1] * body.y + r[2] * body.z,
          r[3] * body.x + r[4] * body.y + r[5] * body.z,
          r[6] * body.x + r[7] * body.y + r[8] * body.z};
}

int analyze(const Design& design, const std::vector<GroupRecord>& groups,
            std::vector<ForceRecord>* results, std::string* why) {
  // Every magnet of the analysis in the world frame: the group records first, in record
  // order, then the fixed magnets; with the names that messages give them.
  std::vector<Dipole> dipoles;
  std::vector<std::string> names;
  dipoles.reserve(groups.size() + design.fixed.size());
  for (const GroupRecord& record : groups) {
    const auto group = std::find_if(design.groups.begin(), design.groups.end(),
                                    [&](const GroupMagnet& g) { return g.name == record.name; });
    if (group == design.groups.end()) {
      std::string known;
      for (const GroupMagnet& g : design.groups)
        known += (known.empty() ? "" : ", ") + quoted(g.name);
      return failure(kUnknownGroup, why,
                     "design " + quoted(design.name) + " has no group " + quoted(record.name) +
                         (known.empty() ? "; it has no groups" : "; its groups are " + known));
    }
    const Vec3 position{record.position[0], record.position[1], record.position[2]};
    dipoles.push_back({position, rotate_to_world(record.orientation, group->moment)});
    names.push_back("group " + quoted(record.name));
  }
  for (const FixedMagnet& magnet : design.fixed) {
    dipoles.push_back(magnet.dipole);
    names.push_back("the fixed magnet " + (magnet.name.empty()
                                               ? std::to_string(names.size() - groups.size() + 1)
                                               : quoted(magnet.name)));
  }
  for (size_t i = 0; i < dipoles.size(); ++i) {
    if (!is_finite(dipoles[i].position) || !is_finite(dipoles[i].moment)) {
      return failure(kNotFinite, why,
                     "the position or orientation of " + names[i] + " is not a finite number");
    }
  }

  std::vector<ForceRecord> loads;
  loads.reserve(groups.size());
  for (size_t i = 0; i < groups.size(); ++i) {
    const Dipole& target = dipoles[i];
    Vec3 force{0.0, 0.0, 0.0};
    Vec3 field{0.0, 0.0, 0.0};
    for (size_t j = 0; j < dipoles.size(); ++j) {
      if (j == i) continue;
      if (dipoles[j].position == target.position) {
        return failure(kCoincidentMagnets, why,
                       names[i] + " and " + names[j] + " are both at " + point(target.position) +
                           ": the field of a point magnet is unbounded at its own position");
      }
      force = force + dipole_force(dipoles[j], target);
      field = field + dipole_field(dipoles[j], target.position);
    }
    const Vec3 torque = cross(target.moment, field);
    // Magnets very close together can overflow even though they do not coincide.
    if (!is_finite(force) || !is_finite(torque)) {
      return failure(kNotFinite, why,
                     "the force or torque on " + names[i] + " at " + point(target.position) +
                         " overflows: another magnet is too close to it");
    }
    loads.push_back({{force.x, force.y, force.z, torque.x, torque.y, torque.z}});
  }
  results->assign(loads.begin(), loads.end());
  return kAnalysisOk;
}

}  // namespace tarvoquelm
