// Path rules (absolute paths, the directory part) and text files read in Windows text mode.
#include "platform/path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text_file.h"
#include "platform/utf16_path.h"
#include "test_platform.h"

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

// Narrow names are UTF-8 for the test programs on every platform; a folder is never read.
TEST(TextFile, OpensFilesByNamesBeyondAsciiButNoFolders) {
  namespace fs = std::filesystem;
  const fs::path folder = test_support::make_temp_folder("platform_text_file_");
  const fs::path inner = folder / fs::path(u8"\u00DCbung_\u78C1\u77F3");
  fs::create_directory(inner);
  std::ofstream(inner / "velmira.cfg", std::ios::binary) << "project.toml\r\n";
  const std::string name =
      "\xC3\x9C"
      "bung_\xE7\xA3\x81\xE7\x9F\xB3";
  const std::string base = folder.string() + "/";  // an ASCII folder of the system's own

  std::ifstream file;
  platform::open_text_file(file, (base + name + "/velmira.cfg").c_str());
  std::string line = "before";
  ASSERT_TRUE(platform::read_text_line(file, line));
  EXPECT_EQ(line, "project.toml");
  file.close();  // Windows removes no file that is open

  std::ifstream directory;
  platform::open_text_file(directory, (base + name).c_str());
  EXPECT_FALSE(platform::read_text_line(directory, line));
  EXPECT_EQ(line, "project.toml");
  EXPECT_TRUE(fs::is_directory(inner));
  fs::remove_all(folder);
}

}  // namespace
