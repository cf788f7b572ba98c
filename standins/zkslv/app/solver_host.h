// The host services as the stand-in solver serves them, installed into libzkslv.so for
// the duration of a run.
//
//   sysfnc "VARVAL" id     the value of the model's [[variable]] with that id
//   sysfnc "DM" id         the body's distance value: the distance of its marker from its
//                          reference point (by default the marker's start position), m
//   sysary "TDISP" id      the centre of mass x, y, z, m
//   sysary "TVEL" id       its velocity, m/s
//   sysary "TACC" id       its acceleration over the last step, m/s²
//   sysary "RVEL" id       the angular velocity, world frame, rad/s
//   sysary "RACC" id       the angular acceleration over the last step, rad/s²
//   sysary "AM" id         the body-to-world rotation matrix R, row by row: R[3 row + col]
//   GET_ZKSPATH_S          the absolute model path, UTF-16
//
// Messages are shown with the simulation time. terminate_solver records the request; the
// run ends after the step in which it came.
#pragma once

#include <set>
#include <string>
#include <utility>

#include "console.h"
#include "dynamics.h"
#include "model.h"
#include "zkslv/host.h"

namespace zkslv {

class SolverHost final : public Host {
 public:
  // Installs itself into libzkslv.so; the destructor uninstalls it. `model_path` holds at
  // most 1023 UTF-16 units.
  SolverHost(const Model& model, const MultibodySystem& system, Console& console,
             std::u16string model_path);
  ~SolverHost();
  SolverHost(const SolverHost&) = delete;
  SolverHost& operator=(const SolverHost&) = delete;

  void set_time(double time) { time_ = time; }

  // Marks the start of one call of the subroutine, so that a termination request can be
  // told apart when it follows failure lines written in the same call.
  void begin_call();

  bool termination_requested() const { return termination_requested_; }
  double termination_time() const { return termination_time_; }
  // The text of the message that came with the first termination request (the last
  // message before it in the same call), or empty.
  const std::string& termination_text() const { return termination_text_; }
  // True when the subroutine wrote message lines (its way of relaying a failure) and then
  // asked for the end of the run in the same call.
  bool failure_reported() const { return failure_reported_; }

  void sysfnc(void* handle, const char* name, const int* ids, int id_count, double* value) override;
  void sysary(void* handle, const char* name, const int* ids, int id_count, double* values,
              int* value_count) override;
  void msgprint(void* handle, const char* text, double value) override;
  void write_message(void* handle, const char* text) override;
  void terminate_solver(void* handle) override;
  void model_path(void* handle, char16_t* buffer) override;

 private:
  // The body index of an id, or -1 after a warning (once per name and id).
  int body_of(const char* name, int id);
  void warn_once(const std::string& what);

  const Model& model_;
  const MultibodySystem& system_;
  Console& console_;
  std::u16string model_path_;
  double time_ = 0.0;

  bool termination_requested_ = false;
  double termination_time_ = 0.0;
  std::string termination_text_;
  bool failure_reported_ = false;

  std::string last_text_in_call_;
  bool lines_written_in_call_ = false;
  std::set<std::string> warned_;
};

}  // namespace zkslv
