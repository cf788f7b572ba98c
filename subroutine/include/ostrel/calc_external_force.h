// The one export of ostrel: the user subroutine of an external force element.
#pragma once

#if defined(OSTREL_BUILDING)
#define OSTREL_API __attribute__((visibility("default")))
#else
#define OSTREL_API
#endif

namespace ostrel {

// The values of `mode`.
enum class CallMode : int {
  kInitialise = -1,     // bind the provider library, hand the provider `config_path`
  kEvaluate = 0,        // interface with the provider when due, return the loads
  kReset = 1,           // clear the element's automatic-stop history
  kCheckPositions = 2,  // the position criterion of the automatic stop
};

// Positions in `params`. Elements 0 and 1 are not read; the N body ids follow the count.
enum ParamIndex : int {
  kInstanceKey = 2,         // key of the element's automatic-stop history
  kIntervalVariableId = 3,  // host variable holding the time between interfacings
  kAutoStopEnabled = 4,     // kAutoStopOn switches the automatic stop on
  kAutoStopCriterion = 5,   // an AutoStopCriterion
  kAutoStopTolerance = 6,   // tolerance of either criterion, used as a double
  kBodyCount = 7,           // N
  kFirstBodyId = 8,         // host ids of bodies 0 .. N-1 at kFirstBodyId .. kFirstBodyId + N-1
};

// The value of params[kAutoStopEnabled] that switches the automatic stop on; any other
// value leaves it off.
inline constexpr int kAutoStopOn = 1;

// The values of params[kAutoStopCriterion].
enum AutoStopCriterion : int {
  kPositionCriterion = 1,  // the swing of the bodies' distance values, at position checks
  kForceCriterion = 2,     // the change of each body's force magnitude, at interfacings
};

}  // namespace ostrel

extern "C" {

// Called by the host with a `mode` of ostrel::CallMode and the element's parameters laid
// out as ostrel::ParamIndex says (integers are truncated toward zero). An evaluation call
// that interfaces with the provider writes six values per body to `result`. `unused1` and
// `unused2` are never read. Failures leave as C++ exceptions derived from std::exception.
OSTREL_API void calc_external_force(void* handle, double time, const char* library_name,
                                    const char* config_path, const double* params, void* unused1,
                                    void* unused2, int mode, double* result);

}  // extern "C"

using CalcExternalForceFunction = void (*)(void*, double, const char*, const char*, const double*,
                                           void*, void*, int, double*);
