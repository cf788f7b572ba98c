// Delaunay triangulation of 10^4, 10^5 and 10^6 points uniform in the unit square, of exact
// 100 x 100 and 316 x 316 grids and of 10^5 clustered points. Insertion in x order costs about
// n log n on scattered points but about n^1.5 on an exact grid (each new column first forms a
// fan that the rest of the column swaps away): set the step from the 100 x 100 to the 316 x 316
// grid beside the step from 10^4 to 10^5 uniform points.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

void triangulate(benchmark::State& state, const bench::Points& p) {
  const int n = p.size();
  std::vector<int> neighbours(6 * std::size_t(n)), triangles(6 * std::size_t(n));
  int count = 0;
  int status = 0;
  for (auto _ : state) {
    status = import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
        n, p.x.data(), p.y.data(), neighbours.data(), triangles.data(), &count, 3);
    benchmark::ClobberMemory();
  }
  if (status != 0) state.SkipWithError("triangulation failed");
  state.counters["triangles"] = count;
}

void BM_TriangulateUniform(benchmark::State& state) {
  triangulate(state, bench::uniform_points(static_cast<int>(state.range(0)), 1));
}
BENCHMARK(BM_TriangulateUniform)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_TriangulateGrid(benchmark::State& state) {
  triangulate(state, bench::grid_points(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_TriangulateGrid)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond);

void BM_TriangulateClustered(benchmark::State& state) {
  triangulate(state, bench::clustered_points(static_cast<int>(state.range(0)), 4));
}
BENCHMARK(BM_TriangulateClustered)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
