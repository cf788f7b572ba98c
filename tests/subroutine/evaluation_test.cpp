#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "ostrel_harness.h"

namespace {

using test_support::call;
using test_support::Element;
using test_support::HostCall;
using test_support::kIntervalVariable;
using test_support::RecordingHost;

constexpr double kUntouched = -7.25;

class Evaluation : public ::testing::Test {
 protected:
  void SetUp() override {
    element_.body_ids = {11, 12};
    call(element_, -1);
    // Loads: body i gets 10*i + 1 ... 10*i + 6, scaled by the time.
    probe::state().loads_for = [](double time, int count, double* loads) {
      for (int i = 0; i < 6 * count; ++i) loads[i] = (10 * (i / 6) + i % 6 + 1) * (1 + time);
    };
    set_interval(0.0);
    host_.clear();
    probe::state().log.clear();
  }

  void set_interval(double interval) { host_.set_scalar("VARVAL", kIntervalVariable, interval); }

  // One evaluation call; true when it interfaced with the provider.
  bool evaluate_at(double time) {
    std::fill(std::begin(result_), std::end(result_), kUntouched);
    const size_t computes = probe::state().computes.size();
    call(element_, 0, time, "fixture_provider", "em.cfg", result_);
    return probe::state().computes.size() > computes;
  }

  RecordingHost host_;
  Element element_;
  double result_[12];
};

TEST_F(Evaluation, InterfacesOnlyWhenDue) {
  set_interval(0.01);
  EXPECT_TRUE(evaluate_at(0.0));
  EXPECT_FALSE(evaluate_at(0.004));
  for (double r : result_) EXPECT_EQ(r, kUntouched);
  EXPECT_TRUE(evaluate_at(0.01));
  EXPECT_FALSE(evaluate_at(0.015));
  // Calls that do not interface ask the host for nothing beyond the interval.
  host_.clear();
  evaluate_at(0.0199);
  ASSERT_EQ(host_.calls().size(), 1u);
  EXPECT_EQ(host_.calls()[0].name, "VARVAL");
}

TEST_F(Evaluation, IntervalOfZeroOrLessInterfacesEveryCall) {
  for (double interval : {0.0, -1.0}) {
    SCOPED_TRACE(interval);
    set_interval(interval);
    EXPECT_TRUE(evaluate_at(0.5));
    EXPECT_TRUE(evaluate_at(0.5));
  }
  EXPECT_TRUE(evaluate_at(0.25));  // a negative interval moved the due time back
}

TEST_F(Evaluation, NotANumberNeverIsDue) {
  EXPECT_FALSE(evaluate_at(std::numeric_limits<double>::quiet_NaN()));
  set_interval(std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(evaluate_at(1.0));  // due time becomes NaN
  EXPECT_FALSE(evaluate_at(2.0));
}

TEST_F(Evaluation, ElementsOfOneLibraryShareTheDueTime) {
  set_interval(0.1);
  Element other;
  other.instance_key = 9;
  other.body_ids = {21};
  double other_result[6] = {kUntouched};
  ASSERT_TRUE(evaluate_at(1.0));
  call(other, 0, 1.0, "fixture_provider", "em.cfg", other_result);
  EXPECT_EQ(other_result[0], kUntouched);
  EXPECT_EQ(probe::state().computes.size(), 1u);
  call(other, 0, 1.1, "fixture_provider", "em.cfg", other_result);
  EXPECT_EQ(probe::state().computes.size(), 2u);
  EXPECT_EQ(other_result[0], 1 * 2.1);
}

TEST_F(Evaluation, GathersKinematicsInOrderAndReturnsTheLoads) {
  for (int id : {11, 12}) {
    const double base = id * 100.0;
    host_.set_array("TDISP", id, {base + 1, base + 2, base + 3, -1, -1});
    host_.set_array("TVEL", id, {base + 4, base + 5, base + 6});
    host_.set_array("TACC", id, {base + 7, base + 8, base + 9});
    host_.set_array("RVEL", id, {base + 10, base + 11, base + 12});
    host_.set_array("RACC", id, {base + 13, base + 14, base + 15});
    host_.set_array("AM", id,
                    {base + 21, base + 22, base + 23, base + 24, base + 25, base + 26, base + 27,
                     base + 28, base + 29});
  }
  ASSERT_TRUE(evaluate_at(0.5));

  std::vector<std::string> order;
  std::vector<int> counts;
  std::vector<int> ids;
  for (const HostCall& c : host_.calls_of("sysary")) {
    order.push_back(c.name);
    counts.push_back(c.value_count);
    ids.push_back(c.id);
  }
  const std::vector<std::string> per_body = {"TDISP", "TVEL", "TACC", "RVEL", "RACC", "AM"};
  std::vector<std::string> expected_order = per_body;
  expected_order.insert(expected_order.end(), per_body.begin(), per_body.end());
  EXPECT_EQ(order, expected_order);
  EXPECT_EQ(counts, (std::vector<int>{3, 3, 3, 3, 3, 9, 3, 3, 3, 3, 3, 9}));
  EXPECT_EQ(ids, (std::vector<int>{11, 11, 11, 11, 11, 11, 12, 12, 12, 12, 12, 12}));

  const probe::ComputeCall& c = probe::state().computes.back();
  EXPECT_EQ(c.time, 0.5);
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(c.positions, (std::vector<double>{1101, 1102, 1103, 1201, 1202, 1203}));
  EXPECT_EQ(c.velocities, (std::vector<double>{1104, 1105, 1106, 1204, 1205, 1206}));
  EXPECT_EQ(c.accelerations, (std::vector<double>{1107, 1108, 1109, 1207, 1208, 1209}));
  EXPECT_EQ(c.angular_velocities, (std::vector<double>{1110, 1111, 1112, 1210, 1211, 1212}));
  EXPECT_EQ(c.angular_accelerations, (std::vector<double>{1113, 1114, 1115, 1213, 1214, 1215}));
  EXPECT_EQ(c.orientations[0], 1121);
  EXPECT_EQ(c.orientations[17], 1229);

  EXPECT_EQ(probe::state().log, (std::vector<std::string>{"Compute", "GetForces"}));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(result_[i], (10 * (i / 6) + i % 6 + 1) * 1.5) << i;
  const std::vector<HostCall> prints = host_.calls_of("msgprint");
  ASSERT_EQ(prints.size(), 2u);
  EXPECT_EQ(prints[0].name, "Time : ");
  EXPECT_EQ(prints[1].name, "Interfaced with Quelm at ");
  EXPECT_EQ(prints[0].value, 0.5);
  EXPECT_EQ(prints[1].value, 0.5);
  EXPECT_TRUE(host_.calls_of("write_message").empty());
}

TEST_F(Evaluation, NoBodiesStillRunsTheProvider) {
  element_.body_ids.clear();
  ASSERT_TRUE(evaluate_at(0.0));
  EXPECT_EQ(probe::state().computes.back().count, 0);
  EXPECT_EQ(probe::state().log, (std::vector<std::string>{"Compute", "GetForces"}));
  EXPECT_EQ(result_[0], kUntouched);
  EXPECT_EQ(host_.calls_of("msgprint").size(), 2u);
}

TEST_F(Evaluation, ProviderFailureIsRelayedAndTheCallCarriesOn) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> relayed;
  };
  const std::string long_line = std::string(1023, 'a') + std::string(1023, 'b') + "tail";
  // Characters of two, three and four bytes across the buffer's end move to the next chunk;
  // bytes that are not UTF-8 are cut where the buffer ends.
  const std::string a1021(1021, 'a'), a1022(1022, 'a');
  const std::string cent = "\xC2\xA2", euro = "\xE2\x82\xAC", clef = "\xF0\x9D\x84\x9E";
  const std::string stray(1030, '\x80');
  const Case cases[] = {
      {"no lines", {}, {}},
      {"two lines", {"mesh failed", ""}, {"mesh failed", ""}},
      {"line longer than the buffer",
       {long_line},
       {std::string(1023, 'a'), std::string(1023, 'b'), "tail"}},
      {"two-byte character at the end", {a1022 + cent + "b"}, {a1022, cent + "b"}},
      {"three-byte character at the end", {a1021 + euro}, {a1021, euro}},
      {"four-byte character at the end", {a1021 + clef}, {a1021, clef}},
      {"character just inside", {a1021 + cent + "b"}, {a1021 + cent, "b"}},
      {"continuation bytes only", {stray}, {stray.substr(0, 1023), stray.substr(1023)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    probe::state().fail = true;
    probe::state().failure_messages = c.lines;
    host_.clear();
    ASSERT_TRUE(evaluate_at(1.0));
    std::vector<std::string> expected = {
        "write_message:Tarvo solver will be terminated caused of Quelm problem :: ",
        "write_message:Error Message from Quelm :: "};
    for (const std::string& line : c.relayed) expected.push_back("write_message:" + line);
    expected.insert(
        expected.end(),
        {"terminate_solver:", "msgprint:Time : ", "msgprint:Interfaced with Quelm at "});
    std::vector<std::string> seen;
    for (const HostCall& h : host_.calls()) {
      if (h.service != "sysfnc" && h.service != "sysary") seen.push_back(h.service + ":" + h.name);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(result_[0], 1 * 2.0);  // the loads still arrive
  }
}

TEST_F(Evaluation, ProviderExceptionsPassOutAndChangeNothing) {
  set_interval(10.0);
  for (std::string* thrower :
       {&probe::state().throw_in_compute, &probe::state().throw_in_get_forces}) {
    *thrower = "field solver lost";
    try {
      evaluate_at(3.0);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "field solver lost");
    }
    for (double r : result_) EXPECT_EQ(r, kUntouched);
    EXPECT_TRUE(host_.calls_of("msgprint").empty());
    thrower->clear();
  }
  EXPECT_TRUE(evaluate_at(3.0));  // the due time did not advance
}

// A provider that calls back into the entry through its own library while the outer call is
// under way: the nested call works in arrays of its own and leaves the outer loads alone.
TEST_F(Evaluation, NestedCallThroughTheSameProviderKeepsTheOuterArrays) {
  Element nested;
  nested.instance_key = 8;
  nested.body_ids = {21, 22};
  double nested_result[12] = {};
  bool nesting = false;
  probe::state().loads_for = [&](double time, int count, double* loads) {
    const bool outer = !nesting;
    for (int i = 0; i < 6 * count; ++i) loads[i] = (outer ? 1.5 : -2.25) * (i + 1);
    if (outer) {
      nesting = true;
      call(nested, 0, time, "fixture_provider", "em.cfg", nested_result);
    }
  };
  ASSERT_TRUE(evaluate_at(0.75));
  ASSERT_EQ(probe::state().computes.size(), 2u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(result_[i], 1.5 * (i + 1)) << i;
    EXPECT_EQ(nested_result[i], -2.25 * (i + 1)) << i;
  }
}

}  // namespace
