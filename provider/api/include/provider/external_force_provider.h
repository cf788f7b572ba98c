// The external-force provider interface: what ostrel calls on a provider library.
//
// Caller and provider are compiled apart and find each operation by its position in the
// table of virtual functions, so the order below is binding. There is no virtual
// destructor: a provider dies only through Release.
//
// Arrays hold one block per body, body after body: 3 values for positions, velocities,
// accelerations, angular velocities and angular accelerations, 9 for the orientation
// matrix (passed through as the host delivers it), 6 for the loads (force x, y, z, then
// torque x, y, z).
#pragma once

#include <string>
#include <vector>

class IExternalForceProvider {
 public:
  // Configures the provider from its configuration file; may be called more than once.
  // Failures throw a standard exception whose message names the failure.
  virtual void Initialize(const char* config_path) = 0;

  // No role; nobody calls it.
  virtual void Reserved() = 0;

  // One analysis step for `count` bodies. A failure is reported either by setting *ok to
  // false and appending explanation lines to *messages, or by throwing.
  virtual bool Compute(double time, int count, const double* positions, const double* velocities,
                       const double* accelerations, const double* orientations,
                       const double* angular_velocities, const double* angular_accelerations,
                       std::vector<std::string>* messages, bool* ok) = 0;

  // Writes the loads of the last Compute, six per body, into the caller's zeroed array.
  virtual void GetForces(double time, int count, double* loads) = 0;

  // Frees everything the provider holds, then the provider itself.
  virtual void Release() = 0;

 protected:
  IExternalForceProvider() = default;
  IExternalForceProvider(const IExternalForceProvider&) = default;
  IExternalForceProvider& operator=(const IExternalForceProvider&) = default;
  ~IExternalForceProvider() = default;
};

// The factory every provider library exports: a new provider, or null when none could
// be created.
using GetExternalForceProviderFunction = IExternalForceProvider* (*)();
inline constexpr const char* kGetExternalForceProviderName = "GetExternalForceProvider";
