// The host services over the model's variables and the bodies' state.
#include "solver_host.h"

#include <algorithm>
#include <cstring>

namespace zkslv {

SolverHost::SolverHost(const Model& model, const MultibodySystem& system, Console& console,
                       std::u16string model_path)
    : model_(model), system_(system), console_(console), model_path_(std::move(model_path)) {
  zkslv_install_host(this);
}

SolverHost::~SolverHost() { zkslv_install_host(nullptr); }

void SolverHost::begin_call() {
  last_text_in_call_.clear();
  lines_written_in_call_ = false;
}

void SolverHost::warn_once(const std::string& what) {
  if (!warned_.insert(what).second) return;
  console_.warning(what);
}

int SolverHost::body_of(const char* name, int id) {
  const int index = model_.body_index(id);
  if (index < 0) {
    warn_once(std::string("the subroutine asked for \"") + name + "\" of body " +
              std::to_string(id) + ", which the model does not have");
  }
  return index;
}

void SolverHost::sysfnc(void* /*handle*/, const char* name, const int* ids, int id_count,
                        double* value) {
  if (id_count < 1) return;
  if (std::strcmp(name, host_api::kVariableValue) == 0) {
    const Variable* variable = model_.find_variable(ids[0]);
    if (variable != nullptr) {
      *value = variable->value;
    } else {
      warn_once("the subroutine asked for the value of variable " + std::to_string(ids[0]) +
                ", which the model does not have");
    }
  } else if (std::strcmp(name, host_api::kDistance) == 0) {
    const int body = body_of(name, ids[0]);
    if (body >= 0) *value = system_.distance_value(body);
  } else {
    warn_once(std::string("the subroutine asked for the unknown quantity \"") + name + "\"");
  }
}

void SolverHost::sysary(void* /*handle*/, const char* name, const int* ids, int id_count,
                        double* values, int* /*value_count*/) {
  if (id_count < 1) return;
  const std::string quantity(name);
  const bool known =
      quantity == host_api::kPosition || quantity == host_api::kVelocity ||
      quantity == host_api::kAcceleration || quantity == host_api::kAngularVelocity ||
      quantity == host_api::kAngularAcceleration || quantity == host_api::kOrientation;
  if (!known) {
    warn_once("the subroutine asked for the unknown quantity \"" + quantity + "\"");
    return;
  }
  const int body = body_of(name, ids[0]);
  if (body < 0) return;
  const BodyState& s = system_.state(body);
  auto put = [values](const Eigen::Vector3d& v) { std::copy(v.data(), v.data() + 3, values); };
  if (quantity == host_api::kPosition) put(s.position);
  if (quantity == host_api::kVelocity) put(s.velocity);
  if (quantity == host_api::kAcceleration) put(s.acceleration);
  if (quantity == host_api::kAngularVelocity) put(s.angular_velocity);
  if (quantity == host_api::kAngularAcceleration) put(s.angular_acceleration);
  if (quantity == host_api::kOrientation) {
    const Eigen::Matrix3d r = system_.rotation(body);
    for (int row = 0; row < 3; ++row) {
      for (int col = 0; col < 3; ++col) values[3 * row + col] = r(row, col);
    }
  }
}

void SolverHost::msgprint(void* /*handle*/, const char* text, double value) {
  last_text_in_call_ = std::string(text) + format_time(value);
  console_.message(time_, last_text_in_call_);
}

void SolverHost::write_message(void* /*handle*/, const char* text) {
  last_text_in_call_ = text;
  lines_written_in_call_ = true;
  console_.message(time_, text);
}

void SolverHost::terminate_solver(void* /*handle*/) {
  if (lines_written_in_call_) failure_reported_ = true;
  if (termination_requested_) return;
  termination_requested_ = true;
  termination_time_ = time_;
  termination_text_ = last_text_in_call_;
}

void SolverHost::model_path(void* /*handle*/, char16_t* buffer) {
  const size_t n = std::min(model_path_.size(), static_cast<size_t>(kModelPathCapacity - 1));
  std::copy(model_path_.begin(), model_path_.begin() + static_cast<std::ptrdiff_t>(n), buffer);
  buffer[n] = u'\0';
}

}  // namespace zkslv
