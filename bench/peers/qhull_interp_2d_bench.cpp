// Point location and linear interpolation with qhull, a peer of quadrel's two-dimensional
// interpolation, on the triangulation of the same 10^5 points and the same queries as
// interp_2d_bench.cpp. Each search starts at the facet the previous one found, as quadrel's
// walk starts from its search hint. "items" counts the queries of one iteration.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "qhull_delaunay.h"

namespace {

void interpolate(benchmark::State& state, const bench::Points& queries) {
  const bench::Points data = bench::interpolation_data();
  const std::vector<double> z = bench::surface_values(data);
  std::vector<coordT> xy = bench::QhullDelaunay::interleave(data);
  bench::QhullDelaunay delaunay(xy);
  if (delaunay.status() != 0) {
    state.SkipWithError("qhull failed");
    return;
  }
  const int ni = queries.size();
  std::vector<double> zi(ni);
  for (auto _ : state) {
    for (int i = 0; i < ni; ++i) zi[i] = delaunay.interpolate(queries.x[i], queries.y[i], z.data());
    benchmark::ClobberMemory();
  }
  state.counters["items"] = ni;
}

void BM_QhullLocateGridOrder(benchmark::State& state) {
  interpolate(state, bench::grid_order_queries());
}
BENCHMARK(BM_QhullLocateGridOrder)->Unit(benchmark::kMillisecond);

void BM_QhullLocateRandomOrder(benchmark::State& state) {
  interpolate(state, bench::random_order_queries());
}
BENCHMARK(BM_QhullLocateRandomOrder)->Unit(benchmark::kMillisecond);

}  // namespace
