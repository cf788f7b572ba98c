// The path rules of the Windows-flavoured interfaces, on narrow paths: both '/' and '\'
// separate directories; a path is absolute when it starts with a separator or its second
// character is ':' (a drive letter).
#pragma once

#include <string_view>

namespace platform {

bool is_separator(char c) noexcept;
bool is_absolute(std::string_view path) noexcept;

// Whether the path names a directory, that is holds a separator of either kind.
bool has_directory(std::string_view path) noexcept;

}  // namespace platform
