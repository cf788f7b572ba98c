// GSL's fixed Gauss-Legendre rule, the peer of quadrel's quadrature, on the same integrand and
// interval as quadrature_bench.cpp. Each call computes (or, for the sizes GSL tabulates, looks
// up) the rule, integrates and frees the rule, as quadrel does within one call. A rule of 10^6
// points is left out: GSL's node computation grows as the square of the size.
#include <benchmark/benchmark.h>
#include <gsl/gsl_integration.h>

namespace {

double smooth(double x, void*) { return 1.0 / (1.0 + x * x); }

void BM_GslGlfixed(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  gsl_function f;
  f.function = smooth;
  f.params = nullptr;
  double result = 0.0;
  for (auto _ : state) {
    gsl_integration_glfixed_table* rule = gsl_integration_glfixed_table_alloc(n);
    if (rule == nullptr) {
      state.SkipWithError("gsl_integration_glfixed_table_alloc failed");
      break;
    }
    result = gsl_integration_glfixed(&f, -2.5, 4.0, rule);
    gsl_integration_glfixed_table_free(rule);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_GslGlfixed)->Arg(10)->Arg(101)->Arg(10000)->Arg(46339)->Unit(benchmark::kMillisecond);

}  // namespace
