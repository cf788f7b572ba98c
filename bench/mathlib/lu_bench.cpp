// Dense LU: factorisation, solution of one right-hand side and inversion of a random matrix
// of order n. Copying the input before each factorisation or inversion is not timed.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

void BM_LuFactor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> matrix = bench::random_matrix(n);
  std::vector<double> a(matrix.size());
  std::vector<int> ipvt(n);
  for (auto _ : state) {
    state.PauseTiming();
    a = matrix;
    state.ResumeTiming();
    benchmark::DoNotOptimize(import_mathfunction_LU_Zerlegung(a.data(), n, n, ipvt.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LuFactor)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LuSolve(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> a = bench::random_matrix(n);
  std::vector<int> ipvt(n);
  import_mathfunction_LU_Zerlegung(a.data(), n, n, ipvt.data());
  const std::vector<double> rhs = bench::uniform_values(n, -1.0, 1.0, 11);
  std::vector<double> b(n);
  for (auto _ : state) {
    b = rhs;
    benchmark::DoNotOptimize(
        import_mathfunction_loesung_lin_gls(a.data(), n, n, ipvt.data(), b.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LuSolve)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LuInverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> factors = bench::random_matrix(n);
  std::vector<int> ipvt(n);
  import_mathfunction_LU_Zerlegung(factors.data(), n, n, ipvt.data());
  std::vector<double> a(factors.size());
  for (auto _ : state) {
    state.PauseTiming();
    a = factors;
    state.ResumeTiming();
    benchmark::DoNotOptimize(import_mathfunction_inversion_matrix(a.data(), n, n, ipvt.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LuInverse)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
