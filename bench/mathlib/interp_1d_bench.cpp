// One-dimensional piecewise-linear interpolation of 10^6 random points in an ascending table
// of 10^5 entries. The points lie inside the table, where the peers can serve them too.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

void BM_PwlInterpolation(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int ni = static_cast<int>(state.range(1));
  const bench::Table table = bench::ascending_table(n);
  const std::vector<double> xi = bench::uniform_values(ni, table.first(), table.last(), 8);
  std::vector<double> yi(ni);
  for (auto _ : state) {
    benchmark::DoNotOptimize(import_mathfunction_1d_pwl_interpolation(
        n, table.x.data(), table.y.data(), ni, xi.data(), yi.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PwlInterpolation)
    ->ArgNames({"n", "ni"})
    ->Args({100000, 1000000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
