// Band LU: factorisation and solution of a random band matrix of order n with ml = 3 and
// mu = 5.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "quadrel.h"

namespace {

constexpr int kLower = 3;
constexpr int kUpper = 5;
constexpr int kLda = 2 * kLower + kUpper + 1;

std::vector<double> random_band(int n) {
  std::mt19937_64 rng(0x5eed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> abd(std::size_t(kLda) * n);
  for (double& v : abd) v = value(rng);
  return abd;
}

void BM_BandFactor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> band = random_band(n);
  std::vector<int> ipvt(n);
  for (auto _ : state) {
    std::vector<double> abd = band;
    benchmark::DoNotOptimize(
        import_mathfunction_LU_Zerlegung_band(abd.data(), kLda, n, kLower, kUpper, ipvt.data()));
  }
}
BENCHMARK(BM_BandFactor)->Arg(100)->Arg(10000);

void BM_BandSolve(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> abd = random_band(n);
  std::vector<int> ipvt(n);
  import_mathfunction_LU_Zerlegung_band(abd.data(), kLda, n, kLower, kUpper, ipvt.data());
  std::vector<double> b(n, 1.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(import_mathfunction_loesung_lin_gls_band(
        abd.data(), kLda, n, kLower, kUpper, ipvt.data(), b.data()));
  }
}
BENCHMARK(BM_BandSolve)->Arg(100)->Arg(10000);

}  // namespace
