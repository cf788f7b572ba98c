// Two-dimensional piecewise-linear interpolation on the triangulation of 10^5 uniform points:
// 10^6 queries in grid order, where each walk starts next to its point, and 10^4 queries in
// random order, where each walk crosses about sqrt(triangles) triangles; and 10^4 random
// queries on the fans of long thin triangles of 10^5 points on a circle or a parabola, where a
// walk from the last triangle found crosses a fair part of all triangles. "items" counts the
// queries of one iteration, so that the table can show the time per query.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

void interpolate(benchmark::State& state, const bench::Points& queries,
                 const bench::Points& data = bench::interpolation_data()) {
  const std::vector<double> z = bench::surface_values(data);
  const int n = data.size();
  std::vector<int> neighbours(6 * std::size_t(n)), triangles(6 * std::size_t(n));
  int count = 0;
  if (import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
          n, data.x.data(), data.y.data(), neighbours.data(), triangles.data(), &count, 3) != 0) {
    state.SkipWithError("triangulation failed");
    return;
  }
  const int ni = queries.size();
  std::vector<double> zi(ni);
  int status = 0;
  for (auto _ : state) {
    status = import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
        n, data.x.data(), data.y.data(), z.data(), neighbours.data(), triangles.data(), count, ni,
        queries.x.data(), queries.y.data(), zi.data());
    benchmark::ClobberMemory();
  }
  if (status != 0) state.SkipWithError("interpolation failed");
  state.counters["items"] = ni;
}

void BM_InterpolateGridOrder(benchmark::State& state) {
  interpolate(state, bench::grid_order_queries());
}
BENCHMARK(BM_InterpolateGridOrder)->Unit(benchmark::kMillisecond);

void BM_InterpolateRandomOrder(benchmark::State& state) {
  interpolate(state, bench::random_order_queries());
}
BENCHMARK(BM_InterpolateRandomOrder)->Unit(benchmark::kMillisecond);

void BM_InterpolateCircle(benchmark::State& state) {
  interpolate(state, bench::circle_queries(), bench::circle_points());
}
BENCHMARK(BM_InterpolateCircle)->Unit(benchmark::kMillisecond);

void BM_InterpolateParabola(benchmark::State& state) {
  interpolate(state, bench::parabola_queries(), bench::parabola_points());
}
BENCHMARK(BM_InterpolateParabola)->Unit(benchmark::kMillisecond);

}  // namespace
