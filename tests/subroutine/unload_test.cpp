// Unloading ostrel releases the providers and then unloads their libraries.
#include <gtest/gtest.h>

#include "ostrel/calc_external_force.h"
#include "platform/shared_library.h"
#include "provider_probe.h"
#include "recording_host.h"
#include "test_platform.h"

namespace {

TEST(Unload, ReleasesProvidersThenUnloadsTheirLibraries) {
  using test_support::is_library_loaded;
  using test_support::library_file;
  test_support::RecordingHost host;
  std::string message;
  platform::SharedLibrary ostrel = platform::SharedLibrary::open(library_file("ostrel"), &message);
  ASSERT_TRUE(ostrel) << message;
  auto entry = ostrel.symbol<CalcExternalForceFunction>("calc_external_force");
  ASSERT_NE(entry, nullptr);

  const double params[8] = {0, 0, 1, 41, 0, 0, 0.0, 0};
  entry(nullptr, 0.0, "fixture_provider", "/a.cfg", params, nullptr, nullptr, -1, nullptr);
  entry(nullptr, 0.0, "fixture_provider", "/b.cfg", params, nullptr, nullptr, -1, nullptr);
  EXPECT_THROW(
      entry(nullptr, 0.0, "fixture_null_provider", "/c.cfg", params, nullptr, nullptr, -1, nullptr),
      std::exception);
  ASSERT_TRUE(is_library_loaded(library_file("fixture_provider")))
      << "ostrel did not load the provider";

  ostrel.close();
  EXPECT_FALSE(is_library_loaded(library_file("ostrel"))) << "ostrel stayed loaded";
  EXPECT_EQ(probe::state().log, (std::vector<std::string>{"create", "Initialize /a.cfg",
                                                          "Initialize /b.cfg", "Release"}));
  EXPECT_FALSE(is_library_loaded(library_file("fixture_provider")))
      << "the provider library stayed loaded";
  EXPECT_FALSE(is_library_loaded(library_file("fixture_null_provider")));
}

}  // namespace
