// libTarvoQuelmCoupling.so through its export and the coupling interface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "coupling/coupling.h"
#include "platform/shared_library.h"
#include "test_platform.h"

namespace {

std::string example_project() {
  return std::string(std::getenv("TEST_SOURCE_DIR")) + "/standins/coupling/examples/magnets.toml";
}

GroupRecord group(const char* name, double z) {
  return {name, {0.0, 0.0, z}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};
}

class CouplingFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string message;
    library_ = platform::SharedLibrary::open(kCouplingLibraryName, &message);
    ASSERT_TRUE(library_) << message;
    auto entry = library_.symbol<GetTarvoQuelmFactoryInterfaceFunction>(kCouplingEntryName);
    ASSERT_NE(entry, nullptr);
    coupling_ = entry();
    ASSERT_NE(coupling_, nullptr);
  }

  void TearDown() override {
    if (coupling_ != nullptr) coupling_->Release();
  }

  bool open(const std::string& path, const std::string& design) {
    return coupling_->OpenProject(&path, &design);
  }

  platform::SharedLibrary library_;
  ICouplingFactory* coupling_ = nullptr;
};

TEST_F(CouplingFactoryTest, FindsDesignsInFileOrder) {
  const std::string path = example_project();
  std::vector<std::string> designs;
  EXPECT_TRUE(coupling_->FindDesigns(&path, &designs));
  EXPECT_EQ(designs, (std::vector<std::string>{"Stack", "Repel"}));

  const std::string missing = "/nonexistent/project.toml";
  designs.clear();
  EXPECT_THROW(coupling_->FindDesigns(&missing, &designs), LaunchDesktopExeption);
  EXPECT_TRUE(designs.empty());
}

// Narrow names are UTF-8 for the test programs on every platform: a project in a folder named
// beyond ASCII is found, and messages show its resolved name intact.
TEST_F(CouplingFactoryTest, ProjectNamesBeyondAscii) {
  namespace fs = std::filesystem;
  const fs::path folder = test_support::make_temp_folder("coupling_project_");
  fs::create_directory(folder / fs::path(u8"\u00DCbung_\u78C1\u77F3"));
  fs::copy_file(example_project(), folder / fs::path(u8"\u00DCbung_\u78C1\u77F3") / "magnets.toml");
  const std::string inner =
      "\xC3\x9C"
      "bung_\xE7\xA3\x81\xE7\x9F\xB3";
  const std::string path = folder.string() + "/" + inner + "/magnets.toml";
  std::vector<std::string> designs;
  EXPECT_TRUE(coupling_->FindDesigns(&path, &designs));
  EXPECT_EQ(designs, (std::vector<std::string>{"Stack", "Repel"}));
  try {
    open(path, "Stock");
    ADD_FAILURE() << "nothing thrown";
  } catch (const LaunchDesktopExeption& e) {
    EXPECT_NE(std::string(e.what()).find(inner + (test_support::kWindows ? "\\" : "/") +
                                         "magnets.toml) has no design"),
              std::string::npos)
        << e.what();
  }
  fs::remove_all(folder);
}

TEST_F(CouplingFactoryTest, AnalyzeNeedsAnOpenDesign) {
  std::vector<GroupRecord> groups = {group("Group0", 0.0)};
  std::vector<ForceRecord> results;
  int status = 0;
  EXPECT_FALSE(coupling_->Analyze(0.0, &groups, &results, &status));
  EXPECT_EQ(status, 1);

  ASSERT_TRUE(open(example_project(), "Repel"));
  EXPECT_TRUE(coupling_->Analyze(0.0, &groups, &results, &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(results.size(), 1u);

  // A failed open closes the design that was open.
  EXPECT_THROW(open(example_project(), "NoSuchDesign"), LaunchDesktopExeption);
  EXPECT_FALSE(coupling_->Analyze(0.0, &groups, &results, &status));
  EXPECT_EQ(status, 1);
}

TEST_F(CouplingFactoryTest, FailuresNameTheirCause) {
  const std::string project = example_project();
  const std::string relative = "no-such-folder/../missing.toml";
  const std::string resolved = (std::filesystem::current_path() / "missing.toml").string();
  const std::string folder = std::getenv("TEST_SOURCE_DIR");
  struct Case {
    const char* name;
    std::function<void()> call;
    std::string message;
  };
  std::vector<GroupRecord> groups = {group("Group0", 0.25), group("Group1", 0.25)};
  std::vector<ForceRecord> results;
  int status = 0;
  const Case cases[] = {
      {"project missing", [&] { open(relative, "Stack"); },
       "cannot open the project file \"" + relative + "\" (" + resolved +
           "): there is no such file"},
      {"project is a folder", [&] { open(folder, "Stack"); },
       "cannot open the project file \"" + folder + "\" (" +
           std::filesystem::absolute(folder).lexically_normal().string() + "): it is a folder"},
      {"design with a trailing space", [&] { open(project, "Stack "); },
       "the project file \"" + project + "\" (" +
           std::filesystem::absolute(project).lexically_normal().string() +
           ") has no design \"Stack \"; its designs are \"Stack\", \"Repel\""},
      {"coincident groups",
       [&] {
         ASSERT_TRUE(open(project, "Stack"));
         coupling_->Analyze(0.0, &groups, &results, &status);
       },
       "cannot analyze design \"Stack\": group \"Group0\" and group \"Group1\" are both at "
       "(0, 0, 0.25) m: the field of a point magnet is unbounded at its own position"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.call();
      ADD_FAILURE() << "nothing thrown";
    } catch (const LaunchDesktopExeption& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_EQ(status, 3);
}

TEST_F(CouplingFactoryTest, EachCallGivesItsOwnInterface) {
  auto entry = library_.symbol<GetTarvoQuelmFactoryInterfaceFunction>(kCouplingEntryName);
  ICouplingFactory* other = entry();
  ASSERT_NE(other, coupling_);
  ASSERT_TRUE(open(example_project(), "Repel"));
  std::vector<GroupRecord> groups = {group("Group0", 0.0)};
  std::vector<ForceRecord> results;
  int status = 0;
  EXPECT_FALSE(other->Analyze(0.0, &groups, &results, &status));
  other->Release();
}

}  // namespace
