// Planar Delaunay triangulation: the core and the triangulation export.
//
// The points are sorted by x (ties by y) and inserted in that order, so that every new point
// lies outside the hull of the points before it. The first points that lie on one line form,
// with the first point off that line, a fan of triangles; each further point m sees a chain of
// hull edges (those with m on their right), found by walking the hull links from the edge
// that ends at the previous point. Joining m to every visible edge gives new triangles; each is
// pushed on a work stack, and Lawson's swaps restore the empty-circumcircle property: the edge
// opposite m in a stacked triangle is replaced by the other diagonal of its quadrilateral when
// the angles opposite it sum to more than pi.
//
// Storage, numbered from 1 inside the core: triangle t has vertices vertex(t, 1..3),
// counter-clockwise, and edge e runs from vertex e to vertex e + 1 (3 to 1). link(t, e) is the
// triangle across edge e, or for a hull edge -(3t' + e' - 1), which names the next hull edge
// (t', e') counter-clockwise. The hull links thus form one closed cycle.
//
// Every topological step (new triangles on a chain of hull edges, a diagonal swap) keeps the
// triangles a disk with symmetric links and three distinct vertices per triangle, whatever
// the arithmetic says. The walks below rely on that; the few guards catch only floating-point
// verdicts that contradict each other, and end the call with the work-storage status; a check
// of the finished mesh's structure catches what they miss.
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <utility>

#include "internal.h"
#include "quadrel.h"
#include "triangulation_core.h"

namespace quadrel {
namespace {

// Relative tolerance of the side test.
constexpr double kSideTolerance = 1e-16;
// 100 ulp of 1 (100 * 2^-52): tolerance of the distinctness and diagonal tests.
constexpr double kEps100 = 2.220446049250313e-14;

// The larger of a and b. The C library's fmax is not called: quadrel exports its own fmax with
// another NaN rule, and our calls would bind to it.
double larger(double a, double b) { return a > b ? a : b; }

int next_edge(int e) { return e == 3 ? 1 : e + 1; }
int prev_edge(int e) { return e == 1 ? 3 : e - 1; }

double max_abs(double a, double b, double c, double d) {
  return larger(larger(std::fabs(a), std::fabs(b)), larger(std::fabs(c), std::fabs(d)));
}

struct Edge {
  int t = 0;  // triangle, counted from 1; 0 for none
  int e = 0;  // edge 1, 2 or 3
};

bool same(Edge a, Edge b) { return a.t == b.t && a.e == b.e; }
int encode(Edge edge) { return -(3 * edge.t + edge.e - 1); }
Edge decode(int link) { return {-link / 3, -link % 3 + 1}; }

bool all_finite(std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Coordinate differences scaled by a power of two, for the tests below when their products
// overflow: differences d are replaced by d * 2^-k with the largest of them in [0.5, 1), so
// that no product of up to four of them overflows, and a product of degree j is compared
// with a tolerance of degree 1 scaled by 2^((1 - j) * k). Where nothing overflows unscaled,
// every verdict is the same: scaling by a power of two is exact but for differences below
// 2^-1022 of the largest, and those change no verdict. When a difference itself overflows,
// the coordinates are halved first.
class ScaledDifferences {
 public:
  // The differences of the pairs (to[i], from[i]), i < count (at most 4 pairs of points).
  ScaledDifferences(const double* const* to, const double* const* from, int count) {
    double largest = 0.0;
    for (int pass = 0; pass < 2; ++pass) {
      const double half = pass == 0 ? 1.0 : 0.5;
      largest = 0.0;
      for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 2; ++c) {
          d_[2 * i + c] = to[i][c] * half - from[i][c] * half;
          largest = larger(largest, std::fabs(d_[2 * i + c]));
        }
      }
      k_ = pass;
      if (std::isfinite(largest)) break;
    }
    int e = 0;
    std::frexp(largest, &e);
    for (int i = 0; i < 2 * count; ++i) d_[i] = std::ldexp(d_[i], -e);
    k_ += e;
  }

  double operator[](int i) const { return d_[i]; }
  // A tolerance of degree 1 for a term of the given degree in the scaled differences.
  double tolerance(double scaled, int degree) const {
    return std::ldexp(scaled, (1 - degree) * k_);
  }

 private:
  double d_[8];
  int k_ = 0;
};

// The diagonal test below on scaled differences, for coordinates whose products overflow.
bool replaces_diagonal_scaled(const double* p0, const double* p1, const double* p2,
                              const double* p3) {
  const double* to[] = {p1, p3, p1, p3};
  const double* from[] = {p0, p0, p2, p2};
  const ScaledDifferences d(to, from, 4);
  const double x10 = d[0], y10 = d[1], x30 = d[2], y30 = d[3];
  const double x12 = d[4], y12 = d[5], x32 = d[6], y32 = d[7];
  const double ta = kEps100 * max_abs(x10, y10, x30, y30);
  const double tb = kEps100 * max_abs(x12, y12, x32, y32);
  const double ca = x10 * x30 + y10 * y30;
  const double cb = x12 * x32 + y12 * y32;
  if (ca > d.tolerance(ta, 2) && cb > d.tolerance(tb, 2)) return false;
  if (ca < -d.tolerance(ta, 2) && cb < -d.tolerance(tb, 2)) return true;
  const double tm = larger(ta, tb);
  const double s = (x10 * y30 - x30 * y10) * cb + (x32 * y12 - x12 * y32) * ca;
  return s < -d.tolerance(tm, 4);
}

// The diagonal test where s or its tolerance is not finite: `verdict` stands for NaN or
// infinite coordinates, the scaled test decides for finite ones.
bool replaces_diagonal_overflowed(const double* p0, const double* p1, const double* p2,
                                  const double* p3, bool verdict) {
  if (!all_finite({p0[0], p0[1], p1[0], p1[1], p2[0], p2[1], p3[0], p3[1]})) return verdict;
  return replaces_diagonal_scaled(p0, p1, p2, p3);
}

// Diagonal test of the convex quadrilateral p0, p1, p2, p3 (counter-clockwise): true when the
// diagonal p0-p2 is to replace p1-p3. The angles at p0 and p2 sum to more than pi exactly when
// sin(angle0 + angle2) < 0; their cosines ca, cb decide the clear cases, and
// sin0 * cos2 + cos0 * sin2 (scaled by the side lengths) the rest. Cocircular points within the
// tolerance keep the existing diagonal. The products are of degree two and four in the
// coordinates. A clear verdict keeps the true sign where a product overflows to an infinity;
// where s or its tolerance is not finite, the test is repeated on scaled differences.
inline bool swap_wanted(const double* p0, const double* p1, const double* p2, const double* p3) {
  const double x10 = p1[0] - p0[0], y10 = p1[1] - p0[1];
  const double x30 = p3[0] - p0[0], y30 = p3[1] - p0[1];
  const double x12 = p1[0] - p2[0], y12 = p1[1] - p2[1];
  const double x32 = p3[0] - p2[0], y32 = p3[1] - p2[1];
  const double ta = kEps100 * max_abs(x10, y10, x30, y30);
  const double tb = kEps100 * max_abs(x12, y12, x32, y32);
  const double ca = x10 * x30 + y10 * y30;
  const double cb = x12 * x32 + y12 * y32;
  if (ca > ta && cb > tb) return false;
  if (ca < -ta && cb < -tb) return true;
  const double tm = larger(ta, tb);
  const double s = (x10 * y30 - x30 * y10) * cb + (x32 * y12 - x12 * y32) * ca;
  if (!(std::isfinite(s) && std::isfinite(tm))) [[unlikely]] {
    return replaces_diagonal_overflowed(p0, p1, p2, p3, s < -tm);
  }
  return s < -tm;
}

// The side test below where s or its tolerance is not finite: 0 for NaN or infinite
// coordinates, the test on scaled differences for finite ones.
int side_overflowed(const double* pa, const double* pb, const double* pp) {
  if (!all_finite({pa[0], pa[1], pb[0], pb[1], pp[0], pp[1]})) return 0;
  const double* to[] = {pb, pp};
  const double* from[] = {pa, pa};
  const ScaledDifferences d(to, from, 2);
  const double dx = d[0], dy = d[1], du = d[2], dv = d[3];
  const double s = dy * du - dx * dv;
  const double tolerance = d.tolerance(kSideTolerance * max_abs(dx, dy, du, dv), 2);
  return s > tolerance ? 1 : s < -tolerance ? -1 : 0;
}

// Heap sort of the points by x, ties by y, carrying the index array along: the heap sort of an
// index array that compares the points it names, done on the points themselves. Every
// comparison and move is the same, so is the order (ties included); but a comparison reads
// neighbouring memory instead of two points anywhere, and no permutation is needed afterwards.
// index starts as 0 .. n-1 and ends as the caller's index of each sorted position.
class PointSort {
 public:
  PointSort(double* xy, int* index) : xy_(xy), index_(index) {}

  void sort(std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) index_[i] = static_cast<int>(i);
    for (std::size_t root = n / 2; root-- > 0;) sift_down(root, n);
    for (std::size_t end = n; end-- > 1;) {
      const Entry top = at(0);
      put(0, at(end));
      put(end, top);
      sift_down(0, end);
    }
  }

 private:
  struct Entry {
    double x, y;
    int index;
  };

  static bool less(const Entry& a, const Entry& b) {
    if (a.x < b.x) return true;
    if (a.x > b.x) return false;
    return a.y < b.y;
  }
  Entry at(std::size_t i) const { return {xy_[2 * i], xy_[2 * i + 1], index_[i]}; }
  void put(std::size_t i, const Entry& e) {
    xy_[2 * i] = e.x;
    xy_[2 * i + 1] = e.y;
    index_[i] = e.index;
  }

  // Moves the point at root down while a child is larger, the larger child (the left one on a
  // tie) taking its place.
  void sift_down(std::size_t root, std::size_t size) {
    const Entry sifted = at(root);
    for (std::size_t child = 2 * root + 1; child < size; child = 2 * root + 1) {
      // The points two and three levels further down lie in one and two cache lines.
      if (8 * root + 11 < size) {
        __builtin_prefetch(xy_ + 2 * (4 * root + 3));
        __builtin_prefetch(xy_ + 2 * (8 * root + 7));
        __builtin_prefetch(xy_ + 2 * (8 * root + 11));
      }
      Entry larger = at(child);
      if (child + 1 < size) {
        const Entry right = at(child + 1);
        if (less(larger, right)) {
          larger = right;
          ++child;
        }
      }
      if (!less(sifted, larger)) break;
      put(root, larger);
      root = child;
    }
    put(root, sifted);
  }

  double* xy_;
  int* index_;
};

// Moves the point at position i back to position index[i], the caller's order.
void scatter_points(double* xy, int* index, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (index[i] < 0) continue;
    double x = xy[2 * i], y = xy[2 * i + 1];
    std::size_t j = i;
    for (;;) {
      const std::size_t k = static_cast<std::size_t>(index[j]);
      index[j] = ~index[j];
      std::swap(x, xy[2 * k]);
      std::swap(y, xy[2 * k + 1]);
      if (k == i) break;
      j = k;
    }
  }
  for (std::size_t i = 0; i < n; ++i) index[i] = ~index[i];
}

// The triangles under construction over the sorted points 1 .. n.
class Mesh {
 public:
  Mesh(int n, const double* xy, int* links, int* vertices, int* stack)
      : xy_(xy),
        links_(links),
        vertices_(vertices),
        stack_(stack),
        stack_capacity_(n),
        max_triangles_(2 * n - 5) {}

  int count() const { return count_; }

  // Side of point p relative to the directed line a -> b: +1 right, -1 left, 0 on the line
  // within the tolerance or undecidable (NaN).
  int side(int a, int b, int p) const {
    const double* pa = point(a);
    const double* pb = point(b);
    const double* pp = point(p);
    const double dx = pb[0] - pa[0], dy = pb[1] - pa[1];
    const double du = pp[0] - pa[0], dv = pp[1] - pa[1];
    const double s = dy * du - dx * dv;
    const double tolerance = kSideTolerance * max_abs(dx, dy, du, dv);
    if (s > tolerance) return 1;
    if (s < -tolerance) return -1;
    // An overflow to an infinity keeps the sign of a clear verdict; infinities that cancel
    // (NaN) or an infinite tolerance need the scaled test.
    if (!(std::isfinite(s) && std::isfinite(tolerance))) [[unlikely]] {
      return side_overflowed(pa, pb, pp);
    }
    return 0;
  }

  // The fan over the collinear points 1 .. apex - 1 and the point apex, which lies on side
  // `orientation` of the line 1 -> 2.
  void start_fan(int apex, int orientation) {
    const int last = apex - 2;
    count_ = last;
    for (int k = 1; k <= last; ++k) {
      if (orientation < 0) {
        // Boundary 1 -> 2 -> ... -> apex - 1 -> apex -> 1.
        set_triangle(k, k, k + 1, apex);
        link(k, 1) = k < last ? encode({k + 1, 1}) : encode({k, 2});
        link(k, 2) = k < last ? k + 1 : encode({1, 3});
        link(k, 3) = k > 1 ? k - 1 : encode({1, 1});
      } else {
        // Boundary 1 -> apex -> apex - 1 -> ... -> 2 -> 1.
        set_triangle(k, k + 1, k, apex);
        link(k, 1) = k > 1 ? encode({k - 1, 1}) : encode({1, 2});
        link(k, 2) = k > 1 ? k - 1 : encode({last, 3});
        link(k, 3) = k < last ? k + 1 : encode({last, 1});
      }
    }
    start_ = orientation < 0 ? Edge{last, 2} : Edge{1, 2};
  }

  // Inserts point m, which lies outside the current hull. False when the work storage ran out.
  bool insert(int m) {
    Edge left = start_;
    Edge right;
    if (side_of_edge(m, left) == 1) {
      right = left;
      if (!walk_back(m, right, &left)) return false;
    } else {
      right = decode(link(left));
    }
    for (;;) {
      const Edge next = decode(link(right));
      if (same(next, left) || side_of_edge(m, next) != 1) break;
      right = next;
    }

    // One new triangle on every visible edge, from the one after `left` to `right`.
    const int first = count_ + 1;
    Edge edge = decode(link(left));
    int right_link = 0;
    for (;;) {
      const int own_link = link(edge);
      if (count_ == max_triangles_) return false;
      ++count_;
      link(edge) = count_;
      set_triangle(count_, vertex(edge.t, next_edge(edge.e)), vertex(edge.t, edge.e), m);
      link(count_, 1) = edge.t;
      link(count_, 2) = count_ - 1;
      link(count_, 3) = count_ + 1;
      if (!push(count_)) return false;
      if (same(edge, right)) {
        right_link = own_link;
        break;
      }
      edge = decode(own_link);
    }
    const int last = count_;
    link(left) = encode({first, 2});
    link(first, 2) = encode({last, 3});
    link(last, 3) = right_link;
    start_ = {first, 2};
    left_ = left;
    return swap_edges(m);
  }

  // Whether the triangles form a triangulation of all n points as the header promises: three
  // distinct points per triangle, none clockwise by the side test, symmetric links across
  // every interior edge, hull links that join each hull edge's end to the next one's start in
  // one cycle through all h hull edges, every point a vertex, and 2n - h - 2 triangles.
  // Floating-point verdicts that contradict each other, as on NaN coordinates or on points
  // spread over many orders of magnitude, can break any of these. The work stack, empty now,
  // marks the points.
  bool well_formed(int n) {
    int* seen = stack_;
    for (int i = 0; i < n; ++i) seen[i] = 0;
    int hull = 0, interior = 0, linked_pairs = 0;
    Edge first;
    for (int t = 1; t <= count_; ++t) {
      const int a = vertex(t, 1), b = vertex(t, 2), c = vertex(t, 3);
      if (a < 1 || a > n || b < 1 || b > n || c < 1 || c > n) return false;
      if (a == b || b == c || c == a || side(a, b, c) == 1) return false;
      seen[a - 1] = seen[b - 1] = seen[c - 1] = 1;
      for (int e = 1; e <= 3; ++e) {
        const int from = vertex(t, e), to = vertex(t, next_edge(e));
        const int u = link(t, e);
        if (u > count_) return false;
        if (u > 0) {
          // Each pair of links is checked from its lower triangle; every link must be in one.
          ++interior;
          if (u < t) continue;
          bool linked_back = false;
          for (int f = 1; f <= 3; ++f) {
            linked_back |= link(u, f) == t && vertex(u, f) == to && vertex(u, next_edge(f)) == from;
          }
          if (!linked_back) return false;
          ++linked_pairs;
          continue;
        }
        const Edge next = decode(u);
        if (next.t < 1 || next.t > count_ || link(next) > 0) return false;
        if (vertex(next.t, next.e) != to) return false;
        ++hull;
        first = {t, e};
      }
    }
    for (int i = 0; i < n; ++i) {
      if (seen[i] == 0) return false;
    }
    if (interior != 2 * linked_pairs || count_ != 2 * n - hull - 2) return false;
    Edge edge = first;
    for (int i = 1; i <= hull; ++i) {
      edge = decode(link(edge));
      if (same(edge, first)) return i == hull;
    }
    return false;
  }

  // Replaces the sorted point numbers by the caller's 0-based indices.
  void renumber(const int* index) {
    for (std::size_t i = 0; i < 3 * std::size_t(count_); ++i) {
      vertices_[i] = index[vertices_[i] - 1];
    }
  }

 private:
  const double* point(int p) const { return xy_ + 2 * std::size_t(p - 1); }
  int& vertex(int t, int k) { return vertices_[3 * std::size_t(t - 1) + std::size_t(k - 1)]; }
  int& link(int t, int e) { return links_[3 * std::size_t(t - 1) + std::size_t(e - 1)]; }
  int& link(Edge edge) { return link(edge.t, edge.e); }

  void set_triangle(int t, int v1, int v2, int v3) {
    vertex(t, 1) = v1;
    vertex(t, 2) = v2;
    vertex(t, 3) = v3;
  }

  int side_of_edge(int p, Edge edge) {
    return side(vertex(edge.t, edge.e), vertex(edge.t, next_edge(edge.e)), p);
  }

  // The edge of triangle t that ends at its vertex v.
  int edge_ending_at(int t, int v) {
    if (vertex(t, 1) == v) return 3;
    if (vertex(t, 2) == v) return 1;
    return 2;
  }

  // Turns clockwise about vertex v, from an edge of *edge's triangle ending at v, through
  // interior edges to the hull edge ending at v.
  bool turn_to_hull(int v, Edge* edge) {
    for (int steps = 0; link(*edge) > 0; ++steps) {
      if (steps > count_) return false;
      const int t = link(*edge);
      *edge = {t, edge_ending_at(t, v)};
    }
    return true;
  }

  // From the visible hull edge `from`, walks clockwise along the hull to the first edge that
  // m does not see and stores it in *left.
  bool walk_back(int m, Edge from, Edge* left) {
    Edge edge = from;
    for (int steps = 0;; ++steps) {
      // More steps than hull edges: every edge claims to be visible.
      if (steps > count_ + 2) return false;
      const int b = vertex(edge.t, edge.e);
      edge.e = prev_edge(edge.e);
      if (!turn_to_hull(b, &edge)) return false;
      if (side(vertex(edge.t, edge.e), b, m) != 1) break;
    }
    *left = edge;
    return true;
  }

  bool push(int t) {
    if (stack_size_ >= stack_capacity_) return false;
    stack_[stack_size_++] = t;
    return true;
  }

  void replace_link(int t, int old_value, int new_value) {
    for (int e = 1; e <= 3; ++e) {
      if (link(t, e) == old_value) {
        link(t, e) = new_value;
        return;
      }
    }
  }

  // A hull edge has moved from slot `from` to slot `to`: the hull edge before it, which ends at
  // its first vertex v, must link to the new slot. That edge is found by turning about v from
  // the edge `around` of a triangle at v. When it is the hull edge before the new point's own
  // (left_), the turn is skipped: about an apex of a long fan it would cost the fan's length on
  // every swap.
  bool relink_hull_edge(Edge from, Edge to, int v, Edge around) {
    if (link(left_) == encode(from)) {
      link(left_) = encode(to);
      return true;
    }
    if (!turn_to_hull(v, &around)) return false;
    link(around) = encode(to);
    return true;
  }

  // Lawson's swaps for the new point m, one stacked triangle at a time.
  bool swap_edges(int m) {
    while (stack_size_ > 0) {
      const int t = stack_[--stack_size_];
      // Edge e of t lies opposite m and runs from a to b.
      const int e = vertex(t, 1) == m ? 2 : vertex(t, 2) == m ? 3 : 1;
      const int a = vertex(t, e);
      const int b = vertex(t, next_edge(e));
      const int u = link(t, e);
      if (u <= 0) continue;
      // Edge f of u runs from b to a; c is u's third vertex.
      const int f = link(u, 1) == t ? 1 : link(u, 2) == t ? 2 : 3;
      const int c = vertex(u, prev_edge(f));
      // c == m would fold two triangles onto each other; no real geometry produces it.
      if (c == m || !swap_wanted(point(m), point(a), point(c), point(b))) continue;

      // (m, a, b) and (b, a, c) become (m, a, c) and (b, m, c).
      const int e1 = next_edge(e), f1 = next_edge(f);
      vertex(t, e1) = c;
      vertex(u, f1) = m;
      const int r = link(t, e1);
      const int s = link(u, f1);
      link(t, e1) = u;
      link(u, f1) = t;
      link(t, e) = s;
      link(u, f) = r;
      if (link(u, prev_edge(f)) > 0) stack_[stack_size_++] = u;  // the slot just popped
      if (s > 0) {
        replace_link(s, u, t);
        if (!push(t)) return false;
      } else {
        // Edge a -> c moves from (u, f1) to (t, e).
        if (same(start_, {u, f1})) start_ = {t, e};
        if (same(left_, {u, f1})) left_ = {t, e};
        if (!relink_hull_edge({u, f1}, {t, e}, a, {t, prev_edge(e)})) return false;
      }
      if (r > 0) {
        replace_link(r, t, u);
      } else {
        // Edge b -> m moves from (t, e1) to (u, f).
        if (same(start_, {t, e1})) start_ = {u, f};
        if (same(left_, {t, e1})) left_ = {u, f};
        if (!relink_hull_edge({t, e1}, {u, f}, b, {u, prev_edge(f)})) return false;
      }
    }
    return true;
  }

  const double* xy_;
  int* links_;
  int* vertices_;
  int* stack_;
  int stack_capacity_;
  int stack_size_ = 0;
  int max_triangles_;
  int count_ = 0;
  Edge start_;  // the hull edge that ends at the point inserted last
  Edge left_;   // the hull edge before start_ while the point inserted last is swapped in
};

// The first sorted point that does not lie on the line through points 1 and 2 (0 if none).
int first_off_line(const Mesh& mesh, int n, int* orientation) {
  for (int m = 3; m <= n; ++m) {
    *orientation = mesh.side(1, 2, m);
    if (*orientation != 0) return m;
  }
  return 0;
}

// True when two neighbours in sorted order differ by more than the tolerance in x or y.
bool points_distinct(const double* xy, std::size_t n) {
  const auto apart = [](double a, double b) {
    return std::fabs(a - b) > kEps100 * (larger(std::fabs(a), std::fabs(b)) + 1.0);
  };
  for (std::size_t i = 1; i < n; ++i) {
    const double* p = xy + 2 * (i - 1);
    const double* q = xy + 2 * i;
    if (!apart(p[0], q[0]) && !apart(p[1], q[1])) return false;
  }
  return true;
}

}  // namespace

int triangulate(int n, double* xy, int* links, int* vertices, int* triangle_count) noexcept {
  if (n < 1) return kCollinearPoints;
  const auto count = static_cast<std::size_t>(n);
  auto index = scratch<int>(count);
  auto stack = scratch<int>(count);
  if (!index || !stack) {
    *triangle_count = 0;
    return kWorkStorageExhausted;
  }
  PointSort(xy, index.get()).sort(count);

  int status = 0;
  Mesh mesh(n, xy, links, vertices, stack.get());
  int orientation = 0;
  if (!points_distinct(xy, count)) {
    status = kCoincidentPoints;
  } else if (const int apex = first_off_line(mesh, n, &orientation); apex == 0) {
    status = kCollinearPoints;
  } else {
    mesh.start_fan(apex, orientation);
    for (int m = apex + 1; m <= n; ++m) {
      if (!mesh.insert(m)) {
        status = kWorkStorageExhausted;
        break;
      }
    }
    if (status == 0 && !mesh.well_formed(n)) status = kWorkStorageExhausted;
    if (status == 0) {
      mesh.renumber(index.get());
      *triangle_count = mesh.count();
    } else {
      *triangle_count = 0;
    }
  }
  scatter_points(xy, index.get(), count);
  return status;
}

bool replaces_diagonal(const double* p0, const double* p1, const double* p2,
                       const double* p3) noexcept {
  return swap_wanted(p0, p1, p2, p3);
}

}  // namespace quadrel

int import_mathfunction_2d_pwl_interpolation_part_1_triangulation(int n, const double* x,
                                                                  const double* y, int* neighbours,
                                                                  int* triangles,
                                                                  int* triangle_count,
                                                                  int row_length) noexcept {
  if (n > quadrel::kMaxTrianglePoints) return -1;
  if (row_length != 3) return -7;
  if (n < 1) return quadrel::kCollinearPoints + 1;

  const auto count = static_cast<std::size_t>(n);
  auto xy = quadrel::scratch<double>(2 * count);
  if (!xy) {
    *triangle_count = 0;
    return quadrel::kWorkStorageExhausted + 1;
  }
  for (std::size_t i = 0; i < count; ++i) {
    xy[2 * i] = x[i];
    xy[2 * i + 1] = y[i];
  }
  const int status = quadrel::triangulate(n, xy.get(), neighbours, triangles, triangle_count);
  if (status != 0) return status + 1;
  // Triangle numbers from 1 to the caller's 0-based indices; hull links stay as they are.
  for (std::size_t i = 0; i < 3 * std::size_t(*triangle_count); ++i) {
    if (neighbours[i] > 0) --neighbours[i];
  }
  return 0;
}
