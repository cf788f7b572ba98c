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
// A walk starts at the triangle where the last one ended (the search hint), and a query far
// from the last one walks across a good part of the mesh, one dependent memory read after the
// next. When the walks of a call prove long and enough queries remain to repay it, the call
// builds a grid of start triangles near every point, on a mesh where a walk from there
// provably ends where the walk from the hint would (see "Near starts" below).
#include <atomic>
#include <climits>
#include <cmath>
#include <cstddef>
#include <memory>

#include "detail/internal.h"
#include "detail/triangulation_core.h"
#include "quadrel.h"

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
// counter-clockwise), and on an index out of range. Inlined: for queries next to each other a
// call would cost about as much as the walk.
[[gnu::always_inline]] inline int walk(const Triangulation& tri, int t, double px, double py,
                                       WalkEnd* end) {
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
    // A walk that ends here serves the point unless a weight is NaN (as an infinite query
    // coordinate can make them, which the on-edge test, all infinite, lets through too).
    const int k = exit_edge(w, across);
    if (k < 0) {
      if (!any_nan(w)) *end = {t, w};
      return steps;
    }
    const int next = across[k];
    if (next == from && on_shared_edge(x, y, k, px, py)) {
      if (!any_nan(w)) *end = {t, w};
      return steps;
    }
    if (next >= count || ++steps > count) return steps;
    from = t;
    t = next;
  }
}

// Cell of coordinate v among `cells` cells of width 1 / scale from low; values outside (and
// NaN) go to the nearest end.
unsigned cell_of(double v, double low, double scale, unsigned cells) {
  const double at = (v - low) * scale;
  if (!(at > 0.0)) return 0;
  if (!(at < cells)) return cells - 1;
  return static_cast<unsigned>(at);
}

// Bounding box of the finite points.
struct Box {
  double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;

  Box(const Coordinates& points, int count) {
    for (int i = 0; i < count; ++i) {
      const double x = points.x_at(i), y = points.y_at(i);
      if (std::isfinite(x) && std::isfinite(y)) {
        low_x = x < low_x ? x : low_x;
        high_x = x > high_x ? x : high_x;
        low_y = y < low_y ? y : low_y;
        high_y = y > high_y ? y : high_y;
      }
    }
  }
  // Cells per unit length for `cells` cells across the box.
  double scale_x(unsigned cells) const { return high_x > low_x ? cells / (high_x - low_x) : 0.0; }
  double scale_y(unsigned cells) const { return high_y > low_y ? cells / (high_y - low_y) : 0.0; }
};

// Near starts.
//
// A query at random lies about sqrt(n) triangles from the last one found on scattered points,
// and about n / 4 on the fans of long thin triangles that points on a circle or a parabola
// give. A walk from a triangle near the query is short; it ends in the same triangle as the
// walk from the search hint, with the same weights, whenever that triangle is the only one a
// walk can end in:
//  - the mesh is a triangulation of a convex polygon: counter-clockwise triangles that are not
//    flat, each interior edge shared by two triangles that name each other, hull links (in
//    the encoding of the triangulation export) that join the hull edges into one cycle
//    turning left or straight and once around, and 2V - h - 2 triangles on V vertices and h
//    hull edges. A point then lies in one triangle only, and in none beyond the hull;
//  - every interior edge passes the triangulation's own swap test (the mesh is Delaunay as the
//    triangulation export makes it), so that walks do not cycle;
//  - the query lies inside the triangle found by more than any walk's rounding can move a
//    point: its distance from each edge exceeds twice the mesh's slack (below).
// Every other query (on or near an edge or vertex, beyond the hull, NaN), and every query on
// any other mesh, walks from the search hint as before.

// Relative size, against the products it is made of, below which a triangle's determinant
// counts as flat.
constexpr double kFlat = 1e-10;
// The slack of a triangle: by how far its weights may misplace a point, in units of
// 2^-52 * (longest edge)^2 / (shortest edge), with room to spare over the few roundings
// that the weights take.
constexpr double kSlackUlps = 64 * 2.220446049250313e-16;

struct Vertex {
  double x, y;
};

double squared_distance(Vertex a, Vertex b) {
  return (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
}

// The squared lengths of the longest and the shortest edge of triangle a, b, c.
struct EdgeLengths {
  double longest, shortest;

  EdgeLengths(Vertex a, Vertex b, Vertex c) {
    const double ab = squared_distance(a, b), bc = squared_distance(b, c),
                 ca = squared_distance(c, a);
    longest = ab > bc ? (ab > ca ? ab : ca) : (bc > ca ? bc : ca);
    shortest = ab < bc ? (ab < ca ? ab : ca) : (bc < ca ? bc : ca);
  }
};

class ConvexMesh {
 public:
  explicit ConvexMesh(const Triangulation& tri) : tri_(tri) {}

  // The mesh's slack when it is a triangulation of a convex polygon and locally Delaunay, as
  // above; -1 when it is not, or when memory is short. visit(t, a, b, c) sees each triangle
  // with its vertices once they passed their own checks, so that one pass over the mesh
  // serves the caller too.
  template <class Visit>
  double slack(Visit&& visit) const {
    const int count = tri_.triangle_count;
    auto used = scratch<unsigned char>(std::size_t(tri_.point_count));
    if (!used) return -1.0;
    int vertex_count = 0, hull = 0, first_hull = -1;
    long long links = 0, pairs = 0;  // interior links, and pairs of them checked
    double slack = 0.0, turning = 0.0, ratio = 0.0;
    // A block of triangles at a time: first their own checks, which queue the edges to check
    // against the triangle across (those of lower index), then those edges, so that no branch
    // depends on which edges are queued.
    Vertex corners[kBlock][3];
    int queue[3 * kBlock];
    for (int first = 0; first < count; first += kBlock) {
      const int last = count - first < kBlock ? count : first + kBlock;
      int queued = 0;
      for (int t = first; t < last; ++t) {
        const int* v = vertices(t);
        for (int k = 0; k < 3; ++k) {
          if (v[k] < 0 || v[k] >= tri_.point_count || v[k] == v[(k + 1) % 3]) return -1.0;
        }
        const Vertex a = at(v[0]), b = at(v[1]), c = at(v[2]);
        const double det = (b.y - c.y) * (a.x - c.x) - (b.x - c.x) * (a.y - c.y);
        const double size =
            std::fabs((b.y - c.y) * (a.x - c.x)) + std::fabs((b.x - c.x) * (a.y - c.y));
        if (!(det > kFlat * size) || !std::isfinite(size)) return -1.0;
        // The slack grows with longest^2 / shortest: its root is taken only where that ratio
        // comes within a factor of two of the largest so far.
        const EdgeLengths edges(a, b, c);
        if (edges.longest * edges.longest >= ratio * edges.shortest) {
          const double own = kSlackUlps * edges.longest / std::sqrt(edges.shortest);
          slack = own > slack ? own : slack;
          ratio = 0.5 * (slack / kSlackUlps) * (slack / kSlackUlps);
        }
        for (int k = 0; k < 3; ++k) {
          vertex_count += used[v[k]] ^ 1;
          used[v[k]] = 1;
        }
        visit(t, a, b, c);
        Vertex* corner = corners[t - first];
        corner[0] = a;
        corner[1] = b;
        corner[2] = c;
        for (int k = 0; k < 3; ++k) {
          const int u = neighbours(t)[k];
          queue[queued] = 3 * (t - first) + k;
          queued += static_cast<int>(u >= 0) & static_cast<int>(u < t);
          if (u >= 0) {
            ++links;
            continue;
          }
          double turn = 0.0;
          if (!hull_edge_sound(t, k, &turn)) return -1.0;
          turning += turn;
          ++hull;
          first_hull = 3 * t + k;
        }
      }
      for (int i = 0; i < queued; ++i) {
        const int local = queue[i] / 3, k = queue[i] % 3;
        if (!interior_edge_sound(first + local, k, corners[local])) return -1.0;
      }
      pairs += queued;
    }
    // Each pair checked joins two links, and no link belongs to two pairs: when the pairs
    // account for every link, every link is answered.
    if (links != 2 * pairs || count != 2 * vertex_count - hull - 2 ||
        !(std::fabs(turning - 2 * kPi) < kPi)) {
      return -1.0;
    }
    // One cycle through all hull edges.
    int edge = first_hull;
    for (int i = 1; i <= hull; ++i) {
      edge = next_hull_edge(edge);
      if (edge == first_hull) return i == hull ? slack : -1.0;
    }
    return -1.0;
  }

 private:
  static constexpr double kPi = 3.141592653589793;
  static constexpr int kBlock = 64;

  const int* vertices(int t) const { return tri_.vertices + 3 * std::size_t(t); }
  const int* neighbours(int t) const { return tri_.neighbours + 3 * std::size_t(t); }
  Vertex at(int i) const { return {tri_.points.x_at(i), tri_.points.y_at(i)}; }

  // Triangle u (of lower index than t, so its rows were read lately) names t back across the
  // same edge, reversed, and the swap test keeps the edge: each interior edge is checked
  // once. The swap test reads the same four points from either side.
  bool interior_edge_sound(int t, int k, const Vertex* corners) const {
    const int u = neighbours(t)[k];
    if (u >= tri_.triangle_count) return false;
    const int* v = vertices(t);
    const int a = v[k], b = v[(k + 1) % 3];
    // The edge of u that starts at b, chosen without a branch on it; u's own check finds a
    // vertex repeated in u.
    const int* w = vertices(u);
    const int j = w[0] == b ? 0 : w[1] == b ? 1 : 2;
    if (neighbours(u)[j] != t || w[j] != b || w[(j + 1) % 3] != a) return false;
    const int d = w[(j + 2) % 3];
    if (d < 0 || d >= tri_.point_count) return false;
    const Vertex pd = at(d);
    return !replaces_diagonal(&corners[(k + 2) % 3].x, &corners[k].x, &pd.x,
                              &corners[(k + 1) % 3].x);
  }

  // The hull edge after edge `edge` (3t + k), by its link -(3 (t' + 1) + k'); -1 for a link
  // that names no hull edge.
  int next_hull_edge(int edge) const {
    const long long link = -static_cast<long long>(tri_.neighbours[edge]);
    if (link < 3) return -1;
    const long long t = link / 3 - 1;
    const int k = static_cast<int>(link % 3);
    if (t >= tri_.triangle_count || neighbours(static_cast<int>(t))[k] >= 0) return -1;
    return static_cast<int>(3 * t + k);
  }

  // The hull link of edge k of t names a hull edge that starts where this one ends, and the
  // hull turns left or goes straight on there; *turn is the angle of the turn.
  bool hull_edge_sound(int t, int k, double* turn) const {
    const int next = next_hull_edge(3 * t + k);
    if (next < 0) return false;
    const int* v = vertices(t);
    const int* w = vertices(next / 3);
    const int j = next % 3;
    if (w[j] != v[(k + 1) % 3]) return false;
    const int c = w[(j + 1) % 3];
    if (c < 0 || c >= tri_.point_count) return false;
    const Vertex pa = at(v[k]), pb = at(v[(k + 1) % 3]), pc = at(c);
    const double ux = pb.x - pa.x, uy = pb.y - pa.y, wx = pc.x - pb.x, wy = pc.y - pb.y;
    const double cross = ux * wy - uy * wx;
    if (cross < -kFlat * (std::fabs(ux * wy) + std::fabs(uy * wx))) return false;
    *turn = std::atan2(cross, ux * wx + uy * wy);
    return true;
  }

  const Triangulation& tri_;
};

// True when P lies in the triangle where a walk ended by more than twice the slack from each
// of its edges: the distance from edge k is weight k * det / (length of edge k).
bool clearly_inside(const Triangulation& tri, const WalkEnd& end, double slack) {
  const Weights& w = end.weights;
  const double least = w.alpha < w.beta ? (w.alpha < w.gamma ? w.alpha : w.gamma)
                                        : (w.beta < w.gamma ? w.beta : w.gamma);
  if (!(least > 0.0)) return false;
  const int* v = tri.vertices + 3 * std::size_t(end.triangle);
  const Vertex a = {tri.points.x_at(v[0]), tri.points.y_at(v[0])};
  const Vertex b = {tri.points.x_at(v[1]), tri.points.y_at(v[1])};
  const Vertex c = {tri.points.x_at(v[2]), tri.points.y_at(v[2])};
  const double det = (b.y - c.y) * (a.x - c.x) - (b.x - c.x) * (a.y - c.y);
  return least * det > 2.0 * slack * std::sqrt(EdgeLengths(a, b, c).longest);
}

// A grid over the points' bounding box, about one cell per two triangles; each cell names a
// triangle that passes through it, or, when none was marked there, the triangle of the
// nearest marked cell in its row or column.
class StartGrid {
 public:
  // Sizes the grid for the mesh; false when memory is short.
  bool prepare(const Triangulation& tri) {
    const Box box(tri.points, tri.point_count);
    unsigned side = 1;
    while (2 * std::size_t(side) * side < std::size_t(tri.triangle_count)) ++side;
    cells_ = scratch<int>(std::size_t(side) * side, Fill::kNone);
    if (!cells_) return false;
    side_ = side;
    low_x_ = box.low_x;
    low_y_ = box.low_y;
    scale_x_ = box.scale_x(side);
    scale_y_ = box.scale_y(side);
    for (std::size_t c = 0; c < std::size_t(side) * side; ++c) cells_[c] = -1;
    return true;
  }

  // Triangle t marks the cell of its centroid and, along each edge that spans kLongEdge cells
  // or more, the cells at up to kEdgeMarks points: a long triangle, as fans have, reaches
  // cells along its whole length.
  void mark(int t, Vertex a, Vertex b, Vertex c) {
    cells_[cell((a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3)] = t;
    const Vertex corner[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
      const Vertex from = corner[k], to = corner[k == 2 ? 0 : k + 1];
      const double dx = to.x - from.x, dy = to.y - from.y;
      const double cells = std::fabs(dx) * scale_x_ + std::fabs(dy) * scale_y_;
      if (!(cells >= kLongEdge)) continue;
      const int marks = cells < kEdgeMarks ? static_cast<int>(cells) + 1 : kEdgeMarks;
      const double step = 1.0 / marks;
      for (int j = 0; j < marks; ++j) {
        cells_[cell(from.x + dx * (j * step), from.y + dy * (j * step))] = t;
      }
    }
  }

  // Once every triangle is marked: an empty cell takes the triangle of the nearest marked
  // cell in its row or its column. False when memory is short.
  bool finish() {
    const std::size_t total = std::size_t(side_) * side_;
    auto nearest = scratch<int>(total);  // distance, in cells, of the mark taken so far
    auto marks = scratch<int>(total);
    if (!nearest || !marks) return false;
    for (std::size_t c = 0; c < total; ++c) {
      marks[c] = cells_[c];
      nearest[c] = cells_[c] < 0 ? INT_MAX : 0;
    }
    // Four sweeps, along rows and columns in both directions, each carrying the last mark.
    for (int sweep = 0; sweep < 4; ++sweep) {
      const bool along_row = sweep < 2, forward = sweep % 2 == 0;
      for (unsigned line = 0; line < side_; ++line) {
        int mark = -1, distance = 0;
        for (unsigned i = 0; i < side_; ++i) {
          const unsigned at = forward ? i : side_ - 1 - i;
          const std::size_t c =
              along_row ? std::size_t(line) * side_ + at : std::size_t(at) * side_ + line;
          if (marks[c] >= 0) {
            mark = marks[c];
            distance = 0;
          } else if (mark >= 0 && ++distance < nearest[c]) {
            nearest[c] = distance;
            cells_[c] = mark;
          }
        }
      }
    }
    // A cell whose row and column hold no mark starts anywhere.
    for (std::size_t c = 0; c < total; ++c) cells_[c] = cells_[c] < 0 ? 0 : cells_[c];
    return true;
  }

  bool built() const { return cells_ != nullptr; }
  int start(double px, double py) const { return cells_[cell(px, py)]; }

 private:
  // An edge shorter than this, in cells, lies next to its triangle's centroid.
  static constexpr double kLongEdge = 4.0;
  static constexpr int kEdgeMarks = 32;

  std::size_t cell(double x, double y) const {
    return std::size_t(cell_of(y, low_y_, scale_y_, side_)) * side_ +
           cell_of(x, low_x_, scale_x_, side_);
  }

  std::unique_ptr<int[]> cells_;
  unsigned side_ = 0;
  double low_x_ = 0.0, low_y_ = 0.0, scale_x_ = 0.0, scale_y_ = 0.0;
};

// The walk from a near start when it provably ends where the walk from the search hint would,
// else no triangle. Kept out of line, so that the walk from the hint, which is all that
// queries next to each other need, stays inlined in the loop over the queries.
[[gnu::noinline]] WalkEnd near_walk(const Triangulation& tri, const StartGrid& grid, double slack,
                                    double px, double py) {
  WalkEnd end;
  walk(tri, grid.start(px, py), px, py, &end);
  if (end.triangle >= 0 && !clearly_inside(tri, end, slack)) end = WalkEnd();
  return end;
}

// Builds the grid in the same pass over the mesh that checks it; returns the slack, or -1
// with an empty grid when the mesh fails the check or memory is short.
double build_near_starts(const Triangulation& tri, StartGrid* grid) {
  double slack = -1.0;
  if (grid->prepare(tri)) {
    slack = ConvexMesh(tri).slack(
        [grid](int t, Vertex a, Vertex b, Vertex c) { grid->mark(t, a, b, c); });
  }
  if (slack < 0.0 || !grid->finish()) {
    *grid = StartGrid();
    return -1.0;
  }
  return slack;
}

// A walk from the search hint crosses about sqrt(triangles) of them to a query anywhere, one
// or two to a query next to the last one. Walks shorter than this on average are left as
// they are.
constexpr long long kLongWalk = 16;
// The cost of the near starts, a pass over the mesh that checks it and marks the grid, in
// steps of a walk per triangle: about one and a half, measured on scattered points.
constexpr long long kNearStartsCost = 2;

int interpolate(const Triangulation& tri, int ni, const double* xi, const double* yi, double* zi) {
  int status = QUADREL_SUCCESS;
  StartGrid grid;
  double slack = -1.0;
  bool starts_tried = false;
  long long steps = 0;  // of the walks from the search hint, from the second query on
  for (int i = 0; i < ni; ++i) {
    // A NaN or infinite coordinate lies in no triangle, whatever weights a walk would reach.
    if (!(std::isfinite(xi[i]) && std::isfinite(yi[i]))) {
      zi[i] = kNoTriangle;
      status = QUADREL_INTERP2D_UNSERVED;
      continue;
    }
    WalkEnd end = grid.built() ? near_walk(tri, grid, slack, xi[i], yi[i]) : WalkEnd();
    if (end.triangle < 0 && tri.triangle_count > 0) {
      steps += walk(tri, start_triangle(tri.triangle_count), xi[i], yi[i], &end);
    }
    if (end.triangle >= 0) {
      search_hint.store(end.triangle, std::memory_order_relaxed);
      const int* v = tri.vertices + 3 * std::size_t(end.triangle);
      const Weights& w = end.weights;
      zi[i] = (w.beta * tri.z[v[1]] + w.alpha * tri.z[v[0]]) + w.gamma * tri.z[v[2]];
    } else {
      zi[i] = kNoTriangle;
      status = QUADREL_INTERP2D_UNSERVED;
    }

    // The first walk starts where the last call left the hint; the next ones show how far
    // apart the queries lie. Once their length, over the queries that remain, would cost
    // more than the near starts, build them.
    if (i == 0) {
      steps = 0;
    } else if (!starts_tried && steps >= kLongWalk * i &&
               steps / i * (ni - 1 - i) >= kNearStartsCost * tri.triangle_count) {
      starts_tried = true;
      slack = build_near_starts(tri, &grid);
    }
  }
  return status;
}

}  // namespace
}  // namespace quadrel

extern "C" int import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
    int n, const double* x, const double* y, const double* z, const int* neighbours,
    const int* triangles, int triangle_count, int ni, const double* xi, const double* yi,
    double* zi) noexcept {
  const quadrel::Triangulation tri{n, {x, y, 1}, z, neighbours, triangles, triangle_count};
  return quadrel::interpolate(tri, ni, xi, yi, zi);
}

extern "C" int import_mathfunction_2d_pwl_interpolation(int n, const double* x, const double* y,
                                                        const double* z, int ni, const double* xi,
                                                        const double* yi, double* zi) noexcept {
  if (n > quadrel::kMaxTrianglePoints) return QUADREL_TRI_TOO_MANY;
  // Checked here as well, before the point count sizes the scratch arrays.
  if (n < 1) return QUADREL_TRI_COLLINEAR;

  const auto count = static_cast<std::size_t>(n);
  auto neighbours = quadrel::scratch<int>(6 * count);
  auto triangles = quadrel::scratch<int>(6 * count);
  if (!neighbours || !triangles) return QUADREL_TRI_DEGENERATE;
  int triangle_count = 0;
  std::unique_ptr<double[]> xy;
  const int status =
      quadrel::triangulate_points(n, x, y, neighbours.get(), triangles.get(), &triangle_count, &xy);
  if (status != QUADREL_SUCCESS) return status;
  const quadrel::Triangulation tri{
      n, {xy.get(), xy.get() + 1, 2}, z, neighbours.get(), triangles.get(), triangle_count};
  return quadrel::interpolate(tri, ni, xi, yi, zi);
}
