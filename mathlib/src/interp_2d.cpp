// Piecewise-linear interpolation in two variables on a planar triangulation: the two-phase
// export (on a caller's triangulation) and the one-call export.
//
// With vertices A, B, C of a triangle, a point P has the barycentric weights
//   alpha = ((P - C) x (B - C)) / det,  beta = ((A - C) x (P - C)) / det,  gamma = 1 - alpha -
//   beta,
// det = (A - C) x (B - C), where u x v = u.x * v.y - u.y * v.x is written out below in the
// order in which it is evaluated. P lies in the triangle when no weight is negative; a negative
// weight names the edge opposite its vertex, beyond which P lies, and the walk crosses it.
// The value is (beta * z[B] + alpha * z[A]) + gamma * z[C], summed in exactly that order.
#include <atomic>
#include <cmath>
#include <cstddef>

#include "internal.h"
#include "quadrel.h"
#include "triangulation_core.h"

namespace quadrel {
namespace {

// The triangle where the last successful walk ended, shared by every call in the process.
// Walks only read it to choose where to start, so relaxed atomic access suffices.
std::atomic<int> search_hint{-1};

// Value stored for a query point whose walk found no triangle.
constexpr double kNoTriangle = -1.0;

// Points as two arrays of coordinates, with a stride (1 for the caller's arrays, 2 for an
// interleaved copy).
struct Coordinates {
  const double* x;
  const double* y;
  std::size_t stride;

  double x_at(int i) const { return x[std::size_t(i) * stride]; }
  double y_at(int i) const { return y[std::size_t(i) * stride]; }
};

struct Triangulation {
  int point_count;
  Coordinates points;
  const double* z;
  const int* neighbours;
  const int* vertices;
  int triangle_count;
};

// Locates (px, py) and stores its interpolated value in *value. False when no triangle serves
// the point: the weights are NaN, the walk exceeds triangle_count steps, or it meets an index
// out of range.
bool interpolate_point(const Triangulation& tri, double px, double py, double* value) {
  int t = search_hint.load(std::memory_order_relaxed);
  if (t < 0 || t >= tri.triangle_count) t = (tri.triangle_count + 1) / 2 - 1;
  for (int steps = 0;;) {
    const int* v = tri.vertices + 3 * std::size_t(t);
    for (int k = 0; k < 3; ++k) {
      if (v[k] < 0 || v[k] >= tri.point_count) return false;
    }
    const double ax = tri.points.x_at(v[0]), ay = tri.points.y_at(v[0]);
    const double bx = tri.points.x_at(v[1]), by = tri.points.y_at(v[1]);
    const double cx = tri.points.x_at(v[2]), cy = tri.points.y_at(v[2]);
    const double det = (by - cy) * (ax - cx) - (bx - cx) * (ay - cy);
    const double alpha = ((px - cx) * (by - cy) - (py - cy) * (bx - cx)) / det;
    const double beta = ((py - cy) * (ax - cx) - (px - cx) * (ay - cy)) / det;
    const double gamma = 1.0 - alpha - beta;

    const int* across = tri.neighbours + 3 * std::size_t(t);
    int next = -1;
    if (alpha < 0.0 && across[1] >= 0) {
      next = across[1];  // beyond edge 2, B -> C
    } else if (beta < 0.0 && across[2] >= 0) {
      next = across[2];  // beyond edge 3, C -> A
    } else if (gamma < 0.0 && across[0] >= 0) {
      next = across[0];  // beyond edge 1, A -> B
    }
    if (next < 0) {
      // Inside, or beyond a hull edge of t (extrapolated on t's plane). A NaN weight (a NaN or
      // infinite query coordinate) leaves no triangle to serve the point.
      if (std::isnan(alpha) || std::isnan(beta) || std::isnan(gamma)) return false;
      search_hint.store(t, std::memory_order_relaxed);
      *value = (beta * tri.z[v[1]] + alpha * tri.z[v[0]]) + gamma * tri.z[v[2]];
      return true;
    }
    // More steps than triangles: the walk is cycling, as on a triangulation that is not
    // counter-clockwise.
    if (next >= tri.triangle_count || ++steps > tri.triangle_count) return false;
    t = next;
  }
}

int interpolate(const Triangulation& tri, int ni, const double* xi, const double* yi, double* zi) {
  int status = 0;
  for (int i = 0; i < ni; ++i) {
    double value = kNoTriangle;
    if (tri.triangle_count <= 0 || !interpolate_point(tri, xi[i], yi[i], &value)) {
      value = kNoTriangle;
      status = 1;
    }
    zi[i] = value;
  }
  return status;
}

}  // namespace
}  // namespace quadrel

int import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
    int n, const double* x, const double* y, const double* z, const int* neighbours,
    const int* triangles, int triangle_count, int ni, const double* xi, const double* yi,
    double* zi) noexcept {
  const quadrel::Triangulation tri{n, {x, y, 1}, z, neighbours, triangles, triangle_count};
  return quadrel::interpolate(tri, ni, xi, yi, zi);
}

int import_mathfunction_2d_pwl_interpolation(int n, const double* x, const double* y,
                                             const double* z, int ni, const double* xi,
                                             const double* yi, double* zi) noexcept {
  if (n > quadrel::kMaxTrianglePoints) return -1;
  if (n < 1) return quadrel::kCollinearPoints + 1;

  const auto count = static_cast<std::size_t>(n);
  auto neighbours = quadrel::scratch<int>(6 * count + 1);
  auto triangles = quadrel::scratch<int>(6 * count + 1);
  auto xy = quadrel::scratch<double>(2 * count + 1);
  if (!neighbours || !triangles || !xy) return quadrel::kWorkStorageExhausted + 1;
  for (std::size_t i = 0; i < count; ++i) {
    xy[2 * i] = x[i];
    xy[2 * i + 1] = y[i];
  }
  int triangle_count = 0;
  const int status =
      quadrel::triangulate(n, xy.get(), neighbours.get(), triangles.get(), &triangle_count);
  if (status != 0) return status + 1;
  for (std::size_t i = 0; i < 3 * std::size_t(triangle_count); ++i) {
    if (neighbours[i] > 0) --neighbours[i];
  }
  const quadrel::Triangulation tri{
      n, {xy.get(), xy.get() + 1, 2}, z, neighbours.get(), triangles.get(), triangle_count};
  return quadrel::interpolate(tri, ni, xi, yi, zi);
}
