// Triangulation of scattered and grid points, and interpolation with queries in grid order
// (where the search hint keeps walks short) and in random order.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "quadrel.h"

namespace {

struct Points {
  std::vector<double> x, y;
  int size() const { return static_cast<int>(x.size()); }
};

Points uniform(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Points p;
  for (int i = 0; i < n; ++i) {
    p.x.push_back(u(rng));
    p.y.push_back(u(rng));
  }
  return p;
}

Points grid(int side) {
  Points p;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      p.x.push_back(i / double(side - 1));
      p.y.push_back(j / double(side - 1));
    }
  }
  return p;
}

struct Triangulation {
  std::vector<int> neighbours, triangles;
  int count = 0;
};

int triangulate(const Points& p, Triangulation* t) {
  t->neighbours.resize(6 * std::size_t(p.size()));
  t->triangles.resize(6 * std::size_t(p.size()));
  return import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
      p.size(), p.x.data(), p.y.data(), t->neighbours.data(), t->triangles.data(), &t->count, 3);
}

void BM_TriangulateUniform(benchmark::State& state) {
  const Points p = uniform(static_cast<int>(state.range(0)), 1);
  Triangulation t;
  for (auto _ : state) benchmark::DoNotOptimize(triangulate(p, &t));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TriangulateUniform)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_TriangulateGrid(benchmark::State& state) {
  const Points p = grid(static_cast<int>(state.range(0)));
  Triangulation t;
  for (auto _ : state) benchmark::DoNotOptimize(triangulate(p, &t));
  state.SetItemsProcessed(state.iterations() * p.size());
}
BENCHMARK(BM_TriangulateGrid)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond);

// 10^6 queries on 10^5 uniform points; range(0) = 1 for random order, 0 for grid order.
void BM_Interpolate(benchmark::State& state) {
  const Points data = uniform(100000, 2);
  std::vector<double> z(data.x.size());
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = data.x[i] - 2.0 * data.y[i];
  Triangulation t;
  if (triangulate(data, &t) != 0) state.SkipWithError("triangulation failed");
  const Points queries = state.range(0) != 0 ? uniform(1000000, 3) : grid(1000);
  std::vector<double> zi(queries.x.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
        data.size(), data.x.data(), data.y.data(), z.data(), t.neighbours.data(),
        t.triangles.data(), t.count, queries.size(), queries.x.data(), queries.y.data(),
        zi.data()));
  }
  state.SetItemsProcessed(state.iterations() * queries.size());
}
BENCHMARK(BM_Interpolate)->ArgName("random_order")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
