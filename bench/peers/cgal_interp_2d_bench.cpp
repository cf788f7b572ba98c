// Point location and linear interpolation with CGAL, a peer of quadrel's two-dimensional
// interpolation, on the triangulation of the same 10^5 points and the same queries as
// interp_2d_bench.cpp: a locate in the plain triangulation walks from the face the previous
// one found, as quadrel's walk starts from its search hint; in CGAL's Delaunay hierarchy it
// descends through coarser triangulations to a face near the point. "items" counts the
// queries of one iteration.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "cgal_delaunay.h"

namespace {

// The plain triangulation walks from the face the previous locate found. The hierarchy
// descends from its coarsest level: a start face given to it would replace the descent on the
// finest level by a walk from there.
bench::CgalDelaunay::Face_handle locate(const bench::CgalDelaunay& dt, const bench::CgalPoint& p,
                                        bench::CgalDelaunay::Face_handle hint) {
  return dt.locate(p, hint);
}

bench::CgalDelaunayHierarchy::Face_handle locate(const bench::CgalDelaunayHierarchy& dt,
                                                 const bench::CgalPoint& p,
                                                 bench::CgalDelaunayHierarchy::Face_handle) {
  return dt.locate(p);
}

template <class Triangulation>
void interpolate(benchmark::State& state, const bench::Points& queries) {
  const bench::Points data = bench::interpolation_data();
  const std::vector<double> z = bench::surface_values(data);
  Triangulation dt;
  bench::cgal_insert_sorted(data, &dt);
  const int ni = queries.size();
  std::vector<double> zi(ni);
  typename Triangulation::Face_handle hint;
  for (auto _ : state) {
    for (int i = 0; i < ni; ++i) {
      const double x = queries.x[i];
      const double y = queries.y[i];
      const typename Triangulation::Face_handle f = locate(dt, bench::CgalPoint(x, y), hint);
      hint = f;
      if (dt.is_infinite(f)) {
        zi[i] = -1.0;
        continue;
      }
      const bench::CgalPoint& a = f->vertex(0)->point();
      const bench::CgalPoint& b = f->vertex(1)->point();
      const bench::CgalPoint& c = f->vertex(2)->point();
      const double area = (b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y());
      const double wb = ((c.x() - x) * (a.y() - y) - (a.x() - x) * (c.y() - y)) / area;
      const double wc = ((a.x() - x) * (b.y() - y) - (b.x() - x) * (a.y() - y)) / area;
      zi[i] = (1.0 - wb - wc) * z[f->vertex(0)->info()] + wb * z[f->vertex(1)->info()] +
              wc * z[f->vertex(2)->info()];
    }
    benchmark::ClobberMemory();
  }
  state.counters["items"] = ni;
}

void BM_CgalLocateGridOrder(benchmark::State& state) {
  interpolate<bench::CgalDelaunay>(state, bench::grid_order_queries());
}
BENCHMARK(BM_CgalLocateGridOrder)->Unit(benchmark::kMillisecond);

void BM_CgalLocateRandomOrder(benchmark::State& state) {
  interpolate<bench::CgalDelaunay>(state, bench::random_order_queries());
}
BENCHMARK(BM_CgalLocateRandomOrder)->Unit(benchmark::kMillisecond);

void BM_CgalHierarchyLocateGridOrder(benchmark::State& state) {
  interpolate<bench::CgalDelaunayHierarchy>(state, bench::grid_order_queries());
}
BENCHMARK(BM_CgalHierarchyLocateGridOrder)->Unit(benchmark::kMillisecond);

void BM_CgalHierarchyLocateRandomOrder(benchmark::State& state) {
  interpolate<bench::CgalDelaunayHierarchy>(state, bench::random_order_queries());
}
BENCHMARK(BM_CgalHierarchyLocateRandomOrder)->Unit(benchmark::kMillisecond);

}  // namespace
