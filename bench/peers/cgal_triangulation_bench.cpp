// CGAL's Delaunay triangulation, a peer of quadrel's, on the same point sets as
// triangulation_bench.cpp: inserted in x order as quadrel does, and as one range that CGAL
// sorts spatially. Building the input vector is timed with the range insertion (it is part of
// handing the points to CGAL); destroying the triangulation is not timed.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_inputs.h"
#include "cgal_delaunay.h"

namespace {

void triangulate(benchmark::State& state, const bench::Points& p, bool x_order) {
  std::size_t count = 0;
  for (auto _ : state) {
    auto dt = std::make_unique<bench::CgalDelaunay>();
    if (x_order) {
      bench::cgal_insert_in_x_order(p, dt.get());
    } else {
      bench::cgal_insert_sorted(p, dt.get());
    }
    state.PauseTiming();
    count = dt->number_of_faces();
    dt.reset();
    state.ResumeTiming();
  }
  state.counters["triangles"] = static_cast<double>(count);
}

void BM_CgalXOrderUniform(benchmark::State& state) {
  triangulate(state, bench::uniform_points(static_cast<int>(state.range(0)), 1), true);
}
void BM_CgalSortedUniform(benchmark::State& state) {
  triangulate(state, bench::uniform_points(static_cast<int>(state.range(0)), 1), false);
}
BENCHMARK(BM_CgalXOrderUniform)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CgalSortedUniform)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_CgalXOrderGrid(benchmark::State& state) {
  triangulate(state, bench::grid_points(static_cast<int>(state.range(0))), true);
}
void BM_CgalSortedGrid(benchmark::State& state) {
  triangulate(state, bench::grid_points(static_cast<int>(state.range(0))), false);
}
BENCHMARK(BM_CgalXOrderGrid)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CgalSortedGrid)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond);

void BM_CgalXOrderClustered(benchmark::State& state) {
  triangulate(state, bench::clustered_points(static_cast<int>(state.range(0)), 4), true);
}
void BM_CgalSortedClustered(benchmark::State& state) {
  triangulate(state, bench::clustered_points(static_cast<int>(state.range(0)), 4), false);
}
BENCHMARK(BM_CgalXOrderClustered)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CgalSortedClustered)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
