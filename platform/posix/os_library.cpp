// POSIX loader: dlopen with immediate binding and local symbols, dlsym, dlclose.
#include "os_library.h"

#include <dlfcn.h>

#include "platform/shared_library.h"

namespace platform::os {

namespace {
std::string last_error() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown loader error";
}
}  // namespace

void* load_library(const std::string& file, std::string* error) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr && error != nullptr) *error = last_error();
  return handle;
}

void* find_symbol(void* handle, const char* symbol, std::string* error) {
  dlerror();
  void* address = dlsym(handle, symbol);
  if (address == nullptr && error != nullptr) *error = last_error();
  return address;
}

void unload_library(void* handle) noexcept { dlclose(handle); }

}  // namespace platform::os

namespace platform {

LibraryNaming native_library_naming() noexcept { return LibraryNaming::kPosix; }

}  // namespace platform
