// Dense LU: factorisation, solution and inversion of a random matrix of order n.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "quadrel.h"

namespace {

std::vector<double> random_matrix(int n) {
  std::mt19937_64 rng(0x5eed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> a(std::size_t(n) * n);
  for (double& v : a) v = value(rng);
  return a;
}

void BM_Factor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> matrix = random_matrix(n);
  std::vector<int> ipvt(n);
  for (auto _ : state) {
    std::vector<double> a = matrix;
    benchmark::DoNotOptimize(import_mathfunction_LU_Zerlegung(a.data(), n, n, ipvt.data()));
  }
}
BENCHMARK(BM_Factor)->Arg(10)->Arg(50)->Arg(200);

void BM_Solve(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> a = random_matrix(n);
  std::vector<int> ipvt(n);
  import_mathfunction_LU_Zerlegung(a.data(), n, n, ipvt.data());
  std::vector<double> b(n, 1.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        import_mathfunction_loesung_lin_gls(a.data(), n, n, ipvt.data(), b.data()));
  }
}
BENCHMARK(BM_Solve)->Arg(10)->Arg(50)->Arg(200);

void BM_Inverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> factors = random_matrix(n);
  std::vector<int> ipvt(n);
  import_mathfunction_LU_Zerlegung(factors.data(), n, n, ipvt.data());
  for (auto _ : state) {
    std::vector<double> a = factors;
    benchmark::DoNotOptimize(import_mathfunction_inversion_matrix(a.data(), n, n, ipvt.data()));
  }
}
BENCHMARK(BM_Inverse)->Arg(10)->Arg(50)->Arg(200);

}  // namespace
