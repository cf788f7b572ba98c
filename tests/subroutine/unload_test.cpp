// Unloading ostrel releases the providers and then unloads their libraries.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "ostrel/calc_external_force.h"
#include "provider_probe.h"
#include "recording_host.h"

namespace {

TEST(Unload, ReleasesProvidersThenUnloadsTheirLibraries) {
  test_support::RecordingHost host;
  void* ostrel = dlopen("libostrel.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(ostrel, nullptr) << dlerror();
  auto entry = reinterpret_cast<CalcExternalForceFunction>(dlsym(ostrel, "calc_external_force"));
  ASSERT_NE(entry, nullptr);

  const double params[8] = {0, 0, 1, 41, 0, 0, 0.0, 0};
  entry(nullptr, 0.0, "fixture_provider", "/a.cfg", params, nullptr, nullptr, -1, nullptr);
  entry(nullptr, 0.0, "fixture_provider", "/b.cfg", params, nullptr, nullptr, -1, nullptr);
  EXPECT_THROW(
      entry(nullptr, 0.0, "fixture_null_provider", "/c.cfg", params, nullptr, nullptr, -1, nullptr),
      std::exception);
  void* provider_library = dlopen("libfixture_provider.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(provider_library, nullptr) << "ostrel did not load the provider";
  dlclose(provider_library);  // drop the reference this check took

  ASSERT_EQ(dlclose(ostrel), 0);
  EXPECT_EQ(dlopen("libostrel.so", RTLD_NOW | RTLD_NOLOAD), nullptr) << "ostrel stayed loaded";
  EXPECT_EQ(probe::state().log, (std::vector<std::string>{"create", "Initialize /a.cfg",
                                                          "Initialize /b.cfg", "Release"}));
  EXPECT_EQ(dlopen("libfixture_provider.so", RTLD_NOW | RTLD_NOLOAD), nullptr)
      << "the provider library stayed loaded";
  EXPECT_EQ(dlopen("libfixture_null_provider.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
}

}  // namespace
