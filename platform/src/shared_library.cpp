// The RAII library handle on top of the operating system's loader.
#include "platform/shared_library.h"

#include <utility>

#include "os_library.h"

namespace platform {

SharedLibrary::~SharedLibrary() { close(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), name_(std::move(other.name_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    name_ = std::move(other.name_);
  }
  return *this;
}

SharedLibrary SharedLibrary::open(std::string_view name, std::string* message) {
  // dlopen of an empty name hands back the main program, which is no library of its own.
  if (name.empty()) {
    if (message != nullptr) *message = "cannot load library \"\": the name is empty";
    return SharedLibrary();
  }
  std::string errors;
  for (const std::string& file : library_candidates(name)) {
    std::string error;
    if (void* handle = os::load_library(file, &error)) return SharedLibrary(handle, file);
    errors += (errors.empty() ? "" : "; ") + error;
  }
  if (message != nullptr) *message = "cannot load library \"" + std::string(name) + "\": " + errors;
  return SharedLibrary();
}

void* SharedLibrary::find(const char* symbol, std::string* message) const {
  if (handle_ == nullptr) {
    if (message != nullptr) *message = std::string("no library loaded to find \"") + symbol + "\"";
    return nullptr;
  }
  std::string error;
  void* address = os::find_symbol(handle_, symbol, &error);
  if (address == nullptr && message != nullptr) {
    *message = "library \"" + name_ + "\" has no symbol \"" + symbol + "\": " + error;
  }
  return address;
}

void SharedLibrary::close() noexcept {
  if (handle_ != nullptr) os::unload_library(std::exchange(handle_, nullptr));
}

}  // namespace platform
