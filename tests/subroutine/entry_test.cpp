// The entry calc_external_force: the interval query, integer parameters and rejected calls.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "ostrel_harness.h"

namespace {

using test_support::call;
using test_support::Element;
using test_support::RecordingHost;

TEST(Entry, EveryModeQueriesTheIntervalVariableFirst) {
  for (int mode : {-1, 0, 1, 2}) {
    SCOPED_TRACE(mode);
    RecordingHost host;
    Element element;
    element.body_ids = {7};
    call(element, -1);
    host.clear();
    double result[6] = {};
    call(element, mode, 0.0, "fixture_provider", "em.cfg", result);
    ASSERT_FALSE(host.calls().empty());
    const test_support::HostCall& first = host.calls().front();
    EXPECT_EQ(first.service, "sysfnc");
    EXPECT_EQ(first.name, "VARVAL");
    EXPECT_EQ(first.id, test_support::kIntervalVariable);
    EXPECT_EQ(first.handle, test_support::kHandle);
  }
}

TEST(Entry, CallsThatDoNothingFurtherQueryOnlyTheInterval) {
  struct Case {
    const char* name;
    int mode;
    double enabled;
    double kind;
  };
  const Case cases[] = {{"position check with force criterion", 2, 1, 2},
                        {"position check switched off", 2, 0, 1},
                        {"position check, enabled 2", 2, 2, 1},
                        {"mode -2", -2, 1, 1},
                        {"mode 3", 3, 1, 1},
                        {"mode INT_MIN", std::numeric_limits<int>::min(), 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingHost host;
    Element element;
    element.auto_stop_enabled = c.enabled;
    element.auto_stop_kind = c.kind;
    element.body_ids = {7, 8};
    double result[12] = {};
    call(element, c.mode, 0.5, "never_registered", "em.cfg", result);
    ASSERT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(host.calls()[0].name, "VARVAL");
    for (double r : result) EXPECT_EQ(r, 0.0);
  }
}

TEST(Entry, IntegerParametersTruncateTowardZeroAndSaturate) {
  struct Case {
    double value;
    int expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{41.9, 41},
                        {-3.9, -3},
                        {nan, 0},
                        {1e300, 2147483647},
                        {-1e300, -2147483647 - 1},
                        {inf, 2147483647},
                        {2147483647.5, 2147483647},
                        {-2147483648.9, -2147483647 - 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    RecordingHost host;
    Element element;
    element.interval_variable_id = c.value;
    call(element, 3);
    ASSERT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(host.calls()[0].id, c.expected);
  }
}

TEST(Entry, NegativeBodyCountIsRejectedAfterTheIntervalQuery) {
  RecordingHost host;
  std::vector<double> params = Element().params();
  params[7] = -2.0;
  double result[6] = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5};
  for (int mode : {-1, 0, 1, 2}) {
    SCOPED_TRACE(mode);
    host.clear();
    try {
      calc_external_force(test_support::kHandle, 0.0, "fixture_provider", "em.cfg", params.data(),
                          nullptr, nullptr, mode, result);
      ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("body count"), std::string::npos) << e.what();
    }
    ASSERT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(host.calls()[0].name, "VARVAL");
  }
  EXPECT_EQ(result[0], 1.5);
  EXPECT_TRUE(probe::state().log.empty());  // nothing was loaded
}

TEST(Entry, EvaluationOfAnUnregisteredLibraryRaisesWithoutMessage) {
  RecordingHost host;
  Element element;
  element.body_ids = {7};
  double result[6] = {};
  try {
    call(element, 0, 0.0, "never_registered", "em.cfg", result);
    ADD_FAILURE() << "no exception";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Unknown exception");
  }
  EXPECT_EQ(host.calls().size(), 1u);
}

}  // namespace
