// The initialisation call: bind the provider library once per name, then hand
// the provider this element's configuration path.
#include <memory>
#include <string>
#include <string_view>

#include "call.h"
#include "host_api/host_services.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/utf16_path.h"
#include "registry.h"
#include "unknown_exception.h"

namespace ostrel {

namespace {

// Loads the library and obtains its provider. The entry is registered before anything is
// loaded and stays, provider or not: a failed name is not loaded again.
Terminator& bind_provider(const char* library_name) {
  ProviderRegistry& registry = provider_registry();
  auto found = registry.find(library_name);
  if (found != registry.end()) return *found->second;

  auto entry = std::make_shared<Terminator>();
  registry.emplace(library_name, entry);
  entry->module = platform::SharedLibrary::open(library_name);
  if (entry->module) {
    auto factory =
        entry->module.symbol<GetExternalForceProviderFunction>(kGetExternalForceProviderName);
    if (factory != nullptr) entry->provider = factory();
  }
  return *entry;
}

// An absolute configuration path as given; a relative one joined to the directory of the
// host's model file. The model path arrives as UTF-16 and is converted to the narrow
// encoding whole; the configuration path's bytes pass unchanged.
std::string configuration_path(Call& call) {
  const std::string_view config = call.config_path;
  if (platform::is_absolute(config)) return std::string(config);

  char16_t model_path[kModelPathCapacity] = {};
  GET_ZKSPATH_S(call.handle, 0, model_path, &call.status);
  model_path[kModelPathCapacity - 1] = u'\0';  // a host that filled the buffer to the end
  const std::u16string_view model(model_path);
  return platform::utf16_to_narrow(platform::directory_part(model)) + std::string(config);
}

}  // namespace

void initialise(Call& call) {
  Terminator& entry = bind_provider(call.library_name);
  if (entry.provider == nullptr) throw UnknownException();
  const std::string path = configuration_path(call);
  entry.provider->Initialize(path.c_str());
}

}  // namespace ostrel
