// LAPACK's band LU, the peer of quadrel's: dgbtrf and dgbtrs (one right-hand side) on the same
// band arrays as band_lu_bench.cpp (both use the same storage).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "lapack_declarations.h"

namespace {

void band_sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n", "ml"})->Args({1000000, 1})->Args({100000, 10});
  b->Unit(benchmark::kMillisecond);
}

void BM_Dgbtrf(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int ml = static_cast<int>(state.range(1));
  const int lda = bench::band_rows(ml, ml);
  const std::vector<double> band = bench::random_band(n, ml, ml);
  std::vector<double> abd(band.size());
  std::vector<int> ipiv(n);
  int info = 0;
  for (auto _ : state) {
    state.PauseTiming();
    abd = band;
    state.ResumeTiming();
    dgbtrf_(&n, &n, &ml, &ml, abd.data(), &lda, ipiv.data(), &info);
    benchmark::ClobberMemory();
  }
  if (info != 0) state.SkipWithError("dgbtrf failed");
}
BENCHMARK(BM_Dgbtrf)->Apply(band_sizes);

void BM_Dgbtrs(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int ml = static_cast<int>(state.range(1));
  const int lda = bench::band_rows(ml, ml);
  std::vector<double> abd = bench::random_band(n, ml, ml);
  std::vector<int> ipiv(n);
  int info = 0;
  dgbtrf_(&n, &n, &ml, &ml, abd.data(), &lda, ipiv.data(), &info);
  const std::vector<double> rhs = bench::uniform_values(n, -1.0, 1.0, 11);
  std::vector<double> b(n);
  const int one = 1;
  for (auto _ : state) {
    state.PauseTiming();
    b = rhs;
    state.ResumeTiming();
    dgbtrs_("N", &n, &ml, &ml, &one, abd.data(), &lda, ipiv.data(), b.data(), &n, &info, 1);
    benchmark::ClobberMemory();
  }
  if (info != 0) state.SkipWithError("dgbtrs failed");
}
BENCHMARK(BM_Dgbtrs)->Apply(band_sizes);

}  // namespace
