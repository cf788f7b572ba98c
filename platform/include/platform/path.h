// Path rules shared by the Windows-flavoured interfaces: both '/' and '\' separate
// directories; a path is absolute when it starts with a separator or its second
// character is ':' (a drive letter).
#pragma once

#include <string>
#include <string_view>

namespace platform {

bool is_separator(char16_t c) noexcept;
bool is_absolute(std::string_view path) noexcept;

// The directory part of a path: everything up to and including its last separator, or
// empty when it has none.
std::u16string_view directory_part(std::u16string_view path) noexcept;

}  // namespace platform
