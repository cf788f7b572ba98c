// LAPACK's dense LU, the peer of quadrel's: dgetrf, dgetrs (one right-hand side) and dgetri on
// the same matrices as lu_bench.cpp. Which LAPACK and BLAS run is chosen by the dynamic linker
// (liblapack.so.3, libblas.so.3), so one program times the reference libraries or OpenBLAS.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "lapack_declarations.h"

namespace {

void BM_Dgetrf(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> matrix = bench::random_matrix(n);
  std::vector<double> a(matrix.size());
  std::vector<int> ipiv(n);
  int info = 0;
  for (auto _ : state) {
    state.PauseTiming();
    a = matrix;
    state.ResumeTiming();
    dgetrf_(&n, &n, a.data(), &n, ipiv.data(), &info);
    benchmark::ClobberMemory();
  }
  if (info != 0) state.SkipWithError("dgetrf failed");
}
BENCHMARK(BM_Dgetrf)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Dgetrs(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> a = bench::random_matrix(n);
  std::vector<int> ipiv(n);
  int info = 0;
  dgetrf_(&n, &n, a.data(), &n, ipiv.data(), &info);
  const std::vector<double> rhs = bench::uniform_values(n, -1.0, 1.0, 11);
  std::vector<double> b(n);
  const int one = 1;
  for (auto _ : state) {
    b = rhs;
    dgetrs_("N", &n, &one, a.data(), &n, ipiv.data(), b.data(), &n, &info, 1);
    benchmark::ClobberMemory();
  }
  if (info != 0) state.SkipWithError("dgetrs failed");
}
BENCHMARK(BM_Dgetrs)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Dgetri(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> factors = bench::random_matrix(n);
  std::vector<int> ipiv(n);
  int info = 0;
  dgetrf_(&n, &n, factors.data(), &n, ipiv.data(), &info);
  // Workspace query, then the optimal workspace.
  double optimal = 0.0;
  const int query = -1;
  dgetri_(&n, factors.data(), &n, ipiv.data(), &optimal, &query, &info);
  const int lwork = static_cast<int>(optimal);
  std::vector<double> work(lwork);
  std::vector<double> a(factors.size());
  for (auto _ : state) {
    state.PauseTiming();
    a = factors;
    state.ResumeTiming();
    dgetri_(&n, a.data(), &n, ipiv.data(), work.data(), &lwork, &info);
    benchmark::ClobberMemory();
  }
  if (info != 0) state.SkipWithError("dgetri failed");
}
BENCHMARK(BM_Dgetri)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
