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
//
// A walk is a chain of dependent memory reads, one triangle after the next, and a query far
// from the last one walks across a good part of the mesh. Two layouts serve it, with the same
// walk and the same arithmetic on the same values, so they give the same results:
// - the caller's arrays, with the rows of the neighbours read ahead while a triangle's weights
//   are computed;
// - a packed copy built inside the call once the walks have proved long: one cache line per
//   triangle holds its vertex coordinates and its neighbours, and the triangles lie in the
//   order of a Hilbert curve through the plane, so that the triangles of a walk share pages
//   and cache lines. Building it costs about as much as walking over every triangle twice; it
//   is built only after the walks of the call have cost that much, while long walks continue.
#include <atomic>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

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

struct Weights {
  double alpha, beta, gamma;
};

Weights weights_at(double ax, double ay, double bx, double by, double cx, double cy, double px,
                   double py) {
  const double det = (by - cy) * (ax - cx) - (bx - cx) * (ay - cy);
  const double alpha = ((px - cx) * (by - cy) - (py - cy) * (bx - cx)) / det;
  const double beta = ((py - cy) * (ax - cx) - (px - cx) * (ay - cy)) / det;
  return {alpha, beta, 1.0 - alpha - beta};
}

// The edge to move across: the first negative weight, in the order alpha (edge 2, B -> C),
// beta (edge 3, C -> A), gamma (edge 1, A -> B), whose edge has a neighbour; its index k in
// the rows (edge k + 1). -1 when there is none: P is inside, beyond hull edges only, or the
// weights are NaN.
int exit_edge(const Weights& w, const int* across) {
  if (w.alpha < 0.0 && across[1] >= 0) return 1;
  if (w.beta < 0.0 && across[2] >= 0) return 2;
  if (w.gamma < 0.0 && across[0] >= 0) return 0;
  return -1;
}

// Relative tolerance of the on-edge test below, about 450 units in the last place: well above
// the rounding of the weights, which is what it has to absorb.
constexpr double kOnEdgeTolerance = 1e-13;

// A walk that would move straight back to the triangle it came from has found P on their
// shared edge: both triangles' weights put P just beyond it, by rounding. Decided here from
// the geometry of the edge k of a counter-clockwise triangle (x[i], y[i]): P lies on the line
// of the edge within rounding. A triangle that is not counter-clockwise never qualifies, so a
// walk on a mesh turned the wrong way still fails.
bool on_shared_edge(const double* x, const double* y, int k, double px, double py) {
  const double det = (y[1] - y[2]) * (x[0] - x[2]) - (x[1] - x[2]) * (y[0] - y[2]);
  if (!(det > 0.0)) return false;
  const int a = k, b = k == 2 ? 0 : k + 1;
  const double dx = x[b] - x[a], dy = y[b] - y[a];
  const double du = px - x[a], dv = py - y[a];
  const double side = dx * dv - dy * du;
  const double edge = std::fabs(dx) + std::fabs(dy);
  return std::fabs(side) <= kOnEdgeTolerance * edge * (edge + std::fabs(du) + std::fabs(dv));
}

bool any_nan(const Weights& w) {
  return std::isnan(w.alpha) || std::isnan(w.beta) || std::isnan(w.gamma);
}

// Where a walk stopped: the caller's index of the triangle and P's weights in it, or
// triangle = -1 when no triangle serves the point.
struct WalkEnd {
  int triangle = -1;
  Weights weights{};
};

// The first triangle of a walk, in the caller's numbering.
int start_triangle(int triangle_count) {
  const int hint = search_hint.load(std::memory_order_relaxed);
  return (hint >= 0 && hint < triangle_count) ? hint : (triangle_count + 1) / 2 - 1;
}

// The walk on the caller's arrays; returns the number of steps taken. It fails on NaN
// weights, after more steps than triangles (a cycle, as on a triangulation that is not
// counter-clockwise), and on an index out of range.
int walk(const Triangulation& tri, int t, double px, double py, WalkEnd* end) {
  const int count = tri.triangle_count;
  for (int steps = 0, from = -1;;) {
    const int* v = tri.vertices + 3 * std::size_t(t);
    const int* across = tri.neighbours + 3 * std::size_t(t);
    for (int k = 0; k < 3; ++k) {
      const int u = across[k];
      if (u >= 0 && u < count) {
        __builtin_prefetch(tri.vertices + 3 * std::size_t(u));
        __builtin_prefetch(tri.neighbours + 3 * std::size_t(u));
      }
    }
    for (int k = 0; k < 3; ++k) {
      if (v[k] < 0 || v[k] >= tri.point_count) return steps;
    }
    const double x[3] = {tri.points.x_at(v[0]), tri.points.x_at(v[1]), tri.points.x_at(v[2])};
    const double y[3] = {tri.points.y_at(v[0]), tri.points.y_at(v[1]), tri.points.y_at(v[2])};
    const Weights w = weights_at(x[0], y[0], x[1], y[1], x[2], y[2], px, py);
    const int k = exit_edge(w, across);
    if (k < 0) {
      if (!any_nan(w)) *end = {t, w};
      return steps;
    }
    const int next = across[k];
    if (next == from && on_shared_edge(x, y, k, px, py)) {
      *end = {t, w};
      return steps;
    }
    if (next >= count || ++steps > count) return steps;
    from = t;
    t = next;
  }
}

// One triangle of the packed copy: a cache line.
struct alignas(64) PackedTriangle {
  double x[3], y[3];  // vertices A, B, C
  int across[3];      // neighbours as positions in the copy; -1 on the hull; the triangle count
                      // for an entry beyond the triangles
  int triangle;       // the caller's index; -1 when a vertex index is out of range
};
static_assert(sizeof(PackedTriangle) == 64);

// Hilbert-curve index of cell (i, j) in a 2^bits x 2^bits grid: consecutive indices are
// neighbouring cells.
unsigned hilbert_index(unsigned i, unsigned j, int bits) {
  unsigned index = 0;
  for (unsigned half = 1u << (bits - 1); half > 0; half >>= 1) {
    const unsigned right = (i & half) ? 1 : 0;
    const unsigned up = (j & half) ? 1 : 0;
    index += half * half * ((3 * right) ^ up);
    if (up == 0) {
      if (right == 1) {
        i = half - 1 - i;
        j = half - 1 - j;
      }
      const unsigned swap = i;
      i = j;
      j = swap;
    }
  }
  return index;
}

// Cell of coordinate v among `cells` cells of width 1 / scale from low; values outside (and
// NaN) go to the nearest end.
unsigned cell_of(double v, double low, double scale, unsigned cells) {
  const double at = (v - low) * scale;
  if (!(at > 0.0)) return 0;
  if (!(at < cells)) return cells - 1;
  return static_cast<unsigned>(at);
}

class PackedMesh {
 public:
  // Copies the triangulation; false when memory is short (the caller keeps walking on its own
  // arrays).
  bool build(const Triangulation& tri) {
    const int count = tri.triangle_count;
    const auto size = static_cast<std::size_t>(count);
    // Four to sixteen triangles per cell.
    int bits = 1;
    while ((std::size_t{16} << (2 * bits)) < size) ++bits;
    const unsigned cells = 1u << bits;
    triangles_.reset(new (std::nothrow) PackedTriangle[size]);
    position_ = scratch<int>(size);
    auto first = scratch<int>(std::size_t(cells) * cells + 1);
    if (!triangles_ || !position_ || !first) return false;

    // Bounding box of the finite points.
    double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
    for (int i = 0; i < tri.point_count; ++i) {
      const double x = tri.points.x_at(i), y = tri.points.y_at(i);
      if (std::isfinite(x) && std::isfinite(y)) {
        low_x = x < low_x ? x : low_x;
        high_x = x > high_x ? x : high_x;
        low_y = y < low_y ? y : low_y;
        high_y = y > high_y ? y : high_y;
      }
    }
    const double scale_x = high_x > low_x ? cells / (high_x - low_x) : 0.0;
    const double scale_y = high_y > low_y ? cells / (high_y - low_y) : 0.0;

    // Counting sort by the Hilbert index of the cell of vertex A; position_ first holds the
    // cell, then the place in the copy.
    const auto valid = [&](const int* v) {
      for (int k = 0; k < 3; ++k) {
        if (v[k] < 0 || v[k] >= tri.point_count) return false;
      }
      return true;
    };
    for (int t = 0; t < count; ++t) {
      const int* v = tri.vertices + 3 * std::size_t(t);
      unsigned cell = 0;
      if (valid(v)) {
        cell = hilbert_index(cell_of(tri.points.x_at(v[0]), low_x, scale_x, cells),
                             cell_of(tri.points.y_at(v[0]), low_y, scale_y, cells), bits);
      }
      position_[t] = static_cast<int>(cell);
      ++first[cell + 1];
    }
    for (std::size_t c = 0; c < std::size_t(cells) * cells; ++c) first[c + 1] += first[c];
    for (int t = 0; t < count; ++t) position_[t] = first[position_[t]]++;

    for (int t = 0; t < count; ++t) {
      const int* v = tri.vertices + 3 * std::size_t(t);
      const int* across = tri.neighbours + 3 * std::size_t(t);
      PackedTriangle& p = triangles_[position_[t]];
      const bool usable = valid(v);
      for (int k = 0; k < 3; ++k) {
        p.x[k] = usable ? tri.points.x_at(v[k]) : 0.0;
        p.y[k] = usable ? tri.points.y_at(v[k]) : 0.0;
        const int u = across[k];
        p.across[k] = u < 0 ? -1 : u < count ? position_[u] : count;
      }
      p.triangle = usable ? t : -1;
    }
    count_ = count;
    return true;
  }

  bool built() const { return count_ > 0; }

  // The walk of walk() on the copy: the same moves and weights, hence the same end. t is the
  // caller's index of the first triangle.
  int walk(int t, double px, double py, WalkEnd* end) const {
    t = position_[t];
    for (int steps = 0, from = -1;;) {
      const PackedTriangle& p = triangles_[t];
      for (int k = 0; k < 3; ++k) {
        const int u = p.across[k];
        if (u >= 0 && u < count_) __builtin_prefetch(&triangles_[u]);
      }
      if (p.triangle < 0) return steps;
      const Weights w = weights_at(p.x[0], p.y[0], p.x[1], p.y[1], p.x[2], p.y[2], px, py);
      const int k = exit_edge(w, p.across);
      if (k < 0) {
        if (!any_nan(w)) *end = {p.triangle, w};
        return steps;
      }
      const int next = p.across[k];
      if (next == from && on_shared_edge(p.x, p.y, k, px, py)) {
        *end = {p.triangle, w};
        return steps;
      }
      if (next >= count_ || ++steps > count_) return steps;
      from = t;
      t = next;
    }
  }

 private:
  std::unique_ptr<PackedTriangle[]> triangles_;
  std::unique_ptr<int[]> position_;  // the copy's position of each caller's triangle
  int count_ = 0;
};

// Walks shorter than this on average gain nothing from the packed copy: their triangles are
// in cache already.
constexpr long long kLongWalk = 16;
// Meshes smaller than this fit the caches as they are.
constexpr int kPackedMinimum = 4096;

int interpolate(const Triangulation& tri, int ni, const double* xi, const double* yi, double* zi) {
  int status = 0;
  PackedMesh packed;
  bool packing_tried = tri.triangle_count < kPackedMinimum;
  long long steps = 0;
  for (int i = 0; i < ni; ++i) {
    WalkEnd end;
    if (tri.triangle_count > 0) {
      const int start = start_triangle(tri.triangle_count);
      steps += packed.built() ? packed.walk(start, xi[i], yi[i], &end)
                              : walk(tri, start, xi[i], yi[i], &end);
    }
    if (end.triangle >= 0) {
      search_hint.store(end.triangle, std::memory_order_relaxed);
      const int* v = tri.vertices + 3 * std::size_t(end.triangle);
      const Weights& w = end.weights;
      zi[i] = (w.beta * tri.z[v[1]] + w.alpha * tri.z[v[0]]) + w.gamma * tri.z[v[2]];
    } else {
      zi[i] = kNoTriangle;
      status = 1;
    }

    // Pack once the walks so far have cost about two builds, if they are long and enough of
    // them remain to repay it.
    const long long count = tri.triangle_count, done = i + 1;
    if (!packing_tried && steps >= 2 * count && steps >= kLongWalk * done &&
        steps / done * (ni - done) >= count) {
      packing_tried = true;
      if (!packed.build(tri)) packed = PackedMesh();
    }
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
