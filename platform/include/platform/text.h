// Conversion between the process's narrow encoding and UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Narrow text (UTF-8 on POSIX, the ANSI code page on Windows) to UTF-16. Bytes that do
// not form valid UTF-8 become U+FFFD each.
std::u16string narrow_to_utf16(std::string_view text);

// UTF-16 to narrow text. Nothing is lost: a lone surrogate keeps its value, encoded the
// way UTF-8 encodes any other code point below U+10000.
std::string utf16_to_narrow(std::u16string_view text);

}  // namespace platform
