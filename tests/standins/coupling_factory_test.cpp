// libTarvoQuelmCoupling.so through its export and the coupling interface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "coupling/coupling.h"
#include "platform/shared_library.h"

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
  EXPECT_FALSE(coupling_->FindDesigns(&missing, &designs));
  EXPECT_TRUE(designs.empty());
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
  EXPECT_FALSE(open(example_project(), "NoSuchDesign"));
  EXPECT_FALSE(coupling_->Analyze(0.0, &groups, &results, &status));
  EXPECT_EQ(status, 1);
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
