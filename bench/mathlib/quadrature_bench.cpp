// One Gauss-Legendre integration of 1/(1 + x^2) over [-2.5, 4]: a tabulated rule (10 points),
// rules computed for the call (101, 10 000, 46 339 and 10^6 requested points); the cost of a
// computed rule grows linearly with its points.
// The "status" counter records what the call returned.
#include <benchmark/benchmark.h>

#include "quadrel.h"

namespace {

double smooth(double x, int*) { return 1.0 / (1.0 + x * x); }

void BM_GaussLegendre(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double result = 0.0;
  int status = 0;
  for (auto _ : state) {
    status = import_mathfunction_quadratische_integration_gauss(smooth, -2.5, 4.0, n, &result);
    benchmark::DoNotOptimize(result);
  }
  state.counters["status"] = status;
}
BENCHMARK(BM_GaussLegendre)
    ->Arg(10)
    ->Arg(101)
    ->Arg(10000)
    ->Arg(46339)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
