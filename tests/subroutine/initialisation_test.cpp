// Initialisation: one load per library, the configuration path, providers that cannot be had.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ostrel_harness.h"
#include "test_platform.h"

namespace {

using test_support::call;
using test_support::Element;
using test_support::RecordingHost;

std::vector<std::string> probe_log() { return probe::state().log; }

TEST(Initialisation, TwoElementsShareOneLoadAndProvider) {
  RecordingHost host;
  host.set_model_path(u"/srv/models/car.toml");
  call(Element(), -1, 0.0, "fixture_provider", "first.cfg");
  call(Element(), -1, 0.0, test_support::library_file("fixture_provider").c_str(),
       "other_name.cfg");
  call(Element(), -1, 0.0, "fixture_provider", "second.cfg");
  EXPECT_EQ(probe_log(),
            (std::vector<std::string>{"create", "Initialize /srv/models/first.cfg", "create",
                                      "Initialize /srv/models/other_name.cfg",
                                      "Initialize /srv/models/second.cfg"}));
}

TEST(Initialisation, ConfigurationPathResolvesAgainstTheModelDirectory) {
  struct Case {
    const char* name;
    std::u16string model_path;
    const char* config;
    std::string expected;
    bool asks_for_model_path;
  };
  const Case cases[] = {
      {"drive letter", u"D:\\work\\model\\car.dat", "C:\\data\\em.cfg", "C:\\data\\em.cfg", false},
      {"rooted POSIX", u"/srv/m/car.toml", "/etc/em.cfg", "/etc/em.cfg", false},
      {"rooted backslash", u"D:\\work\\car.dat", "\\share\\em.cfg", "\\share\\em.cfg", false},
      {"backslash model", u"D:\\work\\model\\car.dat", "em.cfg", "D:\\work\\model\\em.cfg", true},
      {"slash model", u"/srv/m/car.toml", "em.cfg", "/srv/m/em.cfg", true},
      {"mixed separators", u"D:\\work/model\\car.dat", "sub/em.cfg", "D:\\work/model\\sub/em.cfg",
       true},
      {"model without directory", u"car.dat", "em.cfg", "em.cfg", true},
      {"model ends with separator", u"D:\\work\\", "em.cfg", "D:\\work\\em.cfg", true},
      {"empty model path", u"", "em.cfg", "em.cfg", true},
      {"one-character config", u"/srv/m/car.toml", "e", "/srv/m/e", true},
      {"non-ASCII model path", u"D:\\Übung\\\u65E5\u672C\\car.dat", "em.cfg",
       "D:\\\xC3\x9C"
       "bung\\\xE6\x97\xA5\xE6\x9C\xAC\\em.cfg",
       true},
      {"non-ASCII config passes unchanged", u"/srv/m/car.toml",
       "gr\xC3\xB6\xC3\x9F"
       "e.cfg",
       "/srv/m/gr\xC3\xB6\xC3\x9F"
       "e.cfg",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingHost host;
    host.set_model_path(c.model_path);
    probe::state().log.clear();
    call(Element(), -1, 0.0, "fixture_provider", c.config);
    ASSERT_FALSE(probe_log().empty());
    EXPECT_EQ(probe_log().back(), "Initialize " + c.expected);
    EXPECT_EQ(host.calls_of("GET_ZKSPATH_S").size(), c.asks_for_model_path ? 1u : 0u);
  }
}

TEST(Initialisation, ModelPathFillingTheWholeBufferIsCutNotOverrun) {
  RecordingHost host;
  host.set_model_path(std::u16string(1500, u'm') + u"/car");  // longer than the host buffer
  call(Element(), -1, 0.0, "fixture_provider", "em.cfg");
  EXPECT_EQ(probe_log().back(), "Initialize em.cfg");  // the cut path has no separator left
}

TEST(Initialisation, UnobtainableProviderRaisesWithoutMessageEveryTime) {
  for (const char* library : {"no_such_provider.dll", "fixture_not_a_library", "fixture_no_export",
                              "fixture_null_provider"}) {
    SCOPED_TRACE(library);
    RecordingHost host;
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        call(Element(), -1, 0.0, library);
        ADD_FAILURE() << "no exception";
      } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Unknown exception");
      }
    }
    // An evaluation through the failed entry raises the same instead of using a null provider.
    Element element;
    element.body_ids = {7};
    double result[6] = {};
    EXPECT_THROW(call(element, 0, 1.0, library, "em.cfg", result), std::exception);
    // Nothing reached the host beyond the interval queries.
    for (const test_support::HostCall& c : host.calls()) EXPECT_EQ(c.name, "VARVAL");
  }
}

TEST(Initialisation, ProviderExceptionPassesOutUnchanged) {
  RecordingHost host;
  probe::state().throw_in_initialize = "configuration unreadable";
  try {
    call(Element(), -1);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "configuration unreadable");
  }
  // The entry stays: the next initialisation initialises the same provider again.
  probe::state().throw_in_initialize.clear();
  call(Element(), -1);
  EXPECT_EQ(probe_log(),
            (std::vector<std::string>{"create", "Initialize em.cfg", "Initialize em.cfg"}));
}

}  // namespace
