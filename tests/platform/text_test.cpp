// Conversions between narrow (UTF-8) and UTF-16 text, invalid input included.
#include "platform/text.h"

#include <gtest/gtest.h>

#include "test_platform.h"

namespace {

TEST(Text, RoundTripsEveryPlane) {
  const std::u16string samples[] = {u"", u"plain ascii", u"D:\\Modelle\\Übung\\car.dat",
                                    u"\u0100\u20AC\u65E5\u672C", u"\U0001F9F2 magnet"};
  for (const std::u16string& s : samples) {
    EXPECT_EQ(platform::narrow_to_utf16(platform::utf16_to_narrow(s)), s);
  }
}

TEST(Text, EncodesAsUtf8) {
  EXPECT_EQ(platform::utf16_to_narrow(u"\u00DC\u20AC"), "\xC3\x9C\xE2\x82\xAC");
  EXPECT_EQ(platform::utf16_to_narrow(u"\U0001F9F2"), "\xF0\x9F\xA7\xB2");
  EXPECT_EQ(platform::narrow_to_utf16("\xC3\x9C\xE2\x82\xAC"), u"\u00DC\u20AC");
}

// Our codec keeps a lone surrogate's value; the Windows converter replaces it.
TEST(Text, LoneSurrogate) {
  const std::u16string lone = {u'a', char16_t(0xD800), u'b'};
  const std::string kept = std::string("a\xED\xA0\x80") + "b";
  const std::string replaced = std::string("a\xEF\xBF\xBD") + "b";
  EXPECT_EQ(platform::utf16_to_narrow(lone), test_support::kWindows ? replaced : kept);
}

// Our codec replaces each byte of an invalid sequence; the Windows converter (with UTF-8 as
// the code page) replaces a truncated sequence as a whole, and an out-of-range lead byte
// together with its first continuation byte.
TEST(Text, InvalidBytesBecomeReplacementCharacters) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string expected;
    std::u16string expected_on_windows;
  };
  const Case cases[] = {
      {"stray continuation", "a\x80z", u"a\uFFFDz", u"a\uFFFDz"},
      {"truncated at end", "a\xE2\x82", u"a\uFFFD\uFFFD", u"a\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD", u"\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::narrow_to_utf16(c.bytes),
              test_support::kWindows ? c.expected_on_windows : c.expected);
  }
}

}  // namespace
