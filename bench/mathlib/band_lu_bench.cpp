// Band LU: factorisation and solution of one right-hand side for a random band matrix, of
// order 10^6 with one sub- and one super-diagonal and of order 10^5 with ten of each.
// Copying the input before each factorisation is not timed.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

// Arguments of every benchmark: n, then ml = mu.
void band_sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n", "ml"})->Args({1000000, 1})->Args({100000, 10});
  b->Unit(benchmark::kMillisecond);
}

void BM_BandFactor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int ml = static_cast<int>(state.range(1));
  const int lda = bench::band_rows(ml, ml);
  const std::vector<double> band = bench::random_band(n, ml, ml);
  std::vector<double> abd(band.size());
  std::vector<int> ipvt(n);
  for (auto _ : state) {
    state.PauseTiming();
    abd = band;
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        import_mathfunction_LU_Zerlegung_band(abd.data(), lda, n, ml, ml, ipvt.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BandFactor)->Apply(band_sizes);

void BM_BandSolve(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int ml = static_cast<int>(state.range(1));
  const int lda = bench::band_rows(ml, ml);
  std::vector<double> abd = bench::random_band(n, ml, ml);
  std::vector<int> ipvt(n);
  import_mathfunction_LU_Zerlegung_band(abd.data(), lda, n, ml, ml, ipvt.data());
  const std::vector<double> rhs = bench::uniform_values(n, -1.0, 1.0, 11);
  std::vector<double> b(n);
  for (auto _ : state) {
    state.PauseTiming();
    b = rhs;
    state.ResumeTiming();
    benchmark::DoNotOptimize(import_mathfunction_loesung_lin_gls_band(abd.data(), lda, n, ml, ml,
                                                                      ipvt.data(), b.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BandSolve)->Apply(band_sizes);

}  // namespace
