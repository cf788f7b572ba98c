// Narrow text on Windows is the process's ANSI code page (CP_ACP): a host on a legacy code
// page hands over paths in that page. The project's own programs declare UTF-8 as their code
// page in their manifests, so for them narrow text is UTF-8 as on POSIX systems; invalid
// sequences are then replaced as the system's converter replaces them.
#include <windows.h>

#include "platform/text.h"

namespace platform {

std::u16string narrow_to_utf16(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), length);
  return out;
}

std::string utf16_to_narrow(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, size, out.data(), length, nullptr, nullptr);
  return out;
}

std::filesystem::path narrow_path(const char* path) { return narrow_to_utf16(path); }

std::string path_text(const std::filesystem::path& path) {
  return utf16_to_narrow(path.u16string());
}

}  // namespace platform
