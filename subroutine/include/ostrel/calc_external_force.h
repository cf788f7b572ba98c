// The one export of ostrel: the user subroutine of an external force element.
#pragma once

#if defined(OSTREL_BUILDING)
#define OSTREL_API __attribute__((visibility("default")))
#else
#define OSTREL_API
#endif

extern "C" {

// Called by the host with `mode` -1 (initialise the element: load the provider library
// `library_name` once per name and hand it `config_path`), 1 (reset the automatic-stop
// history), 0 (evaluate: interface with the provider when due and write six values per
// body to `result`) or 2 (position check of the automatic stop).
//
// `params`: [2] instance key, [3] interval variable id, [4] automatic stop enabled (1),
// [5] criterion (2 force, 1 position), [6] tolerance, [7] body count N, [8 .. 8+N-1] body
// ids; integers are truncated toward zero. `unused1` and `unused2` are never read.
// Failures leave as C++ exceptions derived from std::exception.
OSTREL_API void calc_external_force(void* handle, double time, const char* library_name,
                                    const char* config_path, const double* params, void* unused1,
                                    void* unused2, int mode, double* result);

}  // extern "C"

using CalcExternalForceFunction = void (*)(void*, double, const char*, const char*, const double*,
                                           void*, void*, int, double*);
