// GSL's linear interpolation, the peer of quadrel's one-dimensional interpolation, on the same
// table and points as interp_1d_bench.cpp: with an accelerator (which caches the last
// interval, a miss for random points) and without one (a binary search per point).
#include <benchmark/benchmark.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_interp.h>

#include <vector>

#include "bench_inputs.h"

namespace {

void linear(benchmark::State& state, bool accelerated) {
  const int n = static_cast<int>(state.range(0));
  const int ni = static_cast<int>(state.range(1));
  const bench::Table table = bench::ascending_table(n);
  const std::vector<double> xi = bench::uniform_values(ni, table.first(), table.last(), 8);
  std::vector<double> yi(ni);
  gsl_set_error_handler_off();
  gsl_interp* interp = gsl_interp_alloc(gsl_interp_linear, n);
  gsl_interp_init(interp, table.x.data(), table.y.data(), n);
  gsl_interp_accel* accel = accelerated ? gsl_interp_accel_alloc() : nullptr;
  for (auto _ : state) {
    for (int i = 0; i < ni; ++i) {
      yi[i] = gsl_interp_eval(interp, table.x.data(), table.y.data(), xi[i], accel);
    }
    benchmark::ClobberMemory();
  }
  if (accel != nullptr) gsl_interp_accel_free(accel);
  gsl_interp_free(interp);
}

void BM_GslInterpLinearAccel(benchmark::State& state) { linear(state, true); }
void BM_GslInterpLinearBsearch(benchmark::State& state) { linear(state, false); }

BENCHMARK(BM_GslInterpLinearAccel)
    ->ArgNames({"n", "ni"})
    ->Args({100000, 1000000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GslInterpLinearBsearch)
    ->ArgNames({"n", "ni"})
    ->Args({100000, 1000000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
