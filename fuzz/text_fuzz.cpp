// Fuzz target: the platform layer's text handling. UTF-8 -> UTF-16 -> UTF-8 gives back any
// valid UTF-8 text, and UTF-16 -> UTF-8 -> UTF-16 any UTF-16 text without lone surrogates;
// invalid bytes become U+FFFD, never a crash. Lines read with Windows text-mode line ends
// join back to the text once each "\r\n" is read as "\n".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "platform/text_file.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Whether s is well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int length = b < 0x80                ? 1
                       : b >= 0xC2 && b < 0xE0 ? 2
                       : b >= 0xE0 && b < 0xF0 ? 3
                       : b >= 0xF0 && b < 0xF5 ? 4
                                               : 0;
    if (length == 0 || i + length > s.size()) return false;
    std::uint32_t code = length == 1 ? b : b & (0x3F >> (length - 1));
    for (int k = 1; k < length; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      code = (code << 6) | (c & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
      return false;
    }
    i += length;
  }
  return true;
}

bool lone_surrogates(std::u16string_view w) {
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (w[i] >= 0xD800 && w[i] < 0xDC00) {
      if (i + 1 >= w.size() || w[i + 1] < 0xDC00 || w[i + 1] >= 0xE000) return true;
      ++i;
    } else if (w[i] >= 0xDC00 && w[i] < 0xE000) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);

  const std::u16string wide = platform::narrow_to_utf16(text);
  if (valid_utf8(text)) require(platform::utf16_to_narrow(wide) == text);

  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  const std::string narrow = platform::utf16_to_narrow(units);
  if (!lone_surrogates(units)) require(platform::narrow_to_utf16(narrow) == units);

  std::istringstream in(text);
  std::string line, joined;
  bool first = true;
  while (platform::read_text_line(in, line)) {
    if (!first) joined += '\n';
    joined += line;
    first = false;
  }
  std::string expected;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    expected += text[i];
  }
  // A final line feed ends the last line without starting another.
  if (!expected.empty() && expected.back() == '\n') expected.pop_back();
  require(joined == expected);
  return 0;
}
