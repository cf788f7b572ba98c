// GSL's natural cubic spline, the peer of quadrel's cubic spline (whose end conditions differ:
// parabolic run-out), on the same table and points as spline_bench.cpp. The set-up allocates,
// initialises and frees the spline, as quadrel's set-up obtains and releases its scratch.
#include <benchmark/benchmark.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_spline.h>

#include <vector>

#include "bench_inputs.h"

namespace {

constexpr int kEvaluations = 1000;

void BM_GslSplineSetup(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bench::Table table = bench::ascending_table(n);
  gsl_set_error_handler_off();
  for (auto _ : state) {
    gsl_spline* spline = gsl_spline_alloc(gsl_interp_cspline, n);
    gsl_spline_init(spline, table.x.data(), table.y.data(), n);
    benchmark::DoNotOptimize(gsl_spline_eval(spline, table.first(), nullptr));
    gsl_spline_free(spline);
  }
}
BENCHMARK(BM_GslSplineSetup)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GslSplineEvaluate(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bench::Table table = bench::ascending_table(n);
  gsl_set_error_handler_off();
  gsl_spline* spline = gsl_spline_alloc(gsl_interp_cspline, n);
  gsl_spline_init(spline, table.x.data(), table.y.data(), n);
  gsl_interp_accel* accel = gsl_interp_accel_alloc();
  const std::vector<double> xi =
      bench::uniform_values(kEvaluations, table.first(), table.last(), 8);
  for (auto _ : state) {
    for (const double t : xi) benchmark::DoNotOptimize(gsl_spline_eval(spline, t, accel));
  }
  state.counters["items"] = kEvaluations;
  gsl_interp_accel_free(accel);
  gsl_spline_free(spline);
}
BENCHMARK(BM_GslSplineEvaluate)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
