// Cost of one interfacing evaluation call of ostrel, with a host whose services return at
// once and a provider that does no work, for 1, 100 and 10 000 bodies.
#include <benchmark/benchmark.h>

#include <vector>

#include "ostrel/calc_external_force.h"
#include "zkslv/host.h"

namespace {

class NullHost final : public zkslv::Host {
 public:
  void sysfnc(void*, const char*, const int*, int, double* value) override { *value = 0.0; }
  void sysary(void*, const char*, const int*, int, double* values, int*) override {
    values[0] = 1.0;
  }
  void msgprint(void*, const char*, double) override {}
  void write_message(void*, const char*) override {}
  void terminate_solver(void*) override {}
  void model_path(void*, char16_t*) override {}
};

void BM_InterfacingCall(benchmark::State& state) {
  NullHost host;
  zkslv_install_host(&host);
  const int bodies = static_cast<int>(state.range(0));
  std::vector<double> params = {0, 0, 1, 1, 1, 2, 1e-3, double(bodies)};
  for (int i = 0; i < bodies; ++i) params.push_back(100 + i);
  std::vector<double> result(6 * static_cast<size_t>(bodies));
  calc_external_force(nullptr, 0.0, "bench_trivial_provider", "/none.cfg", params.data(), nullptr,
                      nullptr, -1, nullptr);
  calc_external_force(nullptr, 0.0, "bench_trivial_provider", "", params.data(), nullptr, nullptr,
                      1, nullptr);
  // The due time is shared by all runs of the process: keep the time rising across them.
  static double time = 0.0;
  for (auto _ : state) {
    calc_external_force(nullptr, time, "bench_trivial_provider", "", params.data(), nullptr,
                        nullptr, 0, result.data());
    time += 1e-3;
    benchmark::DoNotOptimize(result.data());
  }
  state.SetItemsProcessed(state.iterations() * bodies);
  state.counters["ns_per_body"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * bodies,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  zkslv_install_host(nullptr);
}
BENCHMARK(BM_InterfacingCall)->Arg(1)->Arg(100)->Arg(10000);

// The host's share of the call above: the six kinematics queries per body through the
// stand-in's services. ostrel's own work per body is the difference of the two rows.
void BM_HostServicesOnly(benchmark::State& state) {
  NullHost host;
  zkslv_install_host(&host);
  const int bodies = static_cast<int>(state.range(0));
  static const char* const kQuantities[] = {"TDISP", "TVEL", "TACC", "RVEL", "RACC", "AM"};
  double values[9];
  int status = 0;
  for (auto _ : state) {
    for (int body = 0; body < bodies; ++body) {
      int id = 100 + body;
      int value_count = 3;
      for (const char* quantity : kQuantities) {
        sysary(nullptr, quantity, &id, 1, values, &value_count, &status);
      }
    }
    benchmark::DoNotOptimize(values);
  }
  state.counters["ns_per_body"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * bodies,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  zkslv_install_host(nullptr);
}
BENCHMARK(BM_HostServicesOnly)->Arg(100)->Arg(10000);

}  // namespace
