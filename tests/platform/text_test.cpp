// Conversions between narrow (UTF-8) and UTF-16 text, invalid input included.
#include "platform/text.h"

#include <gtest/gtest.h>

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

TEST(Text, LoneSurrogateKeepsItsValue) {
  const std::u16string lone = {u'a', char16_t(0xD800), u'b'};
  EXPECT_EQ(platform::utf16_to_narrow(lone),
            "a\xED\xA0\x80"
            "b");
}

TEST(Text, InvalidBytesBecomeReplacementCharacters) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"stray continuation", "a\x80z", u"a\uFFFDz"},
      {"truncated at end", "a\xE2\x82", u"a\uFFFD\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::narrow_to_utf16(c.bytes), c.expected);
  }
}

}  // namespace
