// Closed-form fields of cuboid and cylinder magnets, and the complete elliptic integral that
// the cylinder needs.
#include "magnet_field.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace tarvoquelm {

namespace {

constexpr double kPi = std::numbers::pi;

// ln((v2 + R2) / (v1 + R1)) for v1 < v2, with R_i = sqrt(t + v_i^2) given and t >= 0.
//
// Written directly, v + R cancels when v is negative and |v| much larger than sqrt(t), and
// both logarithms are infinite on the line t = 0 beyond an edge. With
// R2 - R1 = (v2 - v1)(v1 + v2) / (R1 + R2) the quotient minus one has no cancellation on
// either side of the line, and for v < 0, v + R = t / (R - v). When v1 < 0 < v2 the point
// lies beside the edge, t > 0 off the magnet, and the direct form is exact enough.
double log_ratio(double t, double v1, double v2, double r1, double r2) {
  const double mean = (v1 + v2) / (r1 + r2);
  if (v1 >= 0.0) return std::log1p((v2 - v1) * (1.0 + mean) / (v1 + r1));
  if (v2 <= 0.0) return std::log1p((v2 - v1) * (1.0 - mean) / (r2 - v2));
  return std::log((v2 + r2) * (r1 - v1) / t);
}

// atan(u v / (w R)) for any sign of w; at w = 0 its limit from w > 0, which is all the
// cuboid needs: beside a face the four corner terms then cancel exactly.
double corner_angle(double u, double v, double w, double r) {
  const double angle = std::atan2(u * v, std::fabs(w) * r);
  return w < 0.0 ? -angle : angle;
}

// The field of the two faces normal to axis 3 of a cuboid polarised along that axis, in
// coordinates (1, 2, 3) of that axis: half edges h, point x, polarisation j. Over the face
// at x3' = z0 with u = x1 - x1', v = x2 - x2', w = x3 - z0 and R = |(u, v, w)|,
//   integral of (u, v, w) / R^3 du dv = (L_v(u1) - L_v(u2), L_u(v1) - L_u(v2),
//                                        sum over corners of +-atan(u v / (w R))),
// L_v(u) = ln((v2 + R(u, v2)) / (v1 + R(u, v1))) and L_u likewise.
void add_axial_cuboid_field(const double h[3], const double x[3], double j, double b[3]) {
  const double u[2] = {x[0] - h[0], x[0] + h[0]};
  const double v[2] = {x[1] - h[1], x[1] + h[1]};
  const double scale = j / (4.0 * kPi);
  for (int face = 0; face < 2; ++face) {
    const double sign = face == 0 ? scale : -scale;  // charge +j on top, -j at the bottom
    const double w = face == 0 ? x[2] - h[2] : x[2] + h[2];
    double r[2][2];
    for (int a = 0; a < 2; ++a) {
      for (int c = 0; c < 2; ++c) r[a][c] = std::sqrt(u[a] * u[a] + v[c] * v[c] + w * w);
    }
    const double w2 = w * w;
    const double along_1 = log_ratio(u[0] * u[0] + w2, v[0], v[1], r[0][0], r[0][1]) -
                           log_ratio(u[1] * u[1] + w2, v[0], v[1], r[1][0], r[1][1]);
    const double along_2 = log_ratio(v[0] * v[0] + w2, u[0], u[1], r[0][0], r[1][0]) -
                           log_ratio(v[1] * v[1] + w2, u[0], u[1], r[0][1], r[1][1]);
    const double along_3 =
        corner_angle(u[1], v[1], w, r[1][1]) - corner_angle(u[0], v[1], w, r[0][1]) -
        corner_angle(u[1], v[0], w, r[1][0]) + corner_angle(u[0], v[0], w, r[0][0]);
    b[0] += sign * along_1;
    b[1] += sign * along_2;
    b[2] += sign * along_3;
  }
}

}  // namespace

Vec3 cuboid_field(const Vec3& dimensions, const Vec3& polarization, const Vec3& point) {
  const double half[3] = {0.5 * dimensions.x, 0.5 * dimensions.y, 0.5 * dimensions.z};
  const double at[3] = {point.x, point.y, point.z};
  const double j[3] = {polarization.x, polarization.y, polarization.z};
  double b[3] = {0.0, 0.0, 0.0};
  // Each component of J on its own, in coordinates turned cyclically so that J lies along
  // the third.
  for (int axis = 0; axis < 3; ++axis) {
    if (j[axis] == 0.0) continue;
    const int p = (axis + 1) % 3, q = (axis + 2) % 3;
    const double h[3] = {half[p], half[q], half[axis]};
    const double x[3] = {at[p], at[q], at[axis]};
    double part[3] = {0.0, 0.0, 0.0};
    add_axial_cuboid_field(h, x, j[axis], part);
    b[p] += part[0];
    b[q] += part[1];
    b[axis] += part[2];
  }
  return {b[0], b[1], b[2]};
}

// The field of a uniformly magnetised cylinder (radius a, half height b) from Derby and
// Olbert, Am. J. Phys. 78 (2010) 229, in cylinder coordinates (rho, z):
//   z+- = z +- b, alpha+- = a / sqrt(z+-^2 + (rho + a)^2), beta+- = z+- / sqrt(...),
//   gamma = (a - rho) / (a + rho), kc+- = sqrt((z+-^2 + (a - rho)^2) / (z+-^2 + (a + rho)^2)),
//   B_rho = J / pi (alpha+ cel(kc+, 1, 1, -1) - alpha- cel(kc-, 1, 1, -1)),
//   B_z = J / pi a / (a + rho) (beta+ cel(kc+, gamma^2, 1, gamma)
//                               - beta- cel(kc-, gamma^2, 1, gamma)).
// On the axis kc = 1 and gamma = 1, where cel is finite and B_rho vanishes; at rho = a
// gamma = 0, which cel handles through its branch for p <= 0.
Vec3 cylinder_field(double diameter, double height, double polarization, const Vec3& point) {
  const double a = 0.5 * diameter;
  const double b = 0.5 * height;
  const double rho = std::hypot(point.x, point.y);
  const double gamma = (a - rho) / (a + rho);
  double radial = 0.0, axial = 0.0;
  for (int end = 0; end < 2; ++end) {
    const double sign = end == 0 ? 1.0 : -1.0;
    const double z = point.z + sign * b;
    const double far2 = z * z + (a + rho) * (a + rho);
    const double inverse = 1.0 / std::sqrt(far2);
    const double kc = std::sqrt((z * z + (a - rho) * (a - rho)) / far2);
    radial += sign * (a * inverse) * cel(kc, 1.0, 1.0, -1.0);
    axial += sign * (z * inverse) * cel(kc, gamma * gamma, 1.0, gamma);
  }
  const double scale = polarization / kPi;
  const double b_rho = scale * radial;
  const double b_z = scale * (a / (a + rho)) * axial;
  if (rho == 0.0) return {0.0, 0.0, b_z};
  return {b_rho * (point.x / rho), b_rho * (point.y / rho), b_z};
}

// Bulirsch, Numer. Math. 13 (1969) 305, algorithm cel: a Landen (arithmetic-geometric mean)
// iteration that converges quadratically; it stops once successive means agree to
// kTolerance, after which the next step would change nothing in double precision.
double cel(double kc, double p, double c, double s) {
  constexpr double kTolerance = 1e-9;
  constexpr int kMostSteps = 64;  // far more than any convergent case takes
  if (kc == 0.0) return std::numeric_limits<double>::quiet_NaN();
  double k = std::fabs(kc);
  double pp = p, cc = c, ss = s;
  double em = 1.0;
  if (p > 0.0) {
    pp = std::sqrt(p);
    ss = s / pp;
  } else {
    double f = kc * kc;
    double q = 1.0 - f;
    const double g = 1.0 - pp;
    f = f - pp;
    q = q * (ss - c * pp);
    pp = std::sqrt(f / g);
    cc = (c - ss) / g;
    ss = -q / (g * g * pp) + cc * pp;
  }
  double f = cc;
  cc = cc + ss / pp;
  double g = k / pp;
  ss = 2.0 * (ss + f * g);
  pp = g + pp;
  g = em;
  em = k + em;
  double kk = k;
  for (int step = 0; step < kMostSteps && std::fabs(g - k) > g * kTolerance; ++step) {
    k = 2.0 * std::sqrt(kk);
    kk = k * em;
    f = cc;
    cc = cc + ss / pp;
    g = kk / pp;
    ss = 2.0 * (ss + f * g);
    pp = g + pp;
    g = em;
    em = k + em;
  }
  return (kPi / 2.0) * (ss + cc * em) / (em * (em + pp));
}

}  // namespace tarvoquelm
