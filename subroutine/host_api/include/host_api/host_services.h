// The services of the host dynamics solver (library zkslv) that ostrel calls.
//
// Every service takes the host's opaque handle first and, except write_message, the
// address of a status integer that the caller never reads. Texts are NUL-terminated
// narrow strings.
#pragma once

#if defined(ZKSLV_BUILDING)
#define ZKSLV_API __attribute__((visibility("default")))
#else
#define ZKSLV_API
#endif

extern "C" {

// Writes one double: host_api::kVariableValue with a host variable id, host_api::kDistance
// with a body id.
ZKSLV_API void sysfnc(void* handle, const char* name, int* ids, int id_count, double* value,
                      int* status);

// Writes a body quantity into `values` (room for host_api::kMaxValueCount): one of the
// host_api vector quantities, three values each, or host_api::kOrientation, nine values.
ZKSLV_API void sysary(void* handle, const char* name, int* ids, int id_count, double* values,
                      int* value_count, int* status);

// Shows `text` with `value` (the current time).
ZKSLV_API void msgprint(void* handle, const char* text, double value, int* status);

// Shows `text` as one message line.
ZKSLV_API void write_message(void* handle, const char* text);

// Asks the host to end the run after the current step; returns.
ZKSLV_API void terminate_solver(void* handle, int* status);

// Writes the model file's path as a NUL-terminated UTF-16 string into `buffer`, which
// holds 1024 char16_t.
ZKSLV_API void GET_ZKSPATH_S(void* handle, int zero, char16_t* buffer, int* status);

}  // extern "C"

// Size of the model path buffer, in UTF-16 code units.
inline constexpr int kModelPathCapacity = 1024;

namespace host_api {

// The quantity names of sysfnc.
inline constexpr char kVariableValue[] = "VARVAL";  // a host variable's current value
inline constexpr char kDistance[] = "DM";           // a body's distance value

// The quantity names of sysary: the vector quantities, x, y, z each,
inline constexpr char kPosition[] = "TDISP";
inline constexpr char kVelocity[] = "TVEL";
inline constexpr char kAcceleration[] = "TACC";
inline constexpr char kAngularVelocity[] = "RVEL";
inline constexpr char kAngularAcceleration[] = "RACC";
// and the orientation, the nine values of the body's orientation matrix.
inline constexpr char kOrientation[] = "AM";

// Values per quantity of sysary, also the value count the caller passes with it.
inline constexpr int kVectorValueCount = 3;
inline constexpr int kOrientationValueCount = 9;
// Room that sysary's `values` must have, whatever the quantity.
inline constexpr int kMaxValueCount = kOrientationValueCount;

}  // namespace host_api
