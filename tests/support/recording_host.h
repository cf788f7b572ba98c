// A host for tests: answers the services from scripted values and records every call.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "zkslv/host.h"

namespace test_support {

struct HostCall {
  std::string service;  // "sysfnc", "sysary", "msgprint", "write_message", ...
  std::string name;     // quantity name or message text
  int id = 0;           // the one id of sysfnc/sysary
  int value_count = 0;  // sysary: the value count on entry
  double value = 0.0;   // msgprint: the double
  void* handle = nullptr;
};

class RecordingHost final : public zkslv::Host {
 public:
  RecordingHost() { zkslv_install_host(this); }
  ~RecordingHost() { zkslv_install_host(nullptr); }
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  // Scripted answers. A quantity without script leaves the caller's values untouched.
  void set_scalar(const std::string& name, int id, double value) { scalars_[{name, id}] = value; }
  void set_array(const std::string& name, int id, std::vector<double> values) {
    arrays_[{name, id}] = std::move(values);
  }
  // Answers a quantity through a function of the id (overrides set_scalar for that name).
  void set_scalar_function(const std::string& name, std::function<double(int)> f) {
    scalar_functions_[name] = std::move(f);
  }
  void set_model_path(std::u16string path) { model_path_ = std::move(path); }

  const std::vector<HostCall>& calls() const { return calls_; }
  void clear() { calls_.clear(); }

  // The calls of one service, in order; names() gives just their quantity names or texts.
  std::vector<HostCall> calls_of(const std::string& service) const;
  std::vector<std::string> names(const std::string& service) const;
  int terminations() const { return static_cast<int>(calls_of("terminate_solver").size()); }

  void sysfnc(void* handle, const char* name, const int* ids, int id_count, double* value) override;
  void sysary(void* handle, const char* name, const int* ids, int id_count, double* values,
              int* value_count) override;
  void msgprint(void* handle, const char* text, double value) override;
  void write_message(void* handle, const char* text) override;
  void terminate_solver(void* handle) override;
  void model_path(void* handle, char16_t* buffer) override;

 private:
  std::map<std::pair<std::string, int>, double> scalars_;
  std::map<std::string, std::function<double(int)>> scalar_functions_;
  std::map<std::pair<std::string, int>, std::vector<double>> arrays_;
  std::u16string model_path_;
  std::vector<HostCall> calls_;
};

}  // namespace test_support
