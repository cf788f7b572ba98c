// Helpers for driving calc_external_force in tests: the parameter array and the probe.
#pragma once

#include <vector>

#include "ostrel/calc_external_force.h"
#include "provider_probe.h"
#include "recording_host.h"

namespace test_support {

inline constexpr int kIntervalVariable = 41;
inline void* const kHandle = reinterpret_cast<void*>(0x5eed);

struct Element {
  double instance_key = 3;
  double interval_variable_id = kIntervalVariable;
  double auto_stop_enabled = 0;
  double auto_stop_kind = 0;
  double auto_stop_tolerance = 0.0;
  std::vector<double> body_ids;

  std::vector<double> params() const {
    std::vector<double> p{-1.0,
                          -1.0,
                          instance_key,
                          interval_variable_id,
                          auto_stop_enabled,
                          auto_stop_kind,
                          auto_stop_tolerance,
                          double(body_ids.size())};
    p.insert(p.end(), body_ids.begin(), body_ids.end());
    return p;
  }
};

inline void call(const Element& element, int mode, double time = 0.0,
                 const char* library = "fixture_provider", const char* config = "em.cfg",
                 double* result = nullptr) {
  const std::vector<double> params = element.params();
  calc_external_force(kHandle, time, library, config, params.data(), nullptr, nullptr, mode,
                      result);
}

}  // namespace test_support
