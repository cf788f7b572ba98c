// What one magnet exerts on another when at least one of them has a shape: force and torque
// by integrating the target's surface charge in the source's field.
//
// A uniformly polarised target carries the surface charge sigma = M.n = (J.n) / mu0 on its
// faces and none inside, so in the field B of other magnets
//
//   F = integral over the faces of sigma B dA,
//   T = integral over the faces of sigma (r - p) x B dA      (about the target's centre p),
//
// which includes the torque M x B of the volume. A cuboid's faces are integrated as
// rectangles, a cylinder's end faces in polar coordinates (its side carries no charge).
//
// The field is analytic on the target's faces except near the source's singular set (a
// dipole's point, a cuboid's edges, a cylinder's rims), so each face is cut into panels
// until every panel lies at least kPanelRatio panel half-diagonals from that set, and each
// panel takes a tensor Gauss-Legendre rule whose order follows from that ratio: an m-point
// rule on an interval of half-length h errs by about rho^(-2m) for an integrand analytic
// inside the ellipse with foci at the ends and semi-axes sum rho h; a singularity at distance
// d from the midpoint gives rho = q + sqrt(q^2 - 1), q = d / h. The orders aim at 1e-11 per
// panel (more far away, where the faces' forces nearly cancel), which keeps the whole
// integral well within 1e-9 relative (about 1e-14 at gaps of 1 and 0.1 mm).
#pragma once

#include <optional>

#include "magnet_model.h"

namespace tarvoquelm {

// A magnet where it stands: its centre and body-to-world matrix in the world frame.
struct PlacedMagnet {
  Vec3 position;
  Orientation orientation;
  MagnetBody body;
};

struct Load {
  Vec3 force{};
  Vec3 torque{};
};

// The world field of `source` at a world point; nothing when the point lies inside or on
// the magnet (or at a dipole's point).
std::optional<Vec3> field_outside(const PlacedMagnet& source, const Vec3& point);

// Force and torque (about the target's position) that `source` exerts on `target`, which is
// a cuboid or a cylinder; nothing when the two overlap or touch.
std::optional<Load> surface_load(const PlacedMagnet& source, const PlacedMagnet& target);

}  // namespace tarvoquelm
