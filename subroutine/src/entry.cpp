// The entry: read the parameters, fetch the interval variable, dispatch on the mode.
#include <cmath>
#include <limits>
#include <stdexcept>

#include "call.h"
#include "host_api/host_services.h"
#include "ostrel/calc_external_force.h"

namespace ostrel {

int to_int(double value) noexcept {
  constexpr double kMax = std::numeric_limits<int>::max();
  constexpr double kMin = std::numeric_limits<int>::min();
  if (std::isnan(value)) return 0;
  if (value >= kMax) return std::numeric_limits<int>::max();
  if (value <= kMin) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

ElementParams ElementParams::read(const double* params) noexcept {
  ElementParams p;
  p.instance_key = to_int(params[kInstanceKey]);
  p.interval_variable_id = to_int(params[kIntervalVariableId]);
  p.auto_stop_enabled = to_int(params[kAutoStopEnabled]);
  p.auto_stop_kind = to_int(params[kAutoStopCriterion]);
  p.auto_stop_tolerance = params[kAutoStopTolerance];
  p.body_count = to_int(params[kBodyCount]);
  p.raw = params;
  return p;
}

}  // namespace ostrel

extern "C" void calc_external_force(void* handle, double time, const char* library_name,
                                    const char* config_path, const double* params,
                                    void* /*unused1*/, void* /*unused2*/, int mode,
                                    double* result) {
  ostrel::Call call{handle, time, library_name, config_path, ostrel::ElementParams::read(params),
                    result};

  int variable_id = call.params.interval_variable_id;
  sysfnc(handle, host_api::kVariableValue, &variable_id, 1, &call.interval, &call.status);

  if (call.params.body_count < 0) {
    throw std::invalid_argument("calc_external_force: the body count (params[7]) is " +
                                std::to_string(call.params.body_count) +
                                "; it must not be negative");
  }

  switch (static_cast<ostrel::CallMode>(mode)) {
    case ostrel::CallMode::kInitialise:
      ostrel::initialise(call);
      break;
    case ostrel::CallMode::kEvaluate:
      ostrel::evaluate(call);
      break;
    case ostrel::CallMode::kReset:
      ostrel::reset(call);
      break;
    case ostrel::CallMode::kCheckPositions:
      if (call.params.position_criterion()) ostrel::check_positions(call);
      break;
    default:
      break;
  }
}
