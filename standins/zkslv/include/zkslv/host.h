// The stand-in host: libzkslv.so forwards each service to the installed Host object.
#pragma once

#include "host_api/host_services.h"

namespace zkslv {

// What a driving program (the demo host, a test's recording host) implements. The
// arguments are those of the C services, less the status integer, which the stand-in
// sets to 0 itself.
class Host {
 public:
  virtual void sysfnc(void* handle, const char* name, const int* ids, int id_count,
                      double* value) = 0;
  virtual void sysary(void* handle, const char* name, const int* ids, int id_count, double* values,
                      int* value_count) = 0;
  virtual void msgprint(void* handle, const char* text, double value) = 0;
  virtual void write_message(void* handle, const char* text) = 0;
  virtual void terminate_solver(void* handle) = 0;
  // `buffer` holds 1024 char16_t, cleared; write a NUL-terminated path.
  virtual void model_path(void* handle, char16_t* buffer) = 0;

 protected:
  ~Host() = default;
};

}  // namespace zkslv

// Installs the object that serves the services from now on (null: none). Without a host
// the services leave their outputs untouched and set the status to 1.
extern "C" ZKSLV_API void zkslv_install_host(zkslv::Host* host);
