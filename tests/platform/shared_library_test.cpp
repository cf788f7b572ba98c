// The shared-library handle: opening by name, symbols, failure messages, moves and unloading.
#include "platform/shared_library.h"

#include <gtest/gtest.h>

namespace {

using platform::SharedLibrary;

TEST(SharedLibrary, OpensByPlainNameAndFindsSymbol) {
  std::string message;
  SharedLibrary library = SharedLibrary::open("fixture_no_export.dll", &message);
  ASSERT_TRUE(library) << message;
  auto marker = library.symbol<int (*)()>("fixture_no_export_marker");
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker(), 7);
}

TEST(SharedLibrary, MissingSymbolNamesLibraryAndSymbol) {
  SharedLibrary library = SharedLibrary::open("fixture_no_export");
  ASSERT_TRUE(library);
  std::string message;
  EXPECT_EQ(library.find("GetExternalForceProvider", &message), nullptr);
  EXPECT_NE(message.find("fixture_no_export"), std::string::npos) << message;
  EXPECT_NE(message.find("GetExternalForceProvider"), std::string::npos) << message;
}

TEST(SharedLibrary, FailuresLeaveItUnloadedWithAMessage) {
  for (const char* name : {"no_such_library_anywhere.dll", "fixture_not_a_library", ""}) {
    SCOPED_TRACE(name);
    std::string message;
    SharedLibrary library = SharedLibrary::open(name, &message);
    EXPECT_FALSE(library.is_loaded());
    EXPECT_NE(message.find(std::string("\"") + name + "\""), std::string::npos) << message;
    EXPECT_EQ(library.find("anything"), nullptr);
  }
}

TEST(SharedLibrary, MoveTransfersOwnershipAndCloseUnloads) {
  SharedLibrary first = SharedLibrary::open("fixture_no_export");
  ASSERT_TRUE(first);
  SharedLibrary second = std::move(first);
  EXPECT_FALSE(first.is_loaded());  // NOLINT(bugprone-use-after-move): checked on purpose
  EXPECT_TRUE(second.is_loaded());
  second.close();
  EXPECT_FALSE(second.is_loaded());
  second.close();  // closing twice is harmless
}

}  // namespace
