// Point-dipole field, force and torque, and the analysis of a design's group records.
#include "magnet_model.h"

#include <algorithm>
#include <cmath>
#include <sstream>

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

Vec3 rotate_to_body(const double* orientation, const Vec3& world) {
  const double* r = orientation;
  return {r[0] * world.x + r[3] * world.y + r[6] * world.z,
          r[1] * world.x + r[4] * world.y + r[7] * world.z,
          r[2] * world.x + r[5] * world.y + r[8] * world.z};
}

namespace {

// What a magnet takes from the others: its load and, for a dipole, the field at its
// position, from which its torque m x B follows at the end.
struct Intake {
  Load load;
  Vec3 field{0.0, 0.0, 0.0};
};

Dipole dipole_of(const PlacedMagnet& magnet) {
  return {magnet.position, rotate_to_world(magnet.orientation.data(), magnet.body.moment)};
}

// Adds what `source` exerts on `target` to *on_target and, when on_source is given, what
// `target` exerts on `source` to *on_source. Between dipoles both come from the closed
// forms; otherwise one surface integral over a magnet serves both sides: the other feels
// the opposite force and, if it is a magnet too, the torque that keeps the pair's angular
// momentum. False when the two coincide or overlap.
bool interact(const PlacedMagnet& target, const PlacedMagnet& source, Intake* on_target,
              Intake* on_source) {
  if (source.position == target.position) return false;
  const bool target_is_dipole = target.body.shape == Shape::kDipole;
  const bool source_is_dipole = source.body.shape == Shape::kDipole;
  if (target_is_dipole && source_is_dipole) {
    const Dipole t = dipole_of(target), s = dipole_of(source);
    on_target->load.force = on_target->load.force + dipole_force(s, t);
    on_target->field = on_target->field + dipole_field(s, t.position);
    if (on_source != nullptr) {
      on_source->load.force = on_source->load.force + dipole_force(t, s);
      on_source->field = on_source->field + dipole_field(t, s.position);
    }
    return true;
  }
  // Integrate over the target unless it is the dipole.
  const bool over_target = !target_is_dipole;
  const PlacedMagnet& shaped = over_target ? target : source;
  const PlacedMagnet& other = over_target ? source : target;
  Intake* on_shaped = over_target ? on_target : on_source;
  Intake* on_other = over_target ? on_source : on_target;

  const std::optional<Load> load = surface_load(other, shaped);
  if (!load) return false;
  if (on_shaped != nullptr) {
    on_shaped->load.force = on_shaped->load.force + load->force;
    on_shaped->load.torque = on_shaped->load.torque + load->torque;
  }
  if (on_other == nullptr) return true;
  on_other->load.force = on_other->load.force - load->force;
  if (other.body.shape == Shape::kDipole) {
    const std::optional<Vec3> field = field_outside(shaped, other.position);
    if (!field) return false;
    on_other->field = on_other->field + *field;
  } else {
    on_other->load.torque =
        on_other->load.torque - load->torque - cross(shaped.position - other.position, load->force);
  }
  return true;
}

}  // namespace

int analyze(const Design& design, const std::vector<GroupRecord>& groups,
            std::vector<ForceRecord>* results, std::string* why) {
  // Every magnet of the analysis in the world frame: the group records first, in record
  // order, then the fixed magnets; with the names that messages give them.
  std::vector<PlacedMagnet> magnets;
  std::vector<std::string> names;
  magnets.reserve(groups.size() + design.fixed.size());
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
    PlacedMagnet magnet{
        {record.position[0], record.position[1], record.position[2]}, {}, group->body};
    std::copy(record.orientation, record.orientation + 9, magnet.orientation.begin());
    magnets.push_back(magnet);
    names.push_back("group " + quoted(record.name));
  }
  for (const FixedMagnet& fixed : design.fixed) {
    magnets.push_back({fixed.position, fixed.orientation, fixed.body});
    names.push_back("the fixed magnet " + (fixed.name.empty()
                                               ? std::to_string(names.size() - groups.size() + 1)
                                               : quoted(fixed.name)));
  }
  for (size_t i = 0; i < magnets.size(); ++i) {
    if (!is_finite(magnets[i].position) || !is_finite(magnets[i].orientation)) {
      return failure(kNotFinite, why,
                     "the position or orientation of " + names[i] + " is not a finite number");
    }
  }

  // Each pair once: group i meets the later groups (which take their share as well) and
  // the fixed magnets. A group's sum therefore runs over the other magnets in their order.
  std::vector<Intake> intakes(groups.size());
  for (size_t i = 0; i < groups.size(); ++i) {
    for (size_t j = i + 1; j < magnets.size(); ++j) {
      Intake* on_source = j < groups.size() ? &intakes[j] : nullptr;
      if (!interact(magnets[i], magnets[j], &intakes[i], on_source)) {
        const bool same_place = magnets[i].position == magnets[j].position;
        return failure(kCoincidentMagnets, why,
                       names[i] + " and " + names[j] +
                           (same_place ? " are both at " + point(magnets[i].position) +
                                             ": the field of a point magnet is unbounded at its "
                                             "own position"
                                       : " overlap or touch (at " + point(magnets[i].position) +
                                             " and " + point(magnets[j].position) +
                                             "): the field of a magnet is unbounded on its faces"));
      }
    }
  }

  std::vector<ForceRecord> loads;
  loads.reserve(groups.size());
  for (size_t i = 0; i < groups.size(); ++i) {
    Load& load = intakes[i].load;
    if (magnets[i].body.shape == Shape::kDipole) {
      load.torque = cross(dipole_of(magnets[i]).moment, intakes[i].field);
    }
    // Magnets very close together can overflow even though they do not coincide.
    if (!is_finite(load.force) || !is_finite(load.torque)) {
      return failure(kNotFinite, why,
                     "the force or torque on " + names[i] + " at " + point(magnets[i].position) +
                         " overflows: another magnet is too close to it");
    }
    loads.push_back(
        {{load.force.x, load.force.y, load.force.z, load.torque.x, load.torque.y, load.torque.z}});
  }
  results->assign(loads.begin(), loads.end());
  return kAnalysisOk;
}

}  // namespace tarvoquelm
