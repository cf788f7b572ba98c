// The file names tried for a library name, from a Windows name to the platform's own forms.
#include <gtest/gtest.h>

#include "platform/shared_library.h"

namespace {

TEST(LibraryCandidates, PosixNamingMapsWindowsNamesToSharedObjects) {
  struct Case {
    const char* name;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"TarvoQuelmCoupling.dll",
       {"TarvoQuelmCoupling.dll", "libTarvoQuelmCoupling.so", "TarvoQuelmCoupling.so"}},
      {"Velmira.DLL", {"Velmira.DLL", "libVelmira.so", "Velmira.so"}},
      {"Velmira.Dll", {"Velmira.Dll", "libVelmira.so", "Velmira.so"}},
      {"Velmira", {"Velmira", "libVelmira.so", "Velmira.so"}},
      {"libVelmira.so", {"libVelmira.so", "liblibVelmira.so.so", "libVelmira.so.so"}},
      {"/opt/x/Velmira.dll", {"/opt/x/Velmira.dll"}},
      {"sub/Velmira", {"sub/Velmira"}},
      {"sub\\Velmira.dll", {"sub\\Velmira.dll"}},
      {"C:\\x\\Velmira.DLL", {"C:\\x\\Velmira.DLL"}},
      {"\\Velmira", {"\\Velmira"}},
      {".dll", {".dll"}},
      {"", {""}},
      {"my.dll.dll", {"my.dll.dll", "libmy.dll.so", "my.dll.so"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::library_candidates(c.name, platform::LibraryNaming::kPosix), c.expected);
  }
}

// Windows itself appends ".dll" to a name without an extension, so every name is tried as
// given and only so.
TEST(LibraryCandidates, WindowsNamingTriesTheNameAsGiven) {
  for (const char* name : {"TarvoQuelmCoupling.dll", "Velmira", "libVelmira.so",
                           "C:\\x\\Velmira.DLL", "sub/Velmira", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(platform::library_candidates(name, platform::LibraryNaming::kWindows),
              std::vector<std::string>{name});
  }
}

}  // namespace
