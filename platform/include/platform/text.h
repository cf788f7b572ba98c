// Conversion between the process's narrow encoding and UTF-16.
//
// Narrow text is UTF-8 on POSIX systems and the process's ANSI code page on Windows
// (MultiByteToWideChar with CP_ACP), so that a host running in a legacy code page hands over
// its paths as it has them. The project's own programs declare UTF-8 as their code page in
// their manifests, so for them narrow text is UTF-8 on both. Invalid input is replaced as
// each platform's converter replaces it: the rules below are the POSIX codec's; the Windows
// converter replaces a lone surrogate with U+FFFD and a truncated sequence with one U+FFFD.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Narrow text to UTF-16. On POSIX, bytes that do not form valid UTF-8 become U+FFFD each.
std::u16string narrow_to_utf16(std::string_view text);

// UTF-16 to narrow text. On POSIX nothing is lost: a lone surrogate keeps its value, encoded
// the way UTF-8 encodes any other code point below U+10000.
std::string utf16_to_narrow(std::u16string_view text);

// The file that a narrow path names. POSIX takes the bytes as they are; Windows converts them
// from the ANSI code page to its wide names (the C++ library's own conversion from narrow
// text would not: it takes each byte for one character).
std::filesystem::path narrow_path(const char* path);

// A path as narrow text, the inverse of narrow_path.
std::string path_text(const std::filesystem::path& path);

}  // namespace platform
