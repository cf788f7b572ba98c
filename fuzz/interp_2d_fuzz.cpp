// Fuzz target: the two-phase interpolation on meshes large enough for its near starts. Points
// on a circle (a fan of long thin triangles), on or near a lattice, or scattered come from a
// seed, queries over the box and beyond, on vertices and on edges. A batch of queries, which
// starts walks near each query once the walks prove long, must give the bits of the same
// queries in one call each, all walked from the search hint.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "fuzz_input.h"
#include "quadrel.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

struct Data {
  std::vector<double> x, y, z;
  int size() const { return static_cast<int>(x.size()); }
};

// Points of one of four shapes, from a seed: on a circle (a fan of long thin triangles),
// scattered, on a lattice (many cocircular quadruples) or near one. (Points on a parabola, the
// other fan-shaped case, take the triangulation quadratic time: the unit tests have them.)
Data large_data(fuzz::Input& in) {
  std::mt19937_64 random(in.raw<std::uint32_t>());
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int shape = in.byte() % 4, n = 4100 + in.byte();
  Data d;
  for (int i = 0; i < n; ++i) {
    double px = unit(random), py = unit(random);
    if (shape == 0) {
      px = std::cos(6.2831853 * i / n);
      py = std::sin(6.2831853 * i / n);
    } else if (shape == 1) {
      px = i % 71;  // distinct points for i < 71 * 97
      py = i % 97;
    } else if (shape == 2) {
      px = 0.5 * std::floor(px * 8) + 0.01 * (unit(random) - 0.5);
      py = 0.5 * std::floor(py * 8) + 0.01 * (unit(random) - 0.5);
    }
    d.x.push_back(px);
    d.y.push_back(py);
    d.z.push_back(unit(random));
  }
  return d;
}

// Queries over the data's box and beyond, on vertices, on edges and next to them.
void large_queries(const Data& d, const std::vector<int>& tri, int count, fuzz::Input& in,
                   std::vector<double>* qx, std::vector<double>* qy) {
  std::mt19937_64 random(in.raw<std::uint32_t>());
  std::uniform_real_distribution<double> unit(-0.2, 1.2);
  const auto [low_x, high_x] = std::minmax_element(d.x.begin(), d.x.end());
  const auto [low_y, high_y] = std::minmax_element(d.y.begin(), d.y.end());
  for (int i = 0; i < 300; ++i) {
    const int* v = &tri[3 * (random() % count)];
    const double f = unit(random);
    switch (random() % 4) {
      case 0:
        qx->push_back(d.x[v[0]]);
        qy->push_back(d.y[v[0]]);
        break;
      case 1:
        qx->push_back(d.x[v[0]] + f * (d.x[v[1]] - d.x[v[0]]));
        qy->push_back(d.y[v[0]] + f * (d.y[v[1]] - d.y[v[0]]));
        break;
      default:
        qx->push_back(*low_x + f * (*high_x - *low_x));
        qy->push_back(*low_y + unit(random) * (*high_y - *low_y));
        break;
    }
  }
}

void check_near_starts(fuzz::Input& in) {
  const Data d = large_data(in);
  const std::size_t room = 6 * std::size_t(d.size());
  std::vector<int> tri(room), nb(room);
  int count = 0;
  if (import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
          d.size(), d.x.data(), d.y.data(), nb.data(), tri.data(), &count, 3) != 0) {
    return;
  }
  std::vector<double> qx, qy;
  large_queries(d, tri, count, in, &qx, &qy);
  const int ni = static_cast<int>(qx.size());
  const auto interpolate = [&](int from, int size, double* zi) {
    return import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
        d.size(), d.x.data(), d.y.data(), d.z.data(), nb.data(), tri.data(), count, size,
        qx.data() + from, qy.data() + from, zi);
  };
  // The centroid of triangle 0 sets the search hint to it before each pass.
  const double cx = (d.x[tri[0]] + d.x[tri[1]] + d.x[tri[2]]) / 3;
  const double cy = (d.y[tri[0]] + d.y[tri[1]] + d.y[tri[2]]) / 3;
  const auto start_at_triangle_0 = [&] {
    double z;
    require(import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
                d.size(), d.x.data(), d.y.data(), d.z.data(), nb.data(), tri.data(), count, 1, &cx,
                &cy, &z) == 0);
  };
  std::vector<double> batch(ni), single(ni);
  start_at_triangle_0();
  const int status = interpolate(0, ni, batch.data());
  start_at_triangle_0();
  int single_status = 0;
  for (int i = 0; i < ni; ++i) single_status |= interpolate(i, 1, &single[i]);
  require(status == single_status);
  require(std::memcmp(batch.data(), single.data(), sizeof(double) * ni) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  check_near_starts(in);
  return 0;
}
