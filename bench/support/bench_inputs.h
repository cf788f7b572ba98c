// Inputs shared by quadrel's benchmarks and those of the peer libraries, so that each pair of
// rows in the benchmark table times the same data. Every generator has a fixed seed.
#ifndef BENCH_SUPPORT_BENCH_INPUTS_H
#define BENCH_SUPPORT_BENCH_INPUTS_H

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace bench {

// n x n matrix, column-major, entries uniform in (-1, 1).
inline std::vector<double> random_matrix(int n) {
  std::mt19937_64 rng(0x5eed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> a(std::size_t(n) * n);
  for (double& v : a) v = value(rng);
  return a;
}

// Leading dimension of a band matrix with ml sub- and mu super-diagonals, in the layout that
// quadrel's band LU and LAPACK's dgbtrf share (room for the fill-in of interchanges on top).
inline int band_rows(int ml, int mu) { return 2 * ml + mu + 1; }

// Band array of order n, every entry uniform in (-1, 1) and the diagonal raised by
// (ml + mu + 1) / 2, so that pivoting interchanges some rows but the factors stay of moderate
// size over 10^6 steps.
inline std::vector<double> random_band(int n, int ml, int mu) {
  std::mt19937_64 rng(0x5eed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  const int lda = band_rows(ml, mu);
  std::vector<double> abd(std::size_t(lda) * n);
  for (double& v : abd) v = value(rng);
  for (int j = 0; j < n; ++j) abd[std::size_t(j) * lda + ml + mu] += 0.5 * (ml + mu + 1);
  return abd;
}

// count values uniform in [low, high).
inline std::vector<double> uniform_values(int count, double low, double high, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> value(low, high);
  std::vector<double> v(count);
  for (double& t : v) t = value(rng);
  return v;
}

// An ascending table of n entries with random steps in (0.1, 1) and values in (0.1, 1).
struct Table {
  std::vector<double> x, y;
  int size() const { return static_cast<int>(x.size()); }
  double first() const { return x.front(); }
  double last() const { return x.back(); }
};

inline Table ascending_table(int n) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> step(0.1, 1.0);
  Table t;
  double at = 0.0;
  for (int k = 0; k < n; ++k) {
    at += step(rng);
    t.x.push_back(at);
    t.y.push_back(step(rng));
  }
  return t;
}

// Points in the plane.
struct Points {
  std::vector<double> x, y;
  int size() const { return static_cast<int>(x.size()); }
  void add(double px, double py) {
    x.push_back(px);
    y.push_back(py);
  }
};

// n points uniform in the square [low, high)^2.
inline Points uniform_points(int n, unsigned seed, double low = 0.0, double high = 1.0) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(low, high);
  Points p;
  p.x.reserve(n);
  p.y.reserve(n);
  for (int i = 0; i < n; ++i) {
    const double px = u(rng);
    p.add(px, u(rng));
  }
  return p;
}

// side x side points of an exact rectangular grid over [low, high]^2, column by column (x
// outer, y inner): every column shares its x exactly, every row its y.
inline Points grid_points(int side, double low = 0.0, double high = 1.0) {
  Points p;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      p.add(low + (high - low) * i / double(side - 1), low + (high - low) * j / double(side - 1));
    }
  }
  return p;
}

// n points in 50 normal clusters (standard deviation 0.01) around centres uniform in the unit
// square: dense patches with empty space between them.
inline Points clustered_points(int n, unsigned seed) {
  constexpr int kClusters = 50;
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::normal_distribution<double> spread(0.0, 0.01);
  std::vector<double> cx(kClusters), cy(kClusters);
  for (int c = 0; c < kClusters; ++c) {
    cx[c] = u(rng);
    cy[c] = u(rng);
  }
  Points p;
  for (int i = 0; i < n; ++i) {
    const int c = i % kClusters;
    const double px = cx[c] + spread(rng);
    p.add(px, cy[c] + spread(rng));
  }
  return p;
}

// Values of a smooth function at the points, for the interpolation benchmarks.
inline std::vector<double> surface_values(const Points& p) {
  std::vector<double> z(p.x.size());
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = p.x[i] * p.x[i] - 2.0 * p.y[i] + 0.25;
  return z;
}

// The data and query sets of the two-dimensional interpolation benchmarks: 10^5 uniform
// points in the unit square; queries in [0.01, 0.99]^2 (inside the hull, so no peer has to
// extrapolate), either a 1000 x 1000 grid walked column by column (each query next to the
// previous one) or 10^4 uniform random points.
constexpr int kInterpolationPoints = 100000;
constexpr int kGridQuerySide = 1000;
constexpr int kRandomQueries = 10000;

inline Points interpolation_data() { return uniform_points(kInterpolationPoints, 2); }
inline Points grid_order_queries() { return grid_points(kGridQuerySide, 0.01, 0.99); }
inline Points random_order_queries() { return uniform_points(kRandomQueries, 3, 0.01, 0.99); }

// Fan-shaped meshes: 10^5 points evenly spread on the unit circle, or on the parabola y = x^2
// over [-1, 1], triangulate into long thin triangles; 10^4 random queries inside the hull (in
// the square [-0.7, 0.7]^2, or between the parabola and its chord y = 1).
inline Points circle_points() {
  Points p;
  for (int i = 0; i < kInterpolationPoints; ++i) {
    const double angle = 6.283185307179586 * i / kInterpolationPoints;
    p.add(std::cos(angle), std::sin(angle));
  }
  return p;
}
inline Points parabola_points() {
  Points p;
  for (int i = 0; i < kInterpolationPoints; ++i) {
    const double x = -1.0 + 2.0 * i / (kInterpolationPoints - 1);
    p.add(x, x * x);
  }
  return p;
}
inline Points circle_queries() { return uniform_points(kRandomQueries, 4, -0.7, 0.7); }
inline Points parabola_queries() {
  Points p = uniform_points(kRandomQueries, 5, 0.0, 1.0);
  for (int i = 0; i < p.size(); ++i) {
    p.x[i] = 1.98 * p.x[i] - 0.99;
    p.y[i] = p.x[i] * p.x[i] + (1.0 - p.x[i] * p.x[i]) * p.y[i];
  }
  return p;
}

}  // namespace bench

#endif  // BENCH_SUPPORT_BENCH_INPUTS_H
