// Matrix-vector product y := alpha*A*x + beta*y for a random square matrix of order n, unit
// strides.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "quadrel.h"

namespace {

void BM_MatrixVectorProduct(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = bench::random_matrix(n);
  const std::vector<double> x = bench::uniform_values(n, -1.0, 1.0, 11);
  std::vector<double> y = bench::uniform_values(n, -1.0, 1.0, 12);
  for (auto _ : state) {
    benchmark::DoNotOptimize(import_mathfunction_matrix_vektor_produkt(
        n, n, 1.5, a.data(), n, x.data(), 1, 0.5, y.data(), 1));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MatrixVectorProduct)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
