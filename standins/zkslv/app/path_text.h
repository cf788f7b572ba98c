// Paths to and from narrow text. Narrow text is UTF-8 for this program on every platform (on
// Windows its manifest makes UTF-8 its code page), but on Windows the C++ library converts
// between a path and narrow text with the C library's locale, which is not UTF-8 and cannot
// hold every name: these helpers convert through UTF-8 explicitly. On POSIX systems they
// pass the bytes through, as the C++ library does.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zkslv {

inline std::filesystem::path path_from_text(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string path_text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace zkslv
