// A provider that does no work: the benchmark measures ostrel alone.
#include "provider/external_force_provider.h"

namespace {

class TrivialProvider final : public IExternalForceProvider {
 public:
  void Initialize(const char*) override {}
  void Reserved() override {}
  bool Compute(double, int, const double*, const double*, const double*, const double*,
               const double*, const double*, std::vector<std::string>*, bool*) override {
    return true;
  }
  void GetForces(double, int count, double* loads) override {
    for (int i = 0; i < 6 * count; ++i) loads[i] = 1.0;
  }
  void Release() override { delete this; }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) IExternalForceProvider*
GetExternalForceProvider() {
  return new TrivialProvider;
}
