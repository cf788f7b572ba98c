// Point-dipole field, force and torque, and the analysis of a design's group records.
#include "magnet_model.h"

#include <algorithm>
#include <cmath>

#include "magnet_pair.h"

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

bool is_finite(const Orientation& r) {
  return std::all_of(r.begin(), r.end(), [](double v) { return std::isfinite(v); });
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

Vec3 rotate_to_body(const double* orientation, const Vec3& world) {
  const double* r = orientation;
  return {r[0] * world.x + r[3] * world.y + r[6] * world.z,
          r[1] * world.x + r[4] * world.y + r[7] * world.z,
          r[2] * world.x + r[5] * world.y + r[8] * world.z};
}

int analyze(const Design& design, const std::vector<GroupRecord>& groups,
            std::vector<ForceRecord>* results) {
  // Every magnet of the analysis in the world frame: the group records first, in record
  // order, then the fixed magnets.
  std::vector<PlacedMagnet> magnets;
  magnets.reserve(groups.size() + design.fixed.size());
  for (const GroupRecord& record : groups) {
    const auto group = std::find_if(design.groups.begin(), design.groups.end(),
                                    [&](const GroupMagnet& g) { return g.name == record.name; });
    if (group == design.groups.end()) return kUnknownGroup;
    PlacedMagnet magnet{
        {record.position[0], record.position[1], record.position[2]}, {}, group->body};
    std::copy(record.orientation, record.orientation + 9, magnet.orientation.begin());
    magnets.push_back(magnet);
  }
  for (const FixedMagnet& fixed : design.fixed) {
    magnets.push_back({fixed.position, fixed.orientation, fixed.body});
  }
  for (const PlacedMagnet& magnet : magnets) {
    if (!is_finite(magnet.position) || !is_finite(magnet.orientation)) return kNotFinite;
  }

  std::vector<ForceRecord> loads;
  loads.reserve(groups.size());
  for (size_t i = 0; i < groups.size(); ++i) {
    const PlacedMagnet& target = magnets[i];
    const bool target_is_dipole = target.body.shape == Shape::kDipole;
    const Dipole dipole{target.position,
                        rotate_to_world(target.orientation.data(), target.body.moment)};
    Load load;
    Vec3 field{0.0, 0.0, 0.0};  // at a dipole target, for its torque
    for (size_t j = 0; j < magnets.size(); ++j) {
      if (j == i) continue;
      const PlacedMagnet& source = magnets[j];
      if (source.position == target.position) return kCoincidentMagnets;
      if (!target_is_dipole) {
        const std::optional<Load> pair = surface_load(source, target);
        if (!pair) return kCoincidentMagnets;
        load.force = load.force + pair->force;
        load.torque = load.torque + pair->torque;
        continue;
      }
      const std::optional<Vec3> source_field = field_outside(source, target.position);
      if (!source_field) return kCoincidentMagnets;
      field = field + *source_field;
      if (source.body.shape == Shape::kDipole) {
        load.force = load.force +
                     dipole_force({source.position,
                                   rotate_to_world(source.orientation.data(), source.body.moment)},
                                  dipole);
      } else {
        // The dipole feels the opposite of what its field does to the magnet.
        const std::optional<Load> on_source = surface_load(target, source);
        if (!on_source) return kCoincidentMagnets;
        load.force = load.force - on_source->force;
      }
    }
    if (target_is_dipole) load.torque = cross(dipole.moment, field);
    // Magnets very close together can overflow even though they do not coincide.
    if (!is_finite(load.force) || !is_finite(load.torque)) return kNotFinite;
    loads.push_back(
        {{load.force.x, load.force.y, load.force.z, load.torque.x, load.torque.y, load.torque.z}});
  }
  results->assign(loads.begin(), loads.end());
  return kAnalysisOk;
}

}  // namespace tarvoquelm
