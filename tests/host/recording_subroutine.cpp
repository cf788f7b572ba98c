// The recording subroutine: calc_external_force that asks the host services and records.
#include "recording_subroutine.h"

#include <algorithm>
#include <stdexcept>

#include "host_api/host_services.h"

namespace {

SubroutineScript script;

void ask_services(void* handle, int body, int variable, SubroutineCall& call) {
  int status = 0;
  int id = variable;
  sysfnc(handle, "VARVAL", &id, 1, &call.interval, &status);
  id = body;
  sysfnc(handle, "DM", &id, 1, &call.distance, &status);
  struct Query {
    const char* name;
    double* target;
    int count;
  };
  const Query queries[] = {{"TDISP", call.position, 3},
                           {"TVEL", call.velocity, 3},
                           {"TACC", call.acceleration, 3},
                           {"RVEL", call.angular_velocity, 3},
                           {"RACC", call.angular_acceleration, 3},
                           {"AM", call.orientation, 9}};
  for (const Query& q : queries) {
    double values[9] = {};
    int count = q.count;
    sysary(handle, q.name, &id, 1, values, &count, &status);
    for (int i = 0; i < q.count; ++i) q.target[i] = values[i];
  }
  char16_t path[kModelPathCapacity] = {};
  GET_ZKSPATH_S(handle, 0, path, &status);
  call.model_path = path;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) SubroutineScript* recording_subroutine_script() {
  return &script;
}

extern "C" __attribute__((visibility("default"))) void calc_external_force(
    void* handle, double time, const char* library_name, const char* config_path,
    const double* params, void* /*unused1*/, void* /*unused2*/, int mode, double* result) {
  const int body_count = static_cast<int>(params[7]);
  SubroutineCall call;
  call.mode = mode;
  call.time = time;
  call.handle = handle;
  call.library = library_name;
  call.config = config_path;
  call.params.assign(params, params + 8 + body_count);
  if (body_count > 0)
    ask_services(handle, static_cast<int>(params[8]), static_cast<int>(params[3]), call);
  script.calls.push_back(call);

  if (mode == script.throw_mode && time == script.throw_at) {
    throw std::runtime_error(script.throw_text);
  }
  if (mode != 0) return;
  int evaluations = 0;
  for (const SubroutineCall& c : script.calls) {
    evaluations += c.mode == 0 && c.params[0] == params[0] ? 1 : 0;
  }
  const bool loaded = static_cast<int>(params[0]) == script.loaded_element;
  if (loaded && !script.loads.empty() && (!script.loads_once || evaluations == 1)) {
    const size_t count = std::min(script.loads.size(), static_cast<size_t>(6 * body_count));
    for (size_t i = 0; i < count; ++i) result[i] = script.loads[i];
  }
  if (time == script.terminate_at) {
    int status = 0;
    if (script.relay_failure) {
      write_message(handle, script.stop_text.c_str());
    } else {
      msgprint(handle, script.stop_text.c_str(), time, &status);
    }
    terminate_solver(handle, &status);
  }
}
