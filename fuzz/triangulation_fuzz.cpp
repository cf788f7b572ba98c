// Fuzz target: the triangulation and both interpolation exports. Points come as small
// integers (many collinear, cocircular and coincident points) or as raw doubles (NaN,
// infinities, any magnitude). A triangulation that reports success must be well formed: status,
// counter-clockwise triangles, symmetric links, one hull cycle, every point a vertex,
// 2n - h - 2 triangles, and on small integers empty circumcircles (decided exactly) and the
// reproduction of a linear function by both interpolation exports. Corrupted copies of the
// mesh are fed to the interpolation, which must stay inside the arrays and answer 0 or 1.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "quadrel.h"

namespace {

constexpr int kMaxPoints = 600;

void require(bool condition) {
  if (!condition) std::abort();
}

struct Data {
  std::vector<double> x, y, z;
  bool integers = false;
  int size() const { return static_cast<int>(x.size()); }
};

double linear(double x, double y) { return 3.0 * x - 2.0 * y + 5.0; }

// Exact orientation and in-circle tests on small integers (|coordinate| <= 128).
std::int64_t orientation(const Data& d, int a, int b, int c) {
  const auto ax = std::int64_t(d.x[a]), ay = std::int64_t(d.y[a]);
  return (std::int64_t(d.x[b]) - ax) * (std::int64_t(d.y[c]) - ay) -
         (std::int64_t(d.y[b]) - ay) * (std::int64_t(d.x[c]) - ax);
}

std::int64_t in_circle(const Data& d, int a, int b, int c, int p) {
  const auto px = std::int64_t(d.x[p]), py = std::int64_t(d.y[p]);
  const std::int64_t ax = std::int64_t(d.x[a]) - px, ay = std::int64_t(d.y[a]) - py;
  const std::int64_t bx = std::int64_t(d.x[b]) - px, by = std::int64_t(d.y[b]) - py;
  const std::int64_t cx = std::int64_t(d.x[c]) - px, cy = std::int64_t(d.y[c]) - py;
  return (ax * ax + ay * ay) * (bx * cy - by * cx) - (bx * bx + by * by) * (ax * cy - ay * cx) +
         (cx * cx + cy * cy) * (ax * by - ay * bx);
}

void check_structure(const Data& d, const std::vector<int>& tri, const std::vector<int>& nb,
                     int count) {
  const int n = d.size();
  require(count >= 1 && count <= (n > 3 ? 2 * n - 5 : 1));
  std::vector<char> used(n, 0);
  int hull = 0, first = -1;
  for (int t = 0; t < count; ++t) {
    const int* v = &tri[3 * t];
    for (int k = 0; k < 3; ++k) {
      require(v[k] >= 0 && v[k] < n && v[k] != v[(k + 1) % 3]);
      used[v[k]] = 1;
    }
    if (d.integers) require(orientation(d, v[0], v[1], v[2]) > 0);
    for (int k = 0; k < 3; ++k) {
      const int a = v[k], b = v[(k + 1) % 3], u = nb[3 * t + k];
      if (u >= 0) {
        require(u < count);
        int back = -1;
        for (int j = 0; j < 3; ++j) {
          if (tri[3 * u + j] == b && tri[3 * u + (j + 1) % 3] == a && nb[3 * u + j] == t) back = j;
        }
        require(back >= 0);
        if (d.integers) require(in_circle(d, v[0], v[1], v[2], tri[3 * u + (back + 2) % 3]) <= 0);
        continue;
      }
      const int link = -u, next = link / 3 - 1, edge = link % 3;
      require(next >= 0 && next < count && nb[3 * next + edge] < 0);
      require(tri[3 * next + edge] == b);
      ++hull;
      first = 3 * t + k;
    }
  }
  for (int i = 0; i < n; ++i) require(used[i] != 0);
  require(count == 2 * n - hull - 2);
  int edge = first, steps = 0;
  do {
    const int link = -nb[edge];
    edge = 3 * (link / 3 - 1) + link % 3;
    ++steps;
  } while (edge != first && steps <= hull);
  require(steps == hull);
}

// Queries derived from the mesh: vertices, edge midpoints, centroids, and points beyond the
// hull.
void queries(const Data& d, const std::vector<int>& tri, int count, std::vector<double>* qx,
             std::vector<double>* qy) {
  for (int t = 0; t < count && qx->size() < 3000; ++t) {
    const int* v = &tri[3 * t];
    qx->push_back((d.x[v[0]] + d.x[v[1]] + d.x[v[2]]) / 3);
    qy->push_back((d.y[v[0]] + d.y[v[1]] + d.y[v[2]]) / 3);
    qx->push_back((d.x[v[0]] + d.x[v[1]]) / 2);
    qy->push_back((d.y[v[0]] + d.y[v[1]]) / 2);
    qx->push_back(d.x[v[2]]);
    qy->push_back(d.y[v[2]]);
    qx->push_back(3 * d.x[v[1]] - 2 * d.x[v[2]]);
    qy->push_back(3 * d.y[v[1]] - 2 * d.y[v[2]]);
  }
}

void check_interpolation(const Data& d, const std::vector<int>& tri, const std::vector<int>& nb,
                         int count) {
  std::vector<double> qx, qy;
  queries(d, tri, count, &qx, &qy);
  const int ni = static_cast<int>(qx.size());
  std::vector<double> two_phase(ni), one_call(ni);
  const int status = import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
      d.size(), d.x.data(), d.y.data(), d.z.data(), nb.data(), tri.data(), count, ni, qx.data(),
      qy.data(), two_phase.data());
  const int once = import_mathfunction_2d_pwl_interpolation(
      d.size(), d.x.data(), d.y.data(), d.z.data(), ni, qx.data(), qy.data(), one_call.data());
  if (!d.integers) {
    require(status == 0 || status == 1);
    require(once == 0 || once == 1);
    return;
  }
  require(status == 0 && once == 0);
  for (int i = 0; i < ni; ++i) {
    const double expected = linear(qx[i], qy[i]);
    const double tolerance = 1e-9 * (1 + std::fabs(qx[i]) + std::fabs(qy[i]));
    require(std::fabs(two_phase[i] - expected) <= tolerance);
    require(std::fabs(one_call[i] - expected) <= tolerance);
  }
}

// Overwrites entries of the mesh with values from the input, in range or not, and runs the
// interpolation on it: it must neither read outside the arrays nor report anything but 0 or 1.
void check_corrupted(const Data& d, std::vector<int> tri, std::vector<int> nb, int count,
                     fuzz::Input& in) {
  for (int i = 0, changes = in.byte() % 16; i < changes; ++i) {
    const std::size_t at = in.raw<std::uint16_t>() % (3 * std::size_t(count));
    const int value = static_cast<int>(static_cast<std::int8_t>(in.byte())) * 3;
    (in.byte() % 2 == 0 ? tri : nb)[at] = value;
  }
  const double qx[] = {d.x[0] + 0.25, -1e3, 1e3}, qy[] = {d.y[0] - 0.5, 7.5, -2.0};
  double zi[3];
  const int status = import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
      d.size(), d.x.data(), d.y.data(), d.z.data(), nb.data(), tri.data(), count, 3, qx, qy, zi);
  require(status == 0 || status == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  const std::uint8_t mode = in.byte();
  Data d;
  d.integers = (mode & 1) == 0;
  const int n = in.byte() + 256 * (in.byte() % 3);
  for (int i = 0; i < n && i < kMaxPoints && in.remaining() > 0; ++i) {
    double px, py;
    if (d.integers) {
      px = static_cast<std::int8_t>(in.byte());
      py = static_cast<std::int8_t>(in.byte());
    } else {
      px = in.raw<double>();
      py = in.raw<double>();
    }
    d.x.push_back(px);
    d.y.push_back(py);
    d.z.push_back(d.integers ? linear(px, py) : 1.0);
  }

  const std::size_t room = 6 * std::size_t(d.size()) + 6;
  std::vector<int> tri(room, -99), nb(room, -99);
  int count = -99;
  const int status = import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
      d.size(), d.x.data(), d.y.data(), nb.data(), tri.data(), &count, 3);
  require(status == 0 || status == 2 || status == 9 || status == 226);
  if (d.integers) require(status != 9);
  if (status != 0) {
    require(status == 9 ? count == 0 : count == -99);
    return 0;
  }
  check_structure(d, tri, nb, count);
  check_interpolation(d, tri, nb, count);
  if (mode & 2) check_corrupted(d, tri, nb, count, in);
  return 0;
}
