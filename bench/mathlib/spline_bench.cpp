// Cubic spline on an ascending table of 10^5 knots: the set-up (second derivatives and one
// value), and evaluations with the set-up reused at 1000 random points inside the table
// ("items" counts the points of one iteration).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

constexpr int kEvaluations = 1000;

void BM_SplineSetup(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bench::Table table = bench::ascending_table(n);
  std::vector<double> m2(n);
  double value = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(import_mathfunction_1d_cubic_spline(
        n, table.x.data(), table.y.data(), table.first(), &value, m2.data(), false));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SplineSetup)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SplineEvaluate(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bench::Table table = bench::ascending_table(n);
  std::vector<double> m2(n);
  double value = 0.0;
  if (import_mathfunction_1d_cubic_spline(n, table.x.data(), table.y.data(), table.first(), &value,
                                          m2.data(), false) != 0) {
    state.SkipWithError("spline set-up failed");
  }
  const std::vector<double> xi =
      bench::uniform_values(kEvaluations, table.first(), table.last(), 8);
  for (auto _ : state) {
    for (const double t : xi) {
      import_mathfunction_1d_cubic_spline(n, table.x.data(), table.y.data(), t, &value, m2.data(),
                                          true);
      benchmark::DoNotOptimize(value);
    }
  }
  state.counters["items"] = kEvaluations;
}
BENCHMARK(BM_SplineEvaluate)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
