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

// Writes one double: "VARVAL" with a host variable id, "DM" with a body id.
ZKSLV_API void sysfnc(void* handle, const char* name, int* ids, int id_count, double* value,
                      int* status);

// Writes a body quantity into `values` (room for nine): "TDISP", "TVEL", "TACC", "RVEL",
// "RACC" three values each, "AM" the nine values of the orientation matrix.
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
