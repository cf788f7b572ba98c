// Fields of placed magnets, and force and torque on a shaped magnet by surface integration.
#include "magnet_pair.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "gauss_legendre.h"
#include "magnet_field.h"

namespace tarvoquelm {

namespace {

// Panels lie at least this many half-diagonals from the source's singular set.
constexpr double kPanelRatio = 1.5;
// Decimal digits each panel's rule aims at, before the allowance for distance below.
constexpr double kPanelDigits = 11.0;
// Highest rule order (odd, so that rule_points keeps it).
constexpr int kLargestOrder = 41;
// A face is split at most this often: panels reach 1/4096 of the face, enough for gaps of
// 1/3000 of its size (0.1 mm between magnets of 30 cm). Closer magnets still get a result,
// less accurate, at a cost that grows with the inverse of the gap up to that depth and no
// further.
constexpr int kDeepestSplit = 12;

double length(const Vec3& v) { return std::sqrt(dot(v, v)); }

Vec3 column(const Orientation& r, int k) { return {r[k], r[3 + k], r[6 + k]}; }

Vec3 to_body(const PlacedMagnet& magnet, const Vec3& point) {
  return rotate_to_body(magnet.orientation.data(), point - magnet.position);
}

// Half edges of a cuboid, or radius, radius and half height of a cylinder.
Vec3 half_size(const MagnetBody& body) { return 0.5 * body.dimensions; }

bool contains(const PlacedMagnet& magnet, const Vec3& point) {
  const Vec3 b = to_body(magnet, point);
  const Vec3 h = half_size(magnet.body);
  switch (magnet.body.shape) {
    case Shape::kDipole:
      return point == magnet.position;
    case Shape::kCuboid:
      return std::fabs(b.x) <= h.x && std::fabs(b.y) <= h.y && std::fabs(b.z) <= h.z;
    case Shape::kCylinder:
      return std::hypot(b.x, b.y) <= h.x && std::fabs(b.z) <= h.z;
  }
  return false;
}

// Distance from a point to where the magnet's field is not analytic: a dipole's point, a
// cuboid's twelve edges, a cylinder's two rims.
double singular_distance(const PlacedMagnet& magnet, const Vec3& point) {
  const Vec3 b = to_body(magnet, point);
  const Vec3 h = half_size(magnet.body);
  switch (magnet.body.shape) {
    case Shape::kDipole:
      return length(b);
    case Shape::kCuboid: {
      // Of the four edges along axis k the nearest is on the point's side in the other two
      // axes; off its ends the distance along k adds.
      const double beyond[3] = {std::fabs(b.x) - h.x, std::fabs(b.y) - h.y, std::fabs(b.z) - h.z};
      double nearest = std::numeric_limits<double>::infinity();
      for (int k = 0; k < 3; ++k) {
        const double along = std::max(beyond[k], 0.0);
        const double across_1 = beyond[(k + 1) % 3], across_2 = beyond[(k + 2) % 3];
        nearest = std::min(nearest, along * along + across_1 * across_1 + across_2 * across_2);
      }
      return std::sqrt(nearest);
    }
    case Shape::kCylinder:
      return std::hypot(std::hypot(b.x, b.y) - h.x, std::fabs(b.z) - h.z);
  }
  return 0.0;
}

// Gauss-Legendre rules of every order up to kLargestOrder that quadrel computes, built once.
struct Rule {
  std::vector<double> nodes, weights;
};

const Rule& rule_of(int points) {
  static const std::vector<Rule> rules = [] {
    std::vector<Rule> all(kLargestOrder + 1);
    std::vector<double> work(kLargestOrder);
    for (int m = 2; m <= kLargestOrder; ++m) {
      if (quadrel::gauss_legendre::rule_points(m) != m) continue;
      all[m].nodes.resize(m);
      all[m].weights.resize(m);
      quadrel::gauss_legendre::rule(m, all[m].nodes.data(), all[m].weights.data(), work.data());
    }
    return all;
  }();
  return rules[points];
}

// Rule order for a panel whose nearest singularity is q half-diagonals from its middle.
// Far from the source the forces on opposite faces nearly cancel, by a factor of about q,
// so the panel aims at log10(q) more digits.
int order_for(double q) {
  const double rho = q + std::sqrt(q * q - 1.0);
  const double digits = kPanelDigits + std::log10(q);
  const double order = std::ceil(digits * std::log(10.0) / (2.0 * std::log(rho)));
  return quadrel::gauss_legendre::rule_points(
      std::clamp(static_cast<int>(order), 2, kLargestOrder));
}

// A charged face of the target: a rectangle centre + s e1 + t e2 over [s0, s1] x [t0, t1],
// or a disk centre + s (cos t e1 + sin t e2) over radii [0, s1] and angles [0, 2 pi].
struct Face {
  Vec3 centre, e1, e2;
  bool polar;
  double s0, s1, t0, t1;
  double charge;  // sigma = (J.n) / mu0, A/m

  Vec3 point(double s, double t) const {
    if (!polar) return centre + s * e1 + t * e2;
    return centre + (s * std::cos(t)) * e1 + (s * std::sin(t)) * e2;
  }
  double jacobian(double s) const { return polar ? s : 1.0; }
};

std::vector<Face> faces_of(const PlacedMagnet& magnet) {
  std::vector<Face> faces;
  const Vec3 h = half_size(magnet.body);
  const Vec3& j = magnet.body.polarization;
  const Orientation& r = magnet.orientation;
  if (magnet.body.shape == Shape::kCylinder) {
    for (const double side : {1.0, -1.0}) {
      faces.push_back({magnet.position + (side * h.z) * column(r, 2), column(r, 0), column(r, 1),
                       true, 0.0, h.x, 0.0, 2.0 * std::numbers::pi, side * j.z / kMu0});
    }
    return faces;
  }
  const double half[3] = {h.x, h.y, h.z};
  const double polarization[3] = {j.x, j.y, j.z};
  for (int k = 0; k < 3; ++k) {
    if (polarization[k] == 0.0) continue;
    const int p = (k + 1) % 3, q = (k + 2) % 3;
    for (const double side : {1.0, -1.0}) {
      faces.push_back({magnet.position + (side * half[k]) * column(r, k), column(r, p),
                       column(r, q), false, -half[p], half[p], -half[q], half[q],
                       side * polarization[k] / kMu0});
    }
  }
  return faces;
}

struct Panel {
  double s0, s1, t0, t1;
  int depth;
};

// Adds the face's force and torque (about `about`) in the field of `source` to *load; false
// when a point of the face lies inside or on the source.
bool integrate_face(const Face& face, const PlacedMagnet& source, const Vec3& about, Load* load) {
  std::vector<Panel> todo;
  if (face.polar) {
    // Quarter sectors, so that no panel starts out much longer than wide.
    const double quarter = (face.t1 - face.t0) / 4.0;
    for (int i = 0; i < 4; ++i) {
      todo.push_back({face.s0, face.s1, face.t0 + i * quarter, face.t0 + (i + 1) * quarter, 0});
    }
  } else {
    todo.push_back({face.s0, face.s1, face.t0, face.t1, 0});
  }
  Vec3 force{0.0, 0.0, 0.0}, torque{0.0, 0.0, 0.0};
  while (!todo.empty()) {
    const Panel panel = todo.back();
    todo.pop_back();
    const double s_mid = 0.5 * (panel.s0 + panel.s1), t_mid = 0.5 * (panel.t0 + panel.t1);
    const double s_length = panel.s1 - panel.s0;
    const double t_length = (face.polar ? panel.s1 : 1.0) * (panel.t1 - panel.t0);
    const double half_diagonal = 0.5 * std::hypot(s_length, t_length);
    const double q = singular_distance(source, face.point(s_mid, t_mid)) / half_diagonal;
    if (q < kPanelRatio && panel.depth < kDeepestSplit) {
      // Halve the long side of an elongated panel, otherwise both.
      const int depth = panel.depth + 1;
      const bool split_s = s_length >= 0.5 * t_length, split_t = t_length >= 0.5 * s_length;
      const double s_cut[3] = {panel.s0, split_s ? s_mid : panel.s1, panel.s1};
      const double t_cut[3] = {panel.t0, split_t ? t_mid : panel.t1, panel.t1};
      for (int a = 0; a < (split_s ? 2 : 1); ++a) {
        for (int c = 0; c < (split_t ? 2 : 1); ++c) {
          todo.push_back({s_cut[a], s_cut[a + 1], t_cut[c], t_cut[c + 1], depth});
        }
      }
      continue;
    }
    // A panel left close to a singularity at the deepest split takes the closest order.
    const Rule& rule = rule_of(order_for(std::max(q, kPanelRatio)));
    const double s_scale = 0.5 * s_length, t_scale = 0.5 * (panel.t1 - panel.t0);
    for (size_t a = 0; a < rule.nodes.size(); ++a) {
      const double s = s_mid + s_scale * rule.nodes[a];
      const double s_weight = s_scale * rule.weights[a] * face.jacobian(s);
      for (size_t c = 0; c < rule.nodes.size(); ++c) {
        const double t = t_mid + t_scale * rule.nodes[c];
        const Vec3 x = face.point(s, t);
        const std::optional<Vec3> field = field_outside(source, x);
        if (!field) return false;
        const double weight = s_weight * (t_scale * rule.weights[c]);
        force = force + weight * *field;
        torque = torque + weight * cross(x - about, *field);
      }
    }
  }
  load->force = load->force + face.charge * force;
  load->torque = load->torque + face.charge * torque;
  return true;
}

}  // namespace

std::optional<Vec3> field_outside(const PlacedMagnet& source, const Vec3& point) {
  if (contains(source, point)) return std::nullopt;
  const MagnetBody& body = source.body;
  switch (body.shape) {
    case Shape::kDipole:
      return dipole_field(
          {source.position, rotate_to_world(source.orientation.data(), body.moment)}, point);
    case Shape::kCuboid:
      return rotate_to_world(
          source.orientation.data(),
          cuboid_field(body.dimensions, body.polarization, to_body(source, point)));
    case Shape::kCylinder:
      return rotate_to_world(source.orientation.data(),
                             cylinder_field(body.dimensions.x, body.dimensions.z,
                                            body.polarization.z, to_body(source, point)));
  }
  return std::nullopt;
}

std::optional<Load> surface_load(const PlacedMagnet& source, const PlacedMagnet& target) {
  // A magnet wholly inside the other leaves no face point inside it.
  if (contains(target, source.position) || contains(source, target.position)) return std::nullopt;
  Load load;
  for (const Face& face : faces_of(target)) {
    if (!integrate_face(face, source, target.position, &load)) return std::nullopt;
  }
  return load;
}

}  // namespace tarvoquelm
