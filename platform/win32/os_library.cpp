// Windows loader: LoadLibraryExW, GetProcAddress, FreeLibrary; errors from FormatMessageW.
#include "os_library.h"

#include <windows.h>

#include <cstring>

#include "platform/shared_library.h"
#include "platform/text.h"

namespace platform::os {

namespace {

// The system's text for the calling thread's last error, without its trailing line end.
std::string last_error() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (length > 0) message.assign(reinterpret_cast<const char16_t*>(text), length);
  LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                              message.back() == u' ' || message.back() == u'.')) {
    message.pop_back();
  }
  std::string result = "error " + std::to_string(code);
  if (!message.empty()) result += ": " + utf16_to_narrow(message);
  return result;
}

bool has_folder(const std::string& file) { return file.find_first_of("/\\") != std::string::npos; }

}  // namespace

void* load_library(const std::string& file, std::string* error) {
  const std::u16string wide = narrow_to_utf16(file);
  // A name with a folder: the library's own folder is searched first for what it imports.
  const DWORD flags = has_folder(file) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  HMODULE module = LoadLibraryExW(reinterpret_cast<const wchar_t*>(wide.c_str()), nullptr, flags);
  if (module == nullptr && error != nullptr) *error = last_error();
  return module;
}

void* find_symbol(void* handle, const char* symbol, std::string* error) {
  const FARPROC procedure = GetProcAddress(static_cast<HMODULE>(handle), symbol);
  if (procedure == nullptr) {
    if (error != nullptr) *error = last_error();
    return nullptr;
  }
  void* address = nullptr;
  static_assert(sizeof address == sizeof procedure);
  std::memcpy(&address, &procedure, sizeof address);
  return address;
}

void unload_library(void* handle) noexcept { FreeLibrary(static_cast<HMODULE>(handle)); }

}  // namespace platform::os

namespace platform {

LibraryNaming native_library_naming() noexcept { return LibraryNaming::kWindows; }

}  // namespace platform
