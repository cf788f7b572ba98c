// The automatic stop of the force element: the force and position criteria and their counts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ostrel_harness.h"

namespace {

using test_support::call;
using test_support::Element;
using test_support::HostCall;
using test_support::kIntervalVariable;
using test_support::RecordingHost;

constexpr char kForceStop[] = "Terminate Tarvo solver by Auto Stop(Force) at ";
constexpr char kPositionStop[] = "Terminate Tarvo solver by Auto Stop(Position) at ";

class AutoStop : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.set_scalar("VARVAL", kIntervalVariable, 0.0);  // interface on every evaluation
    force_ = {3.0, 4.0, 0.0};
    probe::state().loads_for = [this](double, int count, double* loads) {
      for (int i = 0; i < count; ++i) std::copy(force_.begin(), force_.end(), loads + 6 * i);
    };
  }

  Element force_element(double tolerance, std::vector<double> ids = {5}) {
    Element e;
    e.auto_stop_enabled = 1;
    e.auto_stop_kind = 2;
    e.auto_stop_tolerance = tolerance;
    e.body_ids = std::move(ids);
    return e;
  }

  Element position_element(double tolerance, std::vector<double> ids = {5}) {
    Element e = force_element(tolerance, std::move(ids));
    e.auto_stop_kind = 1;
    return e;
  }

  void evaluate(const Element& e, double time) {
    std::vector<double> result(6 * e.body_ids.size());
    call(e, 0, time, "fixture_provider", "em.cfg", result.data());
  }

  // Times at which the host was asked to stop with `message`.
  std::vector<double> stops(const char* message) const {
    std::vector<double> times;
    for (const HostCall& c : host_.calls_of("msgprint")) {
      if (c.name == message) times.push_back(c.value);
    }
    return times;
  }

  RecordingHost host_;
  std::vector<double> force_;
};

TEST_F(AutoStop, ResetAsksForEveryQuantityInItsOwnOrder) {
  Element e = force_element(0.1, {5, 6});
  call(e, 1);
  std::vector<std::string> names;
  std::vector<int> counts;
  for (const HostCall& c : host_.calls_of("sysary")) {
    names.push_back(c.name + std::to_string(c.id));
    counts.push_back(c.value_count);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"TDISP5", "TVEL5", "RVEL5", "TACC5", "RACC5", "AM5",
                                             "TDISP6", "TVEL6", "RVEL6", "TACC6", "RACC6", "AM6"}));
  EXPECT_EQ(counts, (std::vector<int>{3, 3, 3, 3, 3, 9, 3, 3, 3, 3, 3, 9}));
}

TEST_F(AutoStop, ForceSettledAfterThreeSteadyInterfacings) {
  call(Element(), -1);
  Element e = force_element(0.001);
  force_ = {6.0, 8.0, 0.0};  // magnitude 10
  call(e, 1);
  for (double t : {0.1, 0.2, 0.3}) evaluate(e, t);
  EXPECT_TRUE(stops(kForceStop).empty());
  evaluate(e, 0.4);
  EXPECT_EQ(stops(kForceStop), std::vector<double>{0.4});
  EXPECT_EQ(host_.terminations(), 1);
  // The stop message precedes the interfacing messages of the same call.
  const std::vector<std::string> prints = host_.names("msgprint");
  EXPECT_EQ(prints[prints.size() - 3], kForceStop);
  EXPECT_EQ(prints.back(), "Interfaced with Quelm at ");
}

TEST_F(AutoStop, FirstInterfacingAtTimeZeroStoresNothing) {
  call(Element(), -1);
  Element e = force_element(0.001);
  call(e, 1);
  for (double t : {0.0, 0.1, 0.2, 0.3}) evaluate(e, t);
  EXPECT_TRUE(stops(kForceStop).empty());
  evaluate(e, 0.4);
  EXPECT_EQ(stops(kForceStop), std::vector<double>{0.4});
}

TEST_F(AutoStop, ForceChangeAboveToleranceStartsCountingAgain) {
  call(Element(), -1);
  Element e = force_element(0.01);
  call(e, 1);
  evaluate(e, 0.1);  // 5 against the cleared 0: count 0
  evaluate(e, 0.2);
  evaluate(e, 0.3);
  force_ = {3.0, 4.1, 0.0};  // magnitude 5.08: too large a change
  evaluate(e, 0.4);
  evaluate(e, 0.5);
  evaluate(e, 0.6);
  EXPECT_TRUE(stops(kForceStop).empty());
  evaluate(e, 0.7);
  EXPECT_EQ(stops(kForceStop), std::vector<double>{0.7});
}

TEST_F(AutoStop, ForceNeverSettlesWithNegativeToleranceOrNaN) {
  call(Element(), -1);
  Element negative = force_element(-1e-9);
  call(negative, 1);
  for (int step = 1; step <= 8; ++step) evaluate(negative, 0.1 * step);
  force_ = {std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0};
  Element tolerant = force_element(1.0);
  for (int step = 9; step <= 16; ++step) evaluate(tolerant, 0.1 * step);
  EXPECT_TRUE(stops(kForceStop).empty());
}

TEST_F(AutoStop, EveryBodyMustSettle) {
  call(Element(), -1);
  Element e = force_element(0.001, {5, 6});
  call(e, 1);
  int step = 0;
  probe::state().loads_for = [&step](double, int, double* loads) {
    loads[0] = 1.0;
    loads[6] = step++ % 2 ? 1.0 : 2.0;  // the second body never settles
  };
  for (int i = 1; i <= 10; ++i) evaluate(e, 0.1 * i);
  EXPECT_TRUE(stops(kForceStop).empty());
}

TEST_F(AutoStop, NoBodiesMeetsEitherCriterionAtOnce) {
  call(Element(), -1);
  Element e = force_element(0.001, {});
  call(e, 1);
  evaluate(e, 0.1);
  EXPECT_EQ(stops(kForceStop), std::vector<double>{0.1});
  Element p = position_element(0.001, {});
  call(p, 2, 0.2);
  EXPECT_EQ(stops(kPositionStop), std::vector<double>{0.2});
}

TEST_F(AutoStop, ElementWithoutResetIsSizedOnFirstUse) {
  call(Element(), -1);
  Element e = force_element(0.001, {5, 6, 7});
  for (int i = 1; i <= 4; ++i) evaluate(e, 0.1 * i);
  EXPECT_EQ(stops(kForceStop), std::vector<double>{0.4});
  // The same key with more bodies than its reset sized: the new bodies start from zero.
  Element grown = force_element(0.001, {5, 6, 7, 8, 9});
  host_.clear();
  evaluate(grown, 0.5);
  EXPECT_TRUE(stops(kForceStop).empty());
  Element positions = position_element(0.5, {5, 6, 7, 8, 9, 10, 11});
  call(positions, 2, 0.6);  // sized up as well; nothing read outside the history
}

// Distances served by "DM" for body 5, one per check.
class PositionCheck : public AutoStop {
 protected:
  void check(const Element& e, double time, double distance) {
    host_.set_scalar("DM", 5, distance);
    call(e, 2, time);
  }
};

TEST_F(PositionCheck, SettlesAfterMoreThanThreeSmallSwings) {
  Element e = position_element(0.5);
  call(e, 1);
  // Turning points at the 3rd (swing 1.5, count 0), 4th (0.3, 1), 5th (0.2, 2),
  // 6th (0.1, 3) and 7th check (0.05, 4: settled).
  const double distances[] = {1.0, 2.0, 1.5, 1.8, 1.6, 1.7, 1.65};
  for (int i = 0; i < 6; ++i) check(e, 0.1 * (i + 1), distances[i]);
  EXPECT_TRUE(stops(kPositionStop).empty());
  check(e, 0.7, distances[6]);
  EXPECT_EQ(stops(kPositionStop), std::vector<double>{0.7});
  const std::vector<HostCall> dm = host_.calls_of("sysfnc");
  EXPECT_EQ(dm.back().name, "DM");
  EXPECT_EQ(dm.back().id, 5);
}

TEST_F(PositionCheck, LargeSwingClearsTheSharedCount) {
  Element e = position_element(0.5);
  call(e, 1);
  const double distances[] = {1.0, 2.0, 1.5, 1.8, 1.6, 1.7, 5.0, 4.9, 5.0, 4.95, 5.0};
  double time = 0.0;
  for (double d : distances) check(e, time += 0.1, d);
  // 5.0 after 1.7 is no turning point; 4.9 is (peak 5.0, valley 1.7: swing 3.3, count 0),
  // then 5.0 (0.1, 1), 4.95 (0.05, 2), 5.0 (0.05 repeated: unchanged).
  EXPECT_TRUE(stops(kPositionStop).empty());
}

TEST_F(PositionCheck, ResetOfAnyElementClearsTheSharedCount) {
  Element e = position_element(0.5);
  Element other = position_element(0.5, {6});
  other.instance_key = 99;
  call(e, 1);
  const double distances[] = {1.0, 2.0, 1.5, 1.8, 1.6, 1.7};
  for (int i = 0; i < 6; ++i) check(e, 0.1 * (i + 1), distances[i]);  // count 3
  call(other, 1);
  check(e, 0.7, 1.65);  // a small swing again, but the count restarted: 1
  EXPECT_TRUE(stops(kPositionStop).empty());
}

TEST_F(PositionCheck, RepeatedTimeAndNegativeToleranceNeverStop) {
  Element e = position_element(-0.5);
  call(e, 1);
  check(e, 0.1, 1.0);
  check(e, 0.1, 1.0);  // 0/0: a NaN slope is stored
  check(e, 0.2, 2.0);
  check(e, 0.2, 1.0);  // -1/0: minus infinity
  for (int i = 0; i < 10; ++i) check(e, 0.3 + 0.1 * i, i % 2 ? 1.0 : 1.001);
  EXPECT_TRUE(stops(kPositionStop).empty());
}

}  // namespace
