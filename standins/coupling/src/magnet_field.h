// Flux density of uniformly polarised cuboid and cylinder magnets, in closed form.
//
// Each magnet is centred on the origin of its own body frame; points and results are in
// that frame, SI units (m, T). A uniform polarisation J = mu0 M leaves no volume charge and
// the surface charge sigma = M.n on the faces, so outside the magnet
//
//   B(x) = 1 / (4 pi) * integral over the faces of (J.n) (x - x') / |x - x'|^3 dA'.
//
// Both hold at every point outside the magnet, the planes of its faces and the lines of its
// edges included; at the edges and rims themselves they are unbounded.
#pragma once

#include "magnet_model.h"

namespace tarvoquelm {

// Field of a cuboid with full edge lengths `dimensions` along the body axes and
// polarisation `polarization` (any direction).
Vec3 cuboid_field(const Vec3& dimensions, const Vec3& polarization, const Vec3& point);

// Field of a cylinder of the given diameter and height with its axis along body z,
// polarised along that axis with `polarization` (T, signed).
Vec3 cylinder_field(double diameter, double height, double polarization, const Vec3& point);

// Bulirsch's general complete elliptic integral
//   cel(kc, p, c, s) = integral over [0, pi/2] of (c cos^2 t + s sin^2 t)
//                      / ((cos^2 t + p sin^2 t) sqrt(cos^2 t + kc^2 sin^2 t)) dt,
// for kc != 0, and p != 0 or s = 0 (where the integral converges). NaN for kc = 0.
double cel(double kc, double p, double c, double s);

}  // namespace tarvoquelm
