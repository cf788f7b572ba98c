// Path rules of the Windows-flavoured interfaces, narrow and UTF-16.
#include "platform/path.h"

#include <algorithm>

#include "platform/utf16_path.h"

namespace platform {

namespace {
template <class Char>
bool separates(Char c) noexcept {
  return c == Char('/') || c == Char('\\');
}
}  // namespace

bool is_separator(char c) noexcept { return separates(c); }

bool is_absolute(std::string_view path) noexcept {
  if (path.empty()) return false;
  return is_separator(path[0]) || (path.size() >= 2 && path[1] == ':');
}

bool has_directory(std::string_view path) noexcept {
  return std::any_of(path.begin(), path.end(), is_separator);
}

std::u16string_view directory_part(std::u16string_view path) noexcept {
  for (size_t i = path.size(); i > 0; --i) {
    if (separates(path[i - 1])) return path.substr(0, i);
  }
  return {};
}

}  // namespace platform
