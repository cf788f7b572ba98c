// A stand-in for the user-subroutine library in the host's tests: it records every call of
// calc_external_force with what the host services answered, and acts as scripted.
#pragma once

#include <limits>
#include <string>
#include <vector>

struct SubroutineCall {
  int mode = 0;
  double time = 0.0;
  void* handle = nullptr;
  std::string library, config;
  std::vector<double> params;  // 8 + N values
  // The services' answers for the element's first body, asked on every call.
  double interval = 0.0;                                            // "VARVAL" of params[3]
  double distance = 0.0;                                            // "DM"
  double position[3] = {}, velocity[3] = {}, acceleration[3] = {};  // TDISP, TVEL, TACC
  double angular_velocity[3] = {}, angular_acceleration[3] = {};    // RVEL, RACC
  double orientation[9] = {};                                       // AM
  std::u16string model_path;                                        // GET_ZKSPATH_S
};

struct SubroutineScript {
  std::vector<SubroutineCall> calls;
  // Written to the result array on evaluation calls of the element numbered
  // `loaded_element` (params[0]), up to six per body, when not empty; only on its first
  // evaluation call when `loads_once`.
  std::vector<double> loads;
  int loaded_element = 1;
  bool loads_once = false;
  // On the evaluation call at this time: msgprint `stop_text`, or write_message it when
  // `relay_failure`, then terminate_solver.
  double terminate_at = std::numeric_limits<double>::quiet_NaN();
  std::string stop_text = "Stop at ";
  bool relay_failure = false;
  // On the call of this mode at this time: throw std::runtime_error(throw_text).
  double throw_at = std::numeric_limits<double>::quiet_NaN();
  int throw_mode = 0;
  std::string throw_text = "scripted failure";
};

// The script of the loaded fixture library.
extern "C" __attribute__((visibility("default"))) SubroutineScript* recording_subroutine_script();
using RecordingSubroutineScriptFunction = SubroutineScript* (*)();
