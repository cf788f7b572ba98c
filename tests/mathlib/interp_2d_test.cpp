// Piecewise-linear interpolation in two variables: the documented examples, walk failures, and
// exact reproduction of linear functions inside and outside the hull.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "quadrel.h"

namespace {

#if defined(__SANITIZE_THREAD__)
constexpr int kLargeSet = 10000;
#else
constexpr int kLargeSet = 100000;
#endif

constexpr double kUntouched = 2.385e7;

struct Data {
  std::vector<double> x, y, z;
  int size() const { return static_cast<int>(x.size()); }
};

struct Queries {
  std::vector<double> x, y;
  int size() const { return static_cast<int>(x.size()); }
};

struct Mesh {
  std::vector<int> neighbours, triangles;
  int count = 0;
};

Mesh triangulate(const Data& d) {
  Mesh m;
  m.neighbours.resize(6 * std::size_t(d.size()));
  m.triangles.resize(6 * std::size_t(d.size()));
  EXPECT_EQ(
      import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
          d.size(), d.x.data(), d.y.data(), m.neighbours.data(), m.triangles.data(), &m.count, 3),
      QUADREL_SUCCESS);
  return m;
}

int interpolate(const Data& d, const Mesh& m, const Queries& q, std::vector<double>* zi) {
  zi->assign(q.x.size(), kUntouched);
  return import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
      d.size(), d.x.data(), d.y.data(), d.z.data(), m.neighbours.data(), m.triangles.data(),
      m.count, q.size(), q.x.data(), q.y.data(), zi->data());
}

int interpolate_once(const Data& d, const Queries& q, std::vector<double>* zi) {
  zi->assign(q.x.size(), kUntouched);
  return import_mathfunction_2d_pwl_interpolation(d.size(), d.x.data(), d.y.data(), d.z.data(),
                                                  q.size(), q.x.data(), q.y.data(), zi->data());
}

double linear(double x, double y) { return 2.385 - 1.75 * x + 0.625 * y; }

const Data kPlane = {{0, 0, 1}, {0, 1, 0}, {1, 3, 2}};  // z = 1 + x + 2y, given out of order

TEST(Interp2d, PlaneInsideAndOutside) {
  const Data d = {{0, 1, 0}, {0, 0, 1}, {1, 2, 3}};
  const Queries q = {{0.25, 1}, {0.25, 1}};
  std::vector<double> zi;
  EXPECT_EQ(interpolate(d, triangulate(d), q, &zi), QUADREL_SUCCESS);
  EXPECT_EQ(zi, (std::vector<double>{1.75, 4.0}));
  EXPECT_EQ(interpolate_once(d, q, &zi), QUADREL_SUCCESS);
  EXPECT_EQ(zi, (std::vector<double>{1.75, 4.0}));
}

TEST(Interp2d, VerticesGiveTheirValues) {
  Data d = {{0, 2.5, 0.75, 3.125, 1.5}, {0, 0.25, 2.0, 2.875, 1.25}, {}};
  d.z = {2.385, -7.25, 0.0625, 11.5, 3.75};
  const Queries q = {d.x, d.y};
  std::vector<double> zi;
  EXPECT_EQ(interpolate(d, triangulate(d), q, &zi), QUADREL_SUCCESS);
  EXPECT_EQ(zi, d.z);
  EXPECT_EQ(interpolate_once(d, q, &zi), QUADREL_SUCCESS);
  EXPECT_EQ(zi, d.z);
}

// The square's diagonal from (0,1) to (1,0) is kept, so the centre lies on it.
TEST(Interp2d, SquareCentreOnKeptDiagonal) {
  const Data d = {{0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 1}};
  const Queries q = {{0.5, 0.75}, {0.5, 0.75}};
  std::vector<double> zi;
  EXPECT_EQ(interpolate(d, triangulate(d), q, &zi), QUADREL_SUCCESS);
  EXPECT_EQ(zi, (std::vector<double>{0.0, 0.5}));
}

// A point no triangle serves gets -1.0 and makes the result QUADREL_INTERP2D_UNSERVED; the
// others are served.
TEST(Interp2d, UnservedPointsGetMinusOne) {
  const double nan = std::nan("");
  struct Case {
    std::string name;
    Queries queries;
    std::vector<double> values;
    int status;
  };
  const Case cases[] = {
      {"NaN x", {{nan}, {0.25}}, {-1.0}, QUADREL_INTERP2D_UNSERVED},
      {"NaN y", {{0.25}, {nan}}, {-1.0}, QUADREL_INTERP2D_UNSERVED},
      {"NaN among served points",
       {{0.25, nan, 0.5}, {0.25, 0.5, 0}},
       {1.75, -1.0, 1.5},
       QUADREL_INTERP2D_UNSERVED},
      {"infinity", {{INFINITY, 0.25}, {0.25, 0.25}}, {-1.0, 1.75}, QUADREL_INTERP2D_UNSERVED},
      {"no points", {{}, {}}, {}, QUADREL_SUCCESS},
  };
  const Mesh m = triangulate(kPlane);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> zi;
    EXPECT_EQ(interpolate(kPlane, m, c.queries, &zi), c.status);
    EXPECT_EQ(zi, c.values);
    EXPECT_EQ(interpolate_once(kPlane, c.queries, &zi), c.status);
    EXPECT_EQ(zi, c.values);
  }
}

// An infinite coordinate lies in no triangle, also where the walk's weights come out infinite
// but not NaN (beyond the hull of this mesh).
TEST(Interp2d, InfiniteCoordinatesAreUnserved) {
  const Data d = {{0, 2, 1, 0}, {0, 0, 1, 2}, {1, 2, 3, 4}};
  const Queries q = {{-INFINITY, 0.5, 0.5}, {0.5, 0.5, INFINITY}};
  const std::vector<double> expected = {-1.0, 2.0, -1.0};
  std::vector<double> zi;
  EXPECT_EQ(interpolate(d, triangulate(d), q, &zi), QUADREL_INTERP2D_UNSERVED);
  EXPECT_EQ(zi, expected);
  EXPECT_EQ(interpolate_once(d, q, &zi), QUADREL_INTERP2D_UNSERVED);
  EXPECT_EQ(zi, expected);
}

// Triangulations the second phase cannot walk: every query gets -1.0 and the result is 1,
// without reading outside the arrays.
TEST(Interp2d, BrokenTriangulationsFailTheWalk) {
  const Data d = {{0, 1, 0}, {0, 0, 1}, {1, 2, 3}};
  struct Case {
    std::string name;
    std::vector<int> neighbours, triangles;
    int count;
  };
  const Case cases[] = {
      {"no triangles", {}, {}, 0},
      {"negative count", {}, {}, -3},
      // Two copies of one triangle naming each other across every edge: a walk towards an
      // outside point moves back and forth until it exceeds the triangle count.
      {"cycling walk", {1, 1, 1, 0, 0, 0}, {0, 1, 2, 0, 1, 2}, 2},
      {"vertex out of range", {-3, -4, -5}, {0, 1, 3}, 1},
      {"negative vertex", {-3, -4, -5}, {0, -1, 2}, 1},
      {"neighbour out of range", {5, 5, 5}, {0, 1, 2}, 1},
  };
  const Queries q = {{2.5}, {2.5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> zi(1, kUntouched);
    EXPECT_EQ(import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
                  d.size(), d.x.data(), d.y.data(), d.z.data(), c.neighbours.data(),
                  c.triangles.data(), c.count, q.size(), q.x.data(), q.y.data(), zi.data()),
              QUADREL_INTERP2D_UNSERVED);
    EXPECT_EQ(zi[0], -1.0);
  }
}

// Points on an interior edge whose two triangles both round the point's weight for it
// slightly negative: the walk would bounce between them, and one of them serves the point.
// Mirrored data on the same mesh is clockwise with bit-identical weights: there the walk
// still fails.
TEST(Interp2d, PointsOnSharedEdgesAreServed) {
  const Data d = {{5, 2, -3, 0}, {-1, 2, 1, 1}, {4, 4, -2, 1}};  // z = x + y
  const Data mirrored = {{-5, -2, 3, 0}, d.y, d.z};
  const Queries q = {{-2.175, -1.5, -0.3}, {1, 1, 1}};
  const Mesh m = triangulate(d);
  std::vector<double> zi;
  EXPECT_EQ(interpolate_once(d, q, &zi), QUADREL_SUCCESS);
  for (int i = 0; i < q.size(); ++i) EXPECT_NEAR(zi[i], q.x[i] + 1, 1e-15) << i;
  EXPECT_EQ(interpolate(d, m, q, &zi), QUADREL_SUCCESS);
  for (int i = 0; i < q.size(); ++i) EXPECT_NEAR(zi[i], q.x[i] + 1, 1e-15) << i;
  EXPECT_EQ(interpolate(mirrored, m, Queries{{2.175}, {1}}, &zi), QUADREL_INTERP2D_UNSERVED);
  EXPECT_EQ(zi[0], -1.0);
}

// Gridded data meets queries on axis-parallel interior edges all the time: random integer
// meshes, and one that fuzzing found.
TEST(Interp2d, AxisParallelEdgesOfIntegerMeshes) {
  std::vector<Data> meshes;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> coordinate(-12, 12);
    Data d;
    for (int i = 0; i < 30; ++i) {
      const int px = coordinate(rng), py = coordinate(rng);
      bool repeated = false;
      for (int j = 0; j < d.size(); ++j) repeated |= d.x[j] == px && d.y[j] == py;
      if (repeated) continue;
      d.x.push_back(px);
      d.y.push_back(py);
    }
    meshes.push_back(d);
  }
  meshes.push_back({{26, 32, 96, 35, -110, 20}, {10, -68, -128, 0, 0, 0}, {}});
  for (Data& d : meshes) {
    SCOPED_TRACE(d.size());
    for (int i = 0; i < d.size(); ++i) d.z.push_back(linear(d.x[i], d.y[i]));
    const Mesh m = triangulate(d);
    Queries q;
    for (int t = 0; t < m.count; ++t) {
      for (int k = 0; k < 3; ++k) {
        const int a = m.triangles[3 * t + k], b = m.triangles[3 * t + (k + 1) % 3];
        if (m.neighbours[3 * t + k] < 0 || (d.x[a] != d.x[b] && d.y[a] != d.y[b])) continue;
        for (double f : {0.1, 0.375, 0.5, 0.725}) {
          q.x.push_back(d.x[a] + f * (d.x[b] - d.x[a]));
          q.y.push_back(d.y[a] + f * (d.y[b] - d.y[a]));
        }
      }
    }
    std::vector<double> zi;
    ASSERT_EQ(interpolate(d, m, q, &zi), QUADREL_SUCCESS);
    for (int i = 0; i < q.size(); ++i) ASSERT_NEAR(zi[i], linear(q.x[i], q.y[i]), 1e-13) << i;
  }
}

// A failed triangulation in the one-call export: its status, zi untouched, also for ni = 0.
TEST(Interp2d, OneCallReportsTriangulationFailures) {
  struct Case {
    std::string name;
    Data data;
    int status;
  };
  const Case cases[] = {
      {"duplicate point", {{0, 1, 0, 1}, {0, 0, 1, 0}, {1, 2, 3, 4}}, QUADREL_TRI_COINCIDENT},
      {"collinear points", {{0, 1, 2}, {0, 1, 2}, {1, 2, 3}}, QUADREL_TRI_COLLINEAR},
      {"two points", {{0, 1}, {0, 1}, {1, 2}}, QUADREL_TRI_COLLINEAR},
      {"no points", {{}, {}, {}}, QUADREL_TRI_COLLINEAR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Queries q = {{0.5, 0.25}, {0.25, 0.5}};
    std::vector<double> zi;
    EXPECT_EQ(interpolate_once(c.data, q, &zi), c.status);
    EXPECT_EQ(zi, std::vector<double>(2, kUntouched));
    EXPECT_EQ(interpolate_once(c.data, Queries{}, &zi), c.status);
  }
}

Data random_data(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Data d;
  for (int i = 0; i < n; ++i) {
    d.x.push_back(u(rng));
    d.y.push_back(u(rng));
    d.z.push_back(linear(d.x.back(), d.y.back()));
  }
  return d;
}

// Queries in random order and along rows, inside the hull and up to twice as far out.
Queries queries(int count, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  Queries q;
  for (int i = 0; i < count; ++i) {
    q.x.push_back(u(rng));
    q.y.push_back(u(rng));
  }
  for (int i = 0; i < 60; ++i) {
    for (int j = 0; j < 60; ++j) {
      q.x.push_back(-1.5 + 0.05 * j);
      q.y.push_back(-1.5 + 0.05 * i);
    }
  }
  return q;
}

TEST(Interp2d, ReproducesLinearFunctions) {
  for (int n : {3, 20, 2000, kLargeSet}) {
    SCOPED_TRACE(n);
    const Data d = random_data(n, 40 + n);
    const Mesh m = triangulate(d);
    const Queries q = queries(20000, 7 + n);
    std::vector<double> zi;
    ASSERT_EQ(interpolate(d, m, q, &zi), QUADREL_SUCCESS);
    for (int i = 0; i < q.size(); ++i) {
      // The hull of 2000 or more points covers [-0.9, 0.9]^2. Beyond the hull the plane of a
      // small boundary triangle is extended over up to a thousand times its size, which
      // multiplies the rounding errors.
      const bool inside = n >= 2000 && std::fabs(q.x[i]) < 0.9 && std::fabs(q.y[i]) < 0.9;
      const double tolerance = inside ? 1e-14 : 1e-8;
      ASSERT_NEAR(zi[i], linear(q.x[i], q.y[i]), tolerance) << "query " << i;
    }
  }
}

// The one-call export computes the same triangulation and walks; started from the same
// triangle (a first query strictly inside one triangle), both give identical values.
TEST(Interp2d, OneCallMatchesTwoPhases) {
  Data d = random_data(500, 3);
  for (int i = 0; i < d.size(); ++i) d.z[i] = std::sin(3 * d.x[i]) * std::cos(2 * d.y[i]);
  const Mesh m = triangulate(d);
  Queries q = queries(3000, 5);
  const int* v = m.triangles.data();
  q.x.insert(q.x.begin(), (d.x[v[0]] + d.x[v[1]] + d.x[v[2]]) / 3);
  q.y.insert(q.y.begin(), (d.y[v[0]] + d.y[v[1]] + d.y[v[2]]) / 3);
  std::vector<double> two_phase, one_call;
  ASSERT_EQ(interpolate(d, m, q, &two_phase), QUADREL_SUCCESS);
  ASSERT_EQ(interpolate_once(d, q, &one_call), QUADREL_SUCCESS);
  EXPECT_EQ(one_call, two_phase);
}

}  // namespace
