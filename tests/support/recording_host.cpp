// The recording host's services.
#include "recording_host.h"

#include <algorithm>

namespace test_support {

std::vector<HostCall> RecordingHost::calls_of(const std::string& service) const {
  std::vector<HostCall> out;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
               [&](const HostCall& c) { return c.service == service; });
  return out;
}

std::vector<std::string> RecordingHost::names(const std::string& service) const {
  std::vector<std::string> out;
  for (const HostCall& c : calls_of(service)) out.push_back(c.name);
  return out;
}

void RecordingHost::sysfnc(void* handle, const char* name, const int* ids, int /*id_count*/,
                           double* value) {
  calls_.push_back({"sysfnc", name, ids[0], 0, 0.0, handle});
  if (auto f = scalar_functions_.find(name); f != scalar_functions_.end()) {
    *value = f->second(ids[0]);
  } else if (auto s = scalars_.find({name, ids[0]}); s != scalars_.end()) {
    *value = s->second;
  }
}

void RecordingHost::sysary(void* handle, const char* name, const int* ids, int /*id_count*/,
                           double* values, int* value_count) {
  calls_.push_back({"sysary", name, ids[0], *value_count, 0.0, handle});
  if (auto a = arrays_.find({name, ids[0]}); a != arrays_.end()) {
    std::copy_n(a->second.begin(), std::min<size_t>(a->second.size(), 9), values);
  }
}

void RecordingHost::msgprint(void* handle, const char* text, double value) {
  calls_.push_back({"msgprint", text, 0, 0, value, handle});
}

void RecordingHost::write_message(void* handle, const char* text) {
  calls_.push_back({"write_message", text, 0, 0, 0.0, handle});
}

void RecordingHost::terminate_solver(void* handle) {
  calls_.push_back({"terminate_solver", "", 0, 0, 0.0, handle});
}

void RecordingHost::model_path(void* handle, char16_t* buffer) {
  calls_.push_back({"GET_ZKSPATH_S", "", 0, 0, 0.0, handle});
  const size_t length = std::min<size_t>(model_path_.size(), kModelPathCapacity - 1);
  std::copy_n(model_path_.begin(), length, buffer);
  buffer[length] = u'\0';
}

}  // namespace test_support
