// Loading shared libraries by name and looking up their exports.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How a platform names its libraries.
enum class LibraryNaming {
  kPosix,    // lib<stem>.so
  kWindows,  // <stem>.dll
};

// The naming of the platform this program runs on.
LibraryNaming native_library_naming() noexcept;

// The file names tried, in order, for a library name. First the name as given. With POSIX
// naming, when the name has no directory (no '/' nor '\', the separators of path.h), its
// platform form follows: a trailing ".dll" (any case) removed and "lib<stem>.so", then
// "<stem>.so"; "TarvoQuelmCoupling.dll" thus finds libTarvoQuelmCoupling.so. With Windows
// naming the name as given is all: the loader itself appends ".dll" to a name without an
// extension.
std::vector<std::string> library_candidates(std::string_view name,
                                            LibraryNaming naming = native_library_naming());

// One loaded library. Owns the handle; the destructor unloads it and never throws.
class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads the library by name, trying library_candidates(name) in order. On failure the
  // result is not loaded and *message (when given) names the library and the reason.
  static SharedLibrary open(std::string_view name, std::string* message = nullptr);

  bool is_loaded() const noexcept { return handle_ != nullptr; }
  explicit operator bool() const noexcept { return is_loaded(); }

  // The address of an exported symbol, or null with *message naming library and symbol.
  void* find(const char* symbol, std::string* message = nullptr) const;

  template <class T>
  T symbol(const char* symbol, std::string* message = nullptr) const {
    return reinterpret_cast<T>(find(symbol, message));
  }

  // Unloads now; afterwards the object is not loaded.
  void close() noexcept;

 private:
  SharedLibrary(void* handle, std::string name) : handle_(handle), name_(std::move(name)) {}

  void* handle_ = nullptr;
  std::string name_;
};

}  // namespace platform
