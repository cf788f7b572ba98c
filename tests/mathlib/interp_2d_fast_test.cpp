// Two-dimensional interpolation against a literal transcription of the walk on the caller's
// arrays, with its own copy of the process-wide search hint: long random-order walks (which
// make the library, on sound meshes, start walks near each query) on scattered points and on
// the fans of points on a circle or a parabola,
// grid-order walks, queries on vertices and edges, outside the hull, NaN and infinite, and
// meshes with broken entries, all bit for bit and call after call.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "quadrel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Data {
  std::vector<double> x, y, z;
  int size() const { return static_cast<int>(x.size()); }
};

struct Mesh {
  std::vector<int> neighbours, triangles;
  int count = 0;
};

struct Queries {
  std::vector<double> x, y;
  int size() const { return static_cast<int>(x.size()); }
};

// The reference's copy of the search hint. Every call of the library in this program is
// mirrored by a call of the reference, so the two hints stay equal.
int g_reference_hint = -1;

// The plain walk, on the caller's arrays: false when no triangle serves the point.
bool reference_point(const Data& d, const Mesh& m, double px, double py, double* value) {
  const int count = m.count;
  int t = g_reference_hint;
  if (t < 0 || t >= count) t = (count + 1) / 2 - 1;
  for (int steps = 0, from = -1;;) {
    const int* v = &m.triangles[3 * std::size_t(t)];
    for (int k = 0; k < 3; ++k) {
      if (v[k] < 0 || v[k] >= d.size()) return false;
    }
    const double ax = d.x[v[0]], ay = d.y[v[0]];
    const double bx = d.x[v[1]], by = d.y[v[1]];
    const double cx = d.x[v[2]], cy = d.y[v[2]];
    const double det = (by - cy) * (ax - cx) - (bx - cx) * (ay - cy);
    const double alpha = ((px - cx) * (by - cy) - (py - cy) * (bx - cx)) / det;
    const double beta = ((py - cy) * (ax - cx) - (px - cx) * (ay - cy)) / det;
    const double gamma = 1.0 - alpha - beta;
    const int* across = &m.neighbours[3 * std::size_t(t)];
    int k = -1;
    if (alpha < 0.0 && across[1] >= 0) {
      k = 1;
    } else if (beta < 0.0 && across[2] >= 0) {
      k = 2;
    } else if (gamma < 0.0 && across[0] >= 0) {
      k = 0;
    }
    // Straight back to the previous triangle: P on their shared edge k (from vertex k to
    // vertex k + 1) of a counter-clockwise triangle is served here.
    bool on_edge = false;
    if (k >= 0 && across[k] == from && det > 0.0) {
      const int a = v[k], b = v[(k + 1) % 3];
      const double dx = d.x[b] - d.x[a], dy = d.y[b] - d.y[a];
      const double du = px - d.x[a], dv = py - d.y[a];
      const double edge = std::fabs(dx) + std::fabs(dy);
      on_edge =
          std::fabs(dx * dv - dy * du) <= 1e-13 * edge * (edge + std::fabs(du) + std::fabs(dv));
    }
    if (k < 0 || on_edge) {
      if (std::isnan(alpha) || std::isnan(beta) || std::isnan(gamma)) return false;
      g_reference_hint = t;
      *value = (beta * d.z[v[1]] + alpha * d.z[v[0]]) + gamma * d.z[v[2]];
      return true;
    }
    const int next = across[k];
    if (next >= count || ++steps > count) return false;
    from = t;
    t = next;
  }
}

int reference(const Data& d, const Mesh& m, const Queries& q, std::vector<double>* zi) {
  int status = QUADREL_SUCCESS;
  zi->assign(q.x.size(), 0.0);
  for (int i = 0; i < q.size(); ++i) {
    double value = -1.0;
    const bool finite = std::isfinite(q.x[i]) && std::isfinite(q.y[i]);
    if (m.count <= 0 || !finite || !reference_point(d, m, q.x[i], q.y[i], &value)) {
      value = -1.0;
      status = QUADREL_INTERP2D_UNSERVED;
    }
    (*zi)[i] = value;
  }
  return status;
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::bit_cast<std::uint64_t>(a[i]) != std::bit_cast<std::uint64_t>(b[i])) return false;
  }
  return true;
}

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

// Runs the two-phase export and the reference on the same queries and compares.
void expect_same(const Data& d, const Mesh& m, const Queries& q) {
  std::vector<double> expected, actual(q.x.size(), 2.385);
  const int expected_status = reference(d, m, q, &expected);
  const int status = import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
      d.size(), d.x.data(), d.y.data(), d.z.data(), m.neighbours.data(), m.triangles.data(),
      m.count, q.size(), q.x.data(), q.y.data(), actual.data());
  EXPECT_EQ(status, expected_status);
  EXPECT_TRUE(same_bits(actual, expected));
}

Data uniform_data(int n, unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0), value(-2.0, 3.0);
  Data d;
  for (int i = 0; i < n; ++i) {
    d.x.push_back(unit(random));
    d.y.push_back(unit(random));
    d.z.push_back(value(random));
  }
  return d;
}

// Exactly representable grid points (every four of a cell cocircular) in shuffled order.
Data grid_data(int side, unsigned seed) {
  std::mt19937_64 random(seed);
  Data d;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      d.x.push_back(0.125 * i);
      d.y.push_back(0.125 * j);
      d.z.push_back(std::uniform_real_distribution<double>(-2.0, 3.0)(random));
    }
  }
  for (int i = d.size() - 1; i > 0; --i) {
    const int j = static_cast<int>(random() % (i + 1));
    std::swap(d.x[i], d.x[j]);
    std::swap(d.y[i], d.y[j]);
    std::swap(d.z[i], d.z[j]);
  }
  return d;
}

// Points on a circle or a parabola, in convex position: the triangulation is a fan of long
// thin triangles, across which walks from the last triangle found are long.
Data curve_data(int n, bool parabola, unsigned seed) {
  std::mt19937_64 random(seed);
  Data d;
  for (int i = 0; i < n; ++i) {
    const double t = -1.0 + 2.0 * i / (n - 1);
    d.x.push_back(parabola ? t : std::cos(3.14159 * t));
    d.y.push_back(parabola ? t * t : std::sin(3.14159 * t));
    d.z.push_back(std::uniform_real_distribution<double>(-2.0, 3.0)(random));
  }
  return d;
}

// Random points over the data's box and beyond, mixed with vertices, edge midpoints (on or next
// to a shared edge), exact repeats, NaN and infinite coordinates.
Queries random_queries(const Data& d, const Mesh& m, int count, unsigned seed) {
  std::mt19937_64 random(seed);
  double low_x = d.x[0], high_x = d.x[0], low_y = d.y[0], high_y = d.y[0];
  for (int i = 0; i < d.size(); ++i) {
    low_x = std::fmin(low_x, d.x[i]);
    high_x = std::fmax(high_x, d.x[i]);
    low_y = std::fmin(low_y, d.y[i]);
    high_y = std::fmax(high_y, d.y[i]);
  }
  const double wide_x = high_x - low_x, wide_y = high_y - low_y;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Queries q;
  for (int i = 0; i < count; ++i) {
    double px = low_x + (1.6 * unit(random) - 0.3) * wide_x;
    double py = low_y + (1.6 * unit(random) - 0.3) * wide_y;
    switch (random() % 16) {
      case 0: {
        const int p = static_cast<int>(random() % d.size());
        px = d.x[p];
        py = d.y[p];
        break;
      }
      case 1:
      case 2: {
        const int t = static_cast<int>(random() % m.count);
        const int k = static_cast<int>(random() % 3);
        const int a = m.triangles[3 * t + k], b = m.triangles[3 * t + (k + 1) % 3];
        if (a >= 0 && a < d.size() && b >= 0 && b < d.size()) {
          px = (d.x[a] + d.x[b]) / 2;
          py = (d.y[a] + d.y[b]) / 2;
        }
        break;
      }
      case 3:
        if (i > 0) {
          px = q.x[i - 1];
          py = q.y[i - 1];
        }
        break;
      case 4: {
        const double specials[] = {kNaN, kInf, -kInf};
        (random() % 2 == 0 ? px : py) = specials[random() % 3];
        break;
      }
      default:
        break;
    }
    q.x.push_back(px);
    q.y.push_back(py);
  }
  return q;
}

// Points around the data's box, beyond the hull: a walk from the search hint stops at the
// hull triangle it reaches first, which depends on where it starts.
Queries outside_queries(const Data& d, int count) {
  const auto [low_x, high_x] = std::minmax_element(d.x.begin(), d.x.end());
  const auto [low_y, high_y] = std::minmax_element(d.y.begin(), d.y.end());
  const double cx = (*low_x + *high_x) / 2, cy = (*low_y + *high_y) / 2;
  const double radius = (*high_x - *low_x) + (*high_y - *low_y);
  Queries q;
  for (int i = 0; i < count; ++i) {
    q.x.push_back(cx + radius * std::cos(2.385 * i));
    q.y.push_back(cy + radius * std::sin(2.385 * i));
  }
  return q;
}

// Rows of a fine grid over the data's box and beyond, in reading order: short walks.
Queries grid_queries(const Data& d, int side) {
  double high_x = d.x[0], high_y = d.y[0];
  for (int i = 0; i < d.size(); ++i) {
    high_x = std::fmax(high_x, d.x[i]);
    high_y = std::fmax(high_y, d.y[i]);
  }
  Queries q;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      q.x.push_back((-0.2 + 1.4 * j / (side - 1)) * high_x);
      q.y.push_back((-0.2 + 1.4 * i / (side - 1)) * high_y);
    }
  }
  return q;
}

TEST(Interp2dFast, LongAndShortWalksMatchThePlainWalk) {
  struct Case {
    const char* name;
    Data data;
  };
  const Case cases[] = {
      {"uniform points", uniform_data(20000, 5)},
      {"grid points", grid_data(120, 6)},
      {"points on a circle", curve_data(6000, false, 7)},
      {"points on a parabola", curve_data(6000, true, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Mesh m = triangulate(c.data);
    for (unsigned call = 0; call < 3; ++call) {
      SCOPED_TRACE(call);
      expect_same(c.data, m, random_queries(c.data, m, 4000, 17 + call));
      expect_same(c.data, m, grid_queries(c.data, 60));
    }
  }
}

// A batch long enough for the near starts gives the bits of the same queries asked one call
// each, all walked from the search hint, and leaves the hint where the single calls leave it:
// the queries beyond the hull asked next, whose values depend on where their walks start,
// come out the same after either.
TEST(Interp2dFast, BatchMatchesSingleCallsAndLeavesTheSameHint) {
  struct Case {
    const char* name;
    Data data;
  };
  const Case cases[] = {
      {"uniform points", uniform_data(20000, 51)},
      {"points on a circle", curve_data(6000, false, 52)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Data& d = c.data;
    const Mesh m = triangulate(d);
    const Queries q = random_queries(d, m, 3000, 53), next = outside_queries(d, 20);
    const auto interpolate = [&](const Queries& at, int from, int size, double* zi) {
      return import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
          d.size(), d.x.data(), d.y.data(), d.z.data(), m.neighbours.data(), m.triangles.data(),
          m.count, size, at.x.data() + from, at.y.data() + from, zi);
    };
    // Each pass starts from triangle 0, where a walk to its centroid ends.
    const int* v = m.triangles.data();
    const Queries first = {{(d.x[v[0]] + d.x[v[1]] + d.x[v[2]]) / 3},
                           {(d.y[v[0]] + d.y[v[1]] + d.y[v[2]]) / 3}};
    double ignored = 0.0;
    std::vector<double> batch(q.size()), single(q.size());
    std::vector<double> next_batch(next.size()), next_single(next.size());

    interpolate(first, 0, 1, &ignored);
    const int batch_status = interpolate(q, 0, q.size(), batch.data());
    interpolate(next, 0, next.size(), next_batch.data());

    interpolate(first, 0, 1, &ignored);
    int single_status = QUADREL_SUCCESS;
    for (int i = 0; i < q.size(); ++i) {
      const int status = interpolate(q, i, 1, &single[i]);
      if (status != QUADREL_SUCCESS) single_status = status;
    }
    interpolate(next, 0, next.size(), next_single.data());

    EXPECT_EQ(batch_status, QUADREL_INTERP2D_UNSERVED);  // queries outside and NaN among them
    EXPECT_EQ(batch_status, single_status);
    EXPECT_TRUE(same_bits(batch, single));
    EXPECT_TRUE(same_bits(next_batch, next_single));
  }
}

// Entries that the walk must stop at: vertices out of range, neighbours beyond the triangles,
// and neighbours pointing the wrong way, which can make a walk cycle.
TEST(Interp2dFast, BrokenMeshesMatchThePlainWalk) {
  const Data d = uniform_data(8000, 9);
  const Mesh valid = triangulate(d);
  struct Case {
    const char* name;
    int vertex_out, neighbour_out, neighbour_wrong;  // entries changed of each kind
  };
  const Case cases[] = {
      {"vertices out of range", 40, 0, 0},
      {"neighbours beyond the triangles", 0, 40, 0},
      {"neighbours pointing the wrong way", 0, 0, 200},
      {"all of them", 20, 20, 100},
  };
  std::mt19937_64 random(23);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mesh m = valid;
    const auto entry = [&] { return static_cast<std::size_t>(random() % (3 * m.count)); };
    for (int i = 0; i < c.vertex_out; ++i) m.triangles[entry()] = i % 2 ? d.size() : -1;
    for (int i = 0; i < c.neighbour_out; ++i) m.neighbours[entry()] = m.count + i;
    for (int i = 0; i < c.neighbour_wrong; ++i) {
      m.neighbours[entry()] = static_cast<int>(random() % m.count);
    }
    expect_same(d, m, random_queries(d, valid, 3000, 29));
  }
}

// One link changed to name another neighbour of its triangle t, so that the walk from t to a
// point some triangles beyond that edge cycles between the two and fails; the triangle across
// still names t, and every other link is sound. A walk from near the point would serve it.
TEST(Interp2dFast, UnansweredLinkKeepsWalksFromTheHint) {
  const Data d = uniform_data(20000, 61);
  Mesh m = triangulate(d);
  Queries q = random_queries(d, m, 3000, 63);
  bool found = false;
  for (int t = 0; t < m.count && !found; ++t) {
    for (int k = 0; k < 3 && !found; ++k) {
      int* across = &m.neighbours[3 * std::size_t(t)];
      const int p = across[k], other = across[(k + 1) % 3];
      if (p < 0 || p >= t || other <= t) continue;
      // Beyond the middle of edge k, along its outward normal, eight edge lengths away.
      const int* v = &m.triangles[3 * std::size_t(t)];
      const double ax = d.x[v[k]], ay = d.y[v[k]];
      const double bx = d.x[v[(k + 1) % 3]], by = d.y[v[(k + 1) % 3]];
      const double px = (ax + bx) / 2 + 8 * (by - ay), py = (ay + by) / 2 - 8 * (bx - ax);
      if (!(px > 0.1 && px < 0.9 && py > 0.1 && py < 0.9)) continue;
      across[k] = other;
      g_reference_hint = t;
      double value = 0.0;
      found = !reference_point(d, m, px, py, &value);
      if (!found) {
        across[k] = p;
        continue;
      }
      // The batch ends with that point and points at infinity, each after t's centroid,
      // which leaves the hint at t. (A walk to a point at infinity that cycles steps back
      // with NaN weights, which leave the point unserved.)
      const double cx = (d.x[v[0]] + d.x[v[1]] + d.x[v[2]]) / 3;
      const double cy = (d.y[v[0]] + d.y[v[1]] + d.y[v[2]]) / 3;
      const double ends[][2] = {{px, py}, {-kInf, py}, {kInf, py}, {px, -kInf}, {px, kInf}};
      for (const auto& end : ends) {
        q.x.insert(q.x.end(), {cx, end[0]});
        q.y.insert(q.y.end(), {cy, end[1]});
      }
    }
  }
  ASSERT_TRUE(found);
  g_reference_hint = -1;  // as the library's: no interpolation has run yet
  expect_same(d, m, q);
}

// A mesh turned clockwise: walks go the wrong way round and end after more steps than
// triangles; some still end by chance.
TEST(Interp2dFast, ClockwiseMeshMatchesThePlainWalk) {
  const Data d = uniform_data(3000, 12);
  Mesh m = triangulate(d);
  for (int t = 0; t < m.count; ++t) {
    std::swap(m.triangles[3 * t + 1], m.triangles[3 * t + 2]);
    std::swap(m.neighbours[3 * t], m.neighbours[3 * t + 2]);
  }
  expect_same(d, m, random_queries(d, m, 300, 31));
}

TEST(Interp2dFast, OneCallMatchesThePlainWalk) {
  const Data d = uniform_data(20000, 41);
  const Mesh m = triangulate(d);
  const Queries q = random_queries(d, m, 4000, 43);
  std::vector<double> expected, actual(q.x.size(), 2.385);
  const int expected_status = reference(d, m, q, &expected);
  EXPECT_EQ(
      import_mathfunction_2d_pwl_interpolation(d.size(), d.x.data(), d.y.data(), d.z.data(),
                                               q.size(), q.x.data(), q.y.data(), actual.data()),
      expected_status);
  EXPECT_TRUE(same_bits(actual, expected));
}

}  // namespace
