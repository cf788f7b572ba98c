// qhull's Delaunay triangulation, a peer of quadrel's, on the same point sets as
// triangulation_bench.cpp. Only the triangulation is timed; freeing qhull's structures is not.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench_inputs.h"
#include "qhull_delaunay.h"

namespace {

void triangulate(benchmark::State& state, const bench::Points& p) {
  std::vector<coordT> xy = bench::QhullDelaunay::interleave(p);
  int status = 0;
  int count = 0;
  for (auto _ : state) {
    auto delaunay = std::make_unique<bench::QhullDelaunay>(xy);
    state.PauseTiming();
    status = delaunay->status();
    count = delaunay->triangle_count();
    delaunay.reset();
    state.ResumeTiming();
  }
  if (status != 0) state.SkipWithError("qhull failed");
  state.counters["triangles"] = count;
}

void BM_QhullUniform(benchmark::State& state) {
  triangulate(state, bench::uniform_points(static_cast<int>(state.range(0)), 1));
}
BENCHMARK(BM_QhullUniform)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_QhullGrid(benchmark::State& state) {
  triangulate(state, bench::grid_points(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_QhullGrid)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond);

void BM_QhullClustered(benchmark::State& state) {
  triangulate(state, bench::clustered_points(static_cast<int>(state.range(0)), 4));
}
BENCHMARK(BM_QhullClustered)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
