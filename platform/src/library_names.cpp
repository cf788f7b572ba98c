// Candidate file names for a library name.
#include <cctype>

#include "platform/path.h"
#include "platform/shared_library.h"

namespace platform {

namespace {
bool ends_with_dll(std::string_view name) {
  constexpr std::string_view kSuffix = ".dll";
  if (name.size() < kSuffix.size()) return false;
  std::string_view tail = name.substr(name.size() - kSuffix.size());
  for (size_t i = 0; i < kSuffix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(tail[i])) != kSuffix[i]) return false;
  }
  return true;
}
}  // namespace

std::vector<std::string> library_candidates(std::string_view name, LibraryNaming naming) {
  std::vector<std::string> names{std::string(name)};
  if (naming == LibraryNaming::kWindows) return names;
  if (name.empty() || has_directory(name)) return names;
  std::string_view stem = ends_with_dll(name) ? name.substr(0, name.size() - 4) : name;
  if (stem.empty()) return names;
  names.push_back("lib" + std::string(stem) + ".so");
  names.push_back(std::string(stem) + ".so");
  return names;
}

}  // namespace platform
