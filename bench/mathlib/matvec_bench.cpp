// Matrix-vector product y := alpha*A*x + beta*y for a square matrix of order n, with unit
// and negative strides.
#include <benchmark/benchmark.h>

#include <vector>

#include "quadrel.h"

namespace {

void BM_MatrixVectorProduct(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int stride = static_cast<int>(state.range(1));
  const std::vector<double> a(std::size_t(n) * n, 0.5);
  const std::vector<double> x(std::size_t(n) * (stride < 0 ? -stride : stride), 1.25);
  std::vector<double> y(x.size(), 2.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(import_mathfunction_matrix_vektor_produkt(
        n, n, 1.5, a.data(), n, x.data(), stride, 0.5, y.data(), stride));
  }
}
BENCHMARK(BM_MatrixVectorProduct)->Args({50, 1})->Args({500, 1})->Args({500, -2});

}  // namespace
