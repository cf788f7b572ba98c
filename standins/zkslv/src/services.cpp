// The six host services, forwarded to the installed Host.
#include <algorithm>

#include "zkslv/host.h"

namespace {
zkslv::Host* installed_host = nullptr;

void set_status(int* status, int value) {
  if (status != nullptr) *status = value;
}
}  // namespace

extern "C" {

void zkslv_install_host(zkslv::Host* host) { installed_host = host; }

void sysfnc(void* handle, const char* name, int* ids, int id_count, double* value, int* status) {
  if (installed_host != nullptr) installed_host->sysfnc(handle, name, ids, id_count, value);
  set_status(status, installed_host != nullptr ? 0 : 1);
}

void sysary(void* handle, const char* name, int* ids, int id_count, double* values,
            int* value_count, int* status) {
  if (installed_host != nullptr) {
    installed_host->sysary(handle, name, ids, id_count, values, value_count);
  }
  set_status(status, installed_host != nullptr ? 0 : 1);
}

void msgprint(void* handle, const char* text, double value, int* status) {
  if (installed_host != nullptr) installed_host->msgprint(handle, text, value);
  set_status(status, installed_host != nullptr ? 0 : 1);
}

void write_message(void* handle, const char* text) {
  if (installed_host != nullptr) installed_host->write_message(handle, text);
}

void terminate_solver(void* handle, int* status) {
  if (installed_host != nullptr) installed_host->terminate_solver(handle);
  set_status(status, installed_host != nullptr ? 0 : 1);
}

void GET_ZKSPATH_S(void* handle, int /*zero*/, char16_t* buffer, int* status) {
  if (installed_host != nullptr) {
    std::fill_n(buffer, kModelPathCapacity, u'\0');  // the host writes into a cleared buffer
    installed_host->model_path(handle, buffer);
  }
  set_status(status, installed_host != nullptr ? 0 : 1);
}

}  // extern "C"
