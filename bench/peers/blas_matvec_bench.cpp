// BLAS dgemv, the peer of quadrel's matrix-vector product, on the same data as
// matvec_bench.cpp.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "lapack_declarations.h"

namespace {

void BM_Dgemv(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = bench::random_matrix(n);
  const std::vector<double> x = bench::uniform_values(n, -1.0, 1.0, 11);
  std::vector<double> y = bench::uniform_values(n, -1.0, 1.0, 12);
  const double alpha = 1.5;
  const double beta = 0.5;
  const int one = 1;
  for (auto _ : state) {
    dgemv_("N", &n, &n, &alpha, a.data(), &n, x.data(), &one, &beta, y.data(), &one, 1);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Dgemv)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
