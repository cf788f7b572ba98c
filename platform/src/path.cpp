// Path rules of the Windows-flavoured interfaces.
#include "platform/path.h"

namespace platform {

bool is_separator(char16_t c) noexcept { return c == u'/' || c == u'\\'; }

bool is_absolute(std::string_view path) noexcept {
  if (path.empty()) return false;
  return is_separator(static_cast<unsigned char>(path[0])) || (path.size() >= 2 && path[1] == ':');
}

std::u16string_view directory_part(std::u16string_view path) noexcept {
  for (size_t i = path.size(); i > 0; --i) {
    if (is_separator(path[i - 1])) return path.substr(0, i);
  }
  return {};
}

}  // namespace platform
