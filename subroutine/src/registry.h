// The process-wide registry of provider libraries: one Terminator per library name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_library.h"
#include "provider/external_force_provider.h"

namespace ostrel {

// The per-body arrays that an entry's interfacings hand to the provider, kept from one
// interfacing to the next. `in_use` is set while a call works in them.
struct InterfacingArrays {
  std::vector<double> values;
  bool in_use = false;
};

// One loaded provider library and its provider. Destroying it hands the provider back
// through Release and then unloads the library; it never throws.
struct Terminator {
  platform::SharedLibrary module;
  IExternalForceProvider* provider = nullptr;
  double next_time = 0.0;  // earliest time of the next interfacing with the provider
  InterfacingArrays arrays;

  Terminator() = default;
  Terminator(const Terminator&) = delete;
  Terminator& operator=(const Terminator&) = delete;
  ~Terminator();
};

// Keys compare byte by byte as unsigned characters (std::string's ordering).
using ProviderRegistry = std::map<std::string, std::shared_ptr<Terminator>>;

// The registry, created on first use and destroyed when ostrel is unloaded.
ProviderRegistry& provider_registry();

// The entry of `library_name` with a provider. Throws the message-less exception
// (UnknownException) when no initialisation call registered the name or its provider
// could not be obtained.
Terminator& registered_provider(const char* library_name);

}  // namespace ostrel
