// One call of calc_external_force: its arguments, the element's parameters and the
// interval value, shared by the handlers of the four modes.
#pragma once

#include <string>

#include "ostrel/calc_external_force.h"

namespace ostrel {

// A double from the host's parameter array as a 32-bit integer: truncated toward zero,
// saturated at the ends of the range, 0 for NaN.
int to_int(double value) noexcept;

// The force element's parameters, read from the positions that ParamIndex names.
struct ElementParams {
  int instance_key = 0;
  int interval_variable_id = 0;
  int auto_stop_enabled = 0;
  int auto_stop_kind = 0;
  double auto_stop_tolerance = 0.0;
  int body_count = 0;
  const double* raw = nullptr;

  static ElementParams read(const double* params) noexcept;

  int body_id(int body) const noexcept { return to_int(raw[kFirstBodyId + body]); }
  bool force_criterion() const noexcept {
    return auto_stop_enabled == kAutoStopOn && auto_stop_kind == kForceCriterion;
  }
  bool position_criterion() const noexcept {
    return auto_stop_enabled == kAutoStopOn && auto_stop_kind == kPositionCriterion;
  }
};

struct Call {
  void* handle;
  double time;
  const char* library_name;
  const char* config_path;
  ElementParams params;
  double* result;
  double interval = 0.0;  // the value of the interval variable, fetched on every call
  int status = 0;         // handed to every host service; never read
};

// The handlers of the call modes.
void initialise(Call& call);
void evaluate(Call& call);
void reset(Call& call);
void check_positions(Call& call);

// The force criterion of the automatic stop, applied by an evaluation call to the loads
// it received (six values per body, the force first).
void apply_force_criterion(Call& call, const double* loads);

// Asks the host for one kinematic quantity of a body through sysary. `values` receives up
// to nine values; `value_count` is the caller's count, passed as it stands.
void query_body(Call& call, const char* quantity, int body_id, int* value_count, double* values);

}  // namespace ostrel
