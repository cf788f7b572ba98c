// Planar Delaunay triangulation: the documented examples, rejected input, and the structural
// and empty-circumcircle properties on random and structured point sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "quadrel.h"

namespace {

// Sanitizer builds run the largest sets at a smaller size.
#if defined(__SANITIZE_THREAD__)
constexpr int kLargeSet = 10000;
constexpr int kGridSide = 60;
#else
constexpr int kLargeSet = 100000;
constexpr int kGridSide = 316;
#endif

constexpr int kGuard = -123456;  // fills output entries that must stay untouched

struct Points {
  std::vector<double> x, y;
  int size() const { return static_cast<int>(x.size()); }
  void add(double px, double py) {
    x.push_back(px);
    y.push_back(py);
  }
};

struct Result {
  int status = 0;
  int count = kGuard;
  std::vector<int> triangles, neighbours;  // 6n entries each, as the header suggests

  int vertex(int t, int k) const { return triangles[3 * t + k]; }
  int across(int t, int k) const { return neighbours[3 * t + k]; }
};

Result triangulate(const Points& p) {
  Result r;
  const std::size_t room = 6 * std::size_t(std::max(p.size(), 1));
  r.triangles.assign(room, kGuard);
  r.neighbours.assign(room, kGuard);
  r.status = import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
      p.size(), p.x.data(), p.y.data(), r.neighbours.data(), r.triangles.data(), &r.count, 3);
  return r;
}

long double orientation(const Points& p, int a, int b, int c) {
  const long double ax = p.x[a], ay = p.y[a];
  return (p.x[b] - ax) * (p.y[c] - ay) - (p.y[b] - ay) * (p.x[c] - ax);
}

// > 0 when d lies inside the circle through the counter-clockwise a, b, c, relative to the
// size of the terms (so that rounding in the inputs does not count).
long double incircle(const Points& p, int a, int b, int c, int d, long double* magnitude) {
  const long double ax = p.x[a] - (long double)p.x[d], ay = p.y[a] - (long double)p.y[d];
  const long double bx = p.x[b] - (long double)p.x[d], by = p.y[b] - (long double)p.y[d];
  const long double cx = p.x[c] - (long double)p.x[d], cy = p.y[c] - (long double)p.y[d];
  const long double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  *magnitude = a2 * std::fabs(bx * cy - by * cx) + b2 * std::fabs(ax * cy - ay * cx) +
               c2 * std::fabs(ax * by - ay * bx);
  return a2 * (bx * cy - by * cx) - b2 * (ax * cy - ay * cx) + c2 * (ax * by - ay * bx);
}

// sin(angle at m + angle at d) for the edge a -> b with m on its left and d on its right,
// scaled to the side lengths: negative when the angles opposite the edge sum to more than pi,
// that is when d lies inside the circle through a, b and m. Unlike the circle determinant it
// stays well conditioned for flat triangles.
long double angle_excess(const Points& p, int a, int b, int m, int d) {
  const long double u1x = p.x[a] - (long double)p.x[m], u1y = p.y[a] - (long double)p.y[m];
  const long double u2x = p.x[b] - (long double)p.x[m], u2y = p.y[b] - (long double)p.y[m];
  const long double w1x = p.x[b] - (long double)p.x[d], w1y = p.y[b] - (long double)p.y[d];
  const long double w2x = p.x[a] - (long double)p.x[d], w2y = p.y[a] - (long double)p.y[d];
  const long double sine = (u1x * u2y - u1y * u2x) * (w1x * w2x + w1y * w2y) +
                           (u1x * u2x + u1y * u2y) * (w1x * w2y - w1y * w2x);
  return sine / (std::hypot(u1x, u1y) * std::hypot(u2x, u2y) * std::hypot(w1x, w1y) *
                 std::hypot(w2x, w2y));
}

// Checks everything a valid Delaunay triangulation of distinct points satisfies. The
// empty-circumcircle test is local (each interior edge against the opposite vertex), which
// implies the global property; `global` adds the brute-force check on small sets. The points
// must be spread wider than about 1e-3: the swap test's tolerance is absolute.
enum class Check { kStructure, kLocal, kGlobal };

void expect_delaunay(const Points& p, const Result& r, Check check = Check::kLocal) {
  ASSERT_EQ(r.status, 0);
  const int n = p.size(), count = r.count;
  ASSERT_GE(count, 1);
  ASSERT_LE(count, 2 * n - 5 > 0 ? 2 * n - 5 : 1);
  for (std::size_t i = 3 * std::size_t(count); i < r.triangles.size(); ++i) {
    ASSERT_EQ(r.triangles[i], kGuard) << "written beyond the triangles at " << i;
    ASSERT_EQ(r.neighbours[i], kGuard) << "written beyond the neighbours at " << i;
  }

  std::vector<int> uses(n, 0);
  std::vector<std::pair<int, int>> hull_edges;  // (t, k)
  for (int t = 0; t < count; ++t) {
    for (int k = 0; k < 3; ++k) {
      ASSERT_GE(r.vertex(t, k), 0);
      ASSERT_LT(r.vertex(t, k), n);
      ++uses[r.vertex(t, k)];
    }
    ASSERT_GT(orientation(p, r.vertex(t, 0), r.vertex(t, 1), r.vertex(t, 2)), 0)
        << "triangle " << t << " is not counter-clockwise";
    for (int k = 0; k < 3; ++k) {
      const int a = r.vertex(t, k), b = r.vertex(t, (k + 1) % 3);
      const int u = r.across(t, k);
      if (u < 0) {
        hull_edges.emplace_back(t, k);
        continue;
      }
      ASSERT_LT(u, count);
      // u holds the same edge reversed and names t across it.
      int back = -1;
      for (int j = 0; j < 3; ++j) {
        if (r.vertex(u, j) == b && r.vertex(u, (j + 1) % 3) == a) back = j;
      }
      ASSERT_GE(back, 0) << "triangle " << u << " lacks the edge of triangle " << t;
      ASSERT_EQ(r.across(u, back), t);
      const int d = r.vertex(u, (back + 2) % 3);
      if (check == Check::kStructure) continue;
      ASSERT_GE(angle_excess(p, a, b, r.vertex(t, (k + 2) % 3), d), -1e-10L)
          << "point " << d << " inside the circle of triangle " << t;
    }
  }
  for (int i = 0; i < n; ++i) ASSERT_GT(uses[i], 0) << "point " << i << " is no vertex";

  // The hull links form one cycle through every hull edge, end to start.
  const int h = static_cast<int>(hull_edges.size());
  EXPECT_EQ(count, 2 * n - h - 2);
  std::map<std::pair<int, int>, bool> seen;
  std::pair<int, int> edge = hull_edges.front();
  for (int step = 0; step < h; ++step) {
    ASSERT_FALSE(seen[edge]) << "the hull cycle repeats an edge after " << step << " steps";
    seen[edge] = true;
    const int link = -r.across(edge.first, edge.second);
    const std::pair<int, int> next{link / 3 - 1, link % 3};
    ASSERT_GE(next.first, 0);
    ASSERT_LT(next.first, count);
    ASSERT_LT(r.across(next.first, next.second), 0) << "a link names an interior edge";
    ASSERT_EQ(r.vertex(edge.first, (edge.second + 1) % 3), r.vertex(next.first, next.second));
    // Never a right turn beyond rounding: the cycle is convex.
    const int a = r.vertex(edge.first, edge.second), b = r.vertex(next.first, next.second),
              c = r.vertex(next.first, (next.second + 1) % 3);
    ASSERT_GE(orientation(p, a, b, c), -1e-12L * std::hypot(p.x[b] - p.x[a], p.y[b] - p.y[a]) *
                                           std::hypot(p.x[c] - p.x[b], p.y[c] - p.y[b]));
    edge = next;
  }
  // A closed convex cycle around triangles that use every point: the convex hull.
  EXPECT_EQ(edge, hull_edges.front()) << "the hull cycle does not close";

  if (check != Check::kGlobal) return;
  for (int t = 0; t < count; ++t) {
    for (int d = 0; d < n; ++d) {
      long double magnitude = 0;
      const long double in =
          incircle(p, r.vertex(t, 0), r.vertex(t, 1), r.vertex(t, 2), d, &magnitude);
      ASSERT_LE(in, 1e-9L * magnitude) << "point " << d << " inside the circle of " << t;
    }
  }
}

Points from_pairs(std::initializer_list<std::pair<double, double>> pairs) {
  Points p;
  for (const auto& [px, py] : pairs) p.add(px, py);
  return p;
}

Points uniform(int n, unsigned seed, double scale = 1.0, double offset = 0.0) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Points p;
  for (int i = 0; i < n; ++i) p.add(offset + scale * u(rng), offset + scale * u(rng));
  return p;
}

Points grid(int nx, int ny, double angle = 0.0) {
  Points p;
  const double c = std::cos(angle), s = std::sin(angle);
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) p.add(c * i - s * j, s * i + c * j);
  }
  return p;
}

TEST(Triangulation, SingleTriangle) {
  const Result r = triangulate(from_pairs({{0, 0}, {1, 0}, {0, 1}}));
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(std::vector<int>(r.triangles.begin(), r.triangles.begin() + 3),
            (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(std::vector<int>(r.neighbours.begin(), r.neighbours.begin() + 3),
            (std::vector<int>{-4, -5, -3}));
}

TEST(Triangulation, CocircularSquareKeepsFirstDiagonal) {
  const Result r = triangulate(from_pairs({{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.count, 2);
  EXPECT_EQ(std::vector<int>(r.triangles.begin(), r.triangles.begin() + 6),
            (std::vector<int>{2, 0, 1, 2, 1, 3}));
  EXPECT_EQ(std::vector<int>(r.neighbours.begin(), r.neighbours.begin() + 6),
            (std::vector<int>{-4, -7, 1, 0, -8, -3}));
}

// Collinear starts of both orientations: the fan is built on either side of its first line,
// and the last point must see the collinear side through the hull links.
TEST(Triangulation, CollinearStartFans) {
  struct Case {
    std::string name;
    Points points;
    int count;
  };
  const Case cases[] = {
      {"apex right of the line", from_pairs({{0, 0}, {1, 1}, {2, 2}, {3, 0}, {3, 10}}), 5},
      {"apex left of the line", from_pairs({{0, 0}, {1, -1}, {2, -2}, {3, 0}, {3, -10}}), 5},
      {"vertical first column", from_pairs({{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1.5, 1.25}}), 3},
      {"long line then far point",
       from_pairs({{0, 0}, {1, 0.5}, {2, 1}, {3, 1.5}, {4, 2}, {5, 2.5}, {2.5, 7.25}, {6, -3}}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = triangulate(c.points);
    expect_delaunay(c.points, r, Check::kGlobal);
    if (c.count > 0) {
      EXPECT_EQ(r.count, c.count);
    }
  }
}

// The collinear start (0,0), (1,1), (2,2) with (3,0) right of it: a fan of two triangles,
// which (3,10) sees through the hull links along the collinear side.
TEST(Triangulation, CollinearStartExample) {
  const Result r = triangulate(from_pairs({{0, 0}, {1, 1}, {2, 2}, {3, 0}, {3, 10}}));
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.count, 5);
  EXPECT_EQ(std::vector<int>(r.triangles.begin(), r.triangles.begin() + 15),
            (std::vector<int>{1, 0, 3, 2, 1, 3, 2, 3, 4, 1, 2, 4, 0, 1, 4}));
  EXPECT_EQ(std::vector<int>(r.neighbours.begin(), r.neighbours.begin() + 15),
            (std::vector<int>{4, -10, 1, 3, 0, 2, 1, -17, 3, 1, 2, 4, 0, 3, -4}));
}

TEST(Triangulation, GridWithSharedFirstColumn) {
  const Points p = grid(7, 5);
  const Result r = triangulate(p);
  expect_delaunay(p, r, Check::kGlobal);
  EXPECT_EQ(r.count, 2 * (7 - 1) * (5 - 1));
}

// Rejected input: nothing is written on any of these.
TEST(Triangulation, RejectedInputWritesNothing) {
  struct Case {
    std::string name;
    Points points;
    int row_length;
    int status;
  };
  const Case cases[] = {
      {"no points", Points{}, 3, 226},
      {"one point", from_pairs({{2.385, 1.5}}), 3, 226},
      {"two points", from_pairs({{0, 0}, {1, 1}}), 3, 226},
      {"two equal points", from_pairs({{2.385, 1.5}, {2.385, 1.5}}), 3, 2},
      {"points on a line", from_pairs({{0, 0}, {3, 1.5}, {1, 0.5}, {2, 1}}), 3, 226},
      {"vertical line", from_pairs({{4, 0}, {4, 2.5}, {4, -7}}), 3, 226},
      {"duplicate among many", from_pairs({{0, 0}, {1, 0}, {0.25, 0.75}, {1, 0}, {0, 1}}), 3, 2},
      {"duplicate within tolerance", from_pairs({{0, 0}, {1, 0}, {0, 1}, {1 + 4e-14, 1e-14}}), 3,
       2},
      {"row length 4", from_pairs({{0, 0}, {1, 0}, {0, 1}}), 4, -7},
      {"row length 0", from_pairs({{0, 0}, {1, 0}, {0, 1}}), 0, -7},
      {"row length 4 and equal points", from_pairs({{1, 1}, {1, 1}, {0, 1}}), 4, -7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> triangles(18, kGuard), neighbours(18, kGuard);
    int count = kGuard;
    EXPECT_EQ(import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
                  c.points.size(), c.points.x.data(), c.points.y.data(), neighbours.data(),
                  triangles.data(), &count, c.row_length),
              c.status);
    EXPECT_EQ(count, kGuard);
    EXPECT_EQ(triangles, std::vector<int>(18, kGuard));
    EXPECT_EQ(neighbours, std::vector<int>(18, kGuard));
  }
  int count = kGuard;
  EXPECT_EQ(import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
                INT_MAX, nullptr, nullptr, nullptr, nullptr, &count, 3),
            -1);
  EXPECT_EQ(import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
                -4, nullptr, nullptr, nullptr, nullptr, &count, 3),
            226);
  EXPECT_EQ(count, kGuard);
}

// Distinct, but closer than the swap test resolves: a valid triangulation of all four points.
TEST(Triangulation, PointsJustApartAreDistinct) {
  const Points p = from_pairs({{0, 0}, {1, 0}, {0, 1}, {1 + 1e-13, 1e-13}});
  const Result r = triangulate(p);
  expect_delaunay(p, r, Check::kStructure);
  EXPECT_EQ(r.count, 2);
}

TEST(Triangulation, InputIsOnlyRead) {
  const Points p = uniform(500, 11);
  Points copy = p;
  triangulate(copy);
  EXPECT_EQ(copy.x, p.x);
  EXPECT_EQ(copy.y, p.y);
}

// NaN and infinite coordinates: never a crash, hang or write out of place; a success is a
// well-formed triangulation of every point, and a mesh that is not gives status 9.
TEST(Triangulation, NonFiniteCoordinatesStayContained) {
  const double nan = std::nan(""), inf = INFINITY;
  struct Case {
    std::string name;
    Points points;
  };
  std::vector<Case> cases = {
      {"all NaN", from_pairs({{nan, nan}, {nan, nan}, {nan, nan}})},
      {"NaN x first", from_pairs({{nan, 0}, {0, 0}, {1, 0}, {0, 1}})},
      {"NaN y", from_pairs({{0, nan}, {1, 0}, {0, 1}, {1, 1}})},
      {"infinity", from_pairs({{inf, 0}, {0, 0}, {1, 0}, {0, 1}})},
  };
  for (int where : {0, 17, 150, 299}) {
    Points p = uniform(300, 5 + where);
    p.x[where] = nan;
    cases.push_back({"NaN x at " + std::to_string(where), p});
    p.x[where] = 0.5;
    p.y[where] = nan;
    cases.push_back({"NaN y at " + std::to_string(where), p});
    p.x[where] = -inf;
    cases.push_back({"infinity at " + std::to_string(where), p});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = triangulate(c.points);
    const int n = c.points.size();
    if (r.status != 0) {
      EXPECT_TRUE(r.status == 2 || r.status == 9 || r.status == 226) << r.status;
      continue;
    }
    ASSERT_GE(r.count, 1);
    ASSERT_LE(r.count, 2 * n - 5);
    for (int t = 0; t < r.count; ++t) {
      for (int k = 0; k < 3; ++k) {
        ASSERT_GE(r.vertex(t, k), 0);
        ASSERT_LT(r.vertex(t, k), n);
        const int u = r.across(t, k);
        ASSERT_LT(u, r.count);
        if (u < 0) {
          ASSERT_LT(-u / 3 - 1, r.count);
        }
      }
    }
  }
}

// Side and swap verdicts that contradict each other, on a NaN or on points spread over many
// orders of magnitude, used to leave a broken mesh behind status 0.
TEST(Triangulation, BrokenResultsReportDegenerateData) {
  const double nan = std::nan("");
  struct Case {
    std::string name;
    Points points;
  };
  const Case cases[] = {
      {"magnitudes from 1e-18 to 1e27",
       from_pairs({{-1e12, -1e18}, {1e-16, 1e-3}, {-1000, 1e27}, {-1e-18, 1e6}, {-1, -10}})},
      {"one NaN abscissa among integers", from_pairs({{nan, -105},
                                                      {-374, -92},
                                                      {32, -249},
                                                      {-225, 454},
                                                      {-17, -144},
                                                      {-404, 248},
                                                      {-143, 280},
                                                      {455, 430}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = triangulate(c.points);
    EXPECT_EQ(r.status, 9);
    EXPECT_EQ(r.count, 0);
  }
}

// The side and swap tests' products of two and four coordinate differences overflow beyond
// about 1e154 and 1e77; scaled, the verdicts and so the mesh stay those of the unscaled points.
TEST(Triangulation, LargeCoordinatesGiveTheSameMesh) {
  const Points five = from_pairs({{17, -6}, {-23, -20}, {-6, 14}, {18, -1}, {16, -25}});
  const Points scattered = uniform(300, 13, 2.0, -1.0);
  struct Case {
    std::string name;
    const Points& points;
    double factor;
  };
  const Case cases[] = {
      {"five points by 1e76", five, 1e76},        {"five points by 2^300", five, 0x1p300},
      {"five points by 2^1000", five, 0x1p1000},  {"scattered by 2^260", scattered, 0x1p260},
      {"scattered by 2^600", scattered, 0x1p600}, {"scattered by 2^1020", scattered, 0x1p1020},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Points scaled = c.points;
    for (double& v : scaled.x) v *= c.factor;
    for (double& v : scaled.y) v *= c.factor;
    const Result expected = triangulate(c.points), r = triangulate(scaled);
    expect_delaunay(scaled, r, Check::kGlobal);
    EXPECT_EQ(r.triangles, expected.triangles);
    EXPECT_EQ(r.neighbours, expected.neighbours);
  }
}

TEST(Triangulation, RandomSetsAreDelaunay) {
  struct Case {
    std::string name;
    Points points;
    Check check;
  };
  const Case cases[] = {
      {"4 points", uniform(4, 1), Check::kGlobal},
      {"10 points", uniform(10, 2), Check::kGlobal},
      {"300 points", uniform(300, 3), Check::kGlobal},
      {"2000 points", uniform(2000, 4), Check::kLocal},
      {"large set", uniform(kLargeSet, 5), Check::kLocal},
      {"far from the origin", uniform(3000, 6, 100.0, 1e4), Check::kLocal},
      {"large magnitudes", uniform(3000, 7, 1e6, -5e5), Check::kLocal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_delaunay(c.points, triangulate(c.points), c.check);
  }
}

TEST(Triangulation, StructuredSetsAreDelaunay) {
  struct Case {
    std::string name;
    Points points;
    int count = 0;  // expected triangle count, when known
  };
  std::vector<Case> cases = {
      {"square grid", grid(kGridSide, kGridSide), 2 * (kGridSide - 1) * (kGridSide - 1)},
      {"flat grid", grid(200, 3), 2 * 199 * 2},
      {"tall grid", grid(3, 200), 2 * 2 * 199},
      {"rotated grid", grid(80, 70, 0.3)},
      {"grid rotated by 45 degrees", grid(40, 40, std::atan(1.0))},
  };
  {
    Points circle;  // every point on the hull and cocircular with every other
    for (int i = 0; i < 500; ++i) {
      circle.add(std::cos(0.0125664 * i) * 3.5, std::sin(0.0125664 * i) * 3.5);
    }
    cases.push_back({"circle", circle, 498});
  }
  {
    Points rings = grid(1, 1);  // the centre
    for (int ring = 1; ring <= 20; ++ring) {
      for (int i = 0; i < 40; ++i)
        rings.add(ring * std::cos(0.15708 * i), ring * std::sin(0.15708 * i));
    }
    cases.push_back({"concentric rings", rings});
  }
  {
    // Distinct points of a small lattice: many collinear and cocircular quadruples.
    std::mt19937 rng(9);
    std::vector<std::pair<int, int>> cells;
    for (int i = 0; i < 50; ++i) {
      for (int j = 0; j < 50; ++j) cells.emplace_back(i, j);
    }
    std::shuffle(cells.begin(), cells.end(), rng);
    Points lattice;
    for (int i = 0; i < 1200; ++i) lattice.add(cells[i].first, cells[i].second);
    cases.push_back({"lattice subset", lattice});
  }
  {
    Points parabola;  // in convex position, inserted along it
    for (int i = -300; i <= 300; ++i) parabola.add(i / 100.0, (i / 100.0) * (i / 100.0));
    cases.push_back({"parabola", parabola});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = triangulate(c.points);
    expect_delaunay(c.points, r);
    if (c.count > 0) {
      EXPECT_EQ(r.count, c.count);
    }
  }
}

}  // namespace
