// Time of one-dimensional interpolation of 10^6 random points in an ascending table of 10^5
// entries.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "quadrel.h"

namespace {

void BM_PwlInterpolation(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int ni = static_cast<int>(state.range(1));
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> step(0.1, 1.0);
  std::vector<double> x(n), y(n);
  double at = 0.0;
  for (int k = 0; k < n; ++k) {
    at += step(random);
    x[k] = at;
    y[k] = step(random);
  }
  std::uniform_real_distribution<double> point(-1.0, at + 1.0);
  std::vector<double> xi(ni), yi(ni);
  for (double& t : xi) t = point(random);
  for (auto _ : state) {
    import_mathfunction_1d_pwl_interpolation(n, x.data(), y.data(), ni, xi.data(), yi.data());
    benchmark::DoNotOptimize(yi.data());
  }
}
BENCHMARK(BM_PwlInterpolation)->Args({100000, 1000000})->Unit(benchmark::kMillisecond);

}  // namespace
