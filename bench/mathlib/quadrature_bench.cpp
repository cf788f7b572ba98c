// Time of one Gauss-Legendre integration: a tabulated rule, computed rules of growing size up
// to the largest accepted one (46 339 points), and a request beyond it, which is rejected
// before any work is done.
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
    ->Arg(11)
    ->Arg(1001)
    ->Arg(46339)
    ->Arg(1000001)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
