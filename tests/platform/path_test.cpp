// Path rules (absolute paths, the directory part) and text files read in Windows text mode.
#include "platform/path.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/text_file.h"

namespace {

TEST(Path, AbsoluteWhenRootedOrDriveLetter) {
  struct Case {
    const char* path;
    bool absolute;
  };
  const Case cases[] = {
      {"/etc/em.cfg", true}, {"\\share\\em.cfg", true}, {"C:\\em.cfg", true},    {"c:em.cfg", true},
      {"em.cfg", false},     {"./em.cfg", false},       {"data\\em.cfg", false}, {"", false},
      {"e", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(platform::is_absolute(c.path), c.absolute);
  }
}

TEST(Path, DirectoryPartEndsAtLastSeparatorOfEitherKind) {
  struct Case {
    std::u16string path;
    std::u16string directory;
  };
  const Case cases[] = {{u"D:\\work\\model\\car.dat", u"D:\\work\\model\\"},
                        {u"/home/u/model/car.toml", u"/home/u/model/"},
                        {u"D:\\work/model\\car.dat", u"D:\\work/model\\"},
                        {u"a\\b/car", u"a\\b/"},
                        {u"car.dat", u""},
                        {u"D:\\work\\", u"D:\\work\\"},
                        {u"", u""}};
  for (const Case& c : cases) {
    EXPECT_EQ(platform::directory_part(c.path), c.directory);
  }
}

TEST(TextFile, DropsCarriageReturnBeforeLineFeedOnly) {
  std::istringstream in("one\r\ntwo\r\r\nthree\r");
  std::string line;
  ASSERT_TRUE(platform::read_text_line(in, line));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(platform::read_text_line(in, line));
  EXPECT_EQ(line, "two\r");
  ASSERT_TRUE(platform::read_text_line(in, line));
  EXPECT_EQ(line, "three\r");  // no line feed follows: kept as text mode keeps it
  EXPECT_FALSE(platform::read_text_line(in, line));
  EXPECT_EQ(line, "three\r");  // after the end the target is left as it was
}

}  // namespace
