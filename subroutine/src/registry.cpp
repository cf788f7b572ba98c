// The provider registry and the release of providers at unload.
#include "registry.h"

#include "unknown_exception.h"

namespace ostrel {

Terminator::~Terminator() {
  if (module) {
    if (provider != nullptr) {
      provider->Release();
      provider = nullptr;
    }
    module.close();
  }
}

ProviderRegistry& provider_registry() {
  static ProviderRegistry registry;
  return registry;
}

Terminator& registered_provider(const char* library_name) {
  ProviderRegistry& registry = provider_registry();
  auto entry = registry.find(library_name);
  if (entry == registry.end() || entry->second->provider == nullptr) throw UnknownException();
  return *entry->second;
}

}  // namespace ostrel
