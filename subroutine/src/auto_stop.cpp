// The automatic stop: the reset call, the force criterion applied by evaluation calls, and
// the position check.
//
// Each force element keeps, under its instance key, a history record of nine doubles per
// body and a force count per body:
//   0 last time   1 last value (force magnitude or distance)   2 last slope
//   3 peak        4 valley      5 swing     6 rise flag   7 fall flag   8 settle count
// One settle count is shared by every element and body of the process.
#include <climits>
#include <cmath>
#include <map>
#include <vector>

#include "call.h"
#include "host_api/host_services.h"

namespace ostrel {

namespace {

constexpr size_t kHistorySlots = 9;
enum Slot {
  kLastTime,
  kLastValue,
  kLastSlope,
  kPeak,
  kValley,
  kSwing,
  kRiseFlag,
  kFallFlag,
  kSettleCount
};

// A body's force has stayed within tolerance at this many successive interfacings.
constexpr int kForceSettledCount = 3;
// The shared settle count must exceed this many small swings.
constexpr int kPositionSettledCount = 3;

struct Tables {
  std::map<int, std::vector<double>> history;
  std::map<int, std::vector<int>> force_counts;
  int settle_count = 0;
};

Tables& tables() {
  static Tables instance;
  return instance;
}

void increment(int& count) {
  if (count < INT_MAX) ++count;
}

// The history of an element, sized for its current bodies. The reset call normally sizes
// it; an element that skipped the reset or changed its body count since gets its entries
// resized here (new entries zero), so nothing is read or written outside them.
std::vector<double>& history_of(const Call& call) {
  std::vector<double>& h = tables().history[call.params.instance_key];
  h.resize(kHistorySlots * static_cast<size_t>(call.params.body_count), 0.0);
  return h;
}

std::vector<int>& force_counts_of(const Call& call) {
  std::vector<int>& c = tables().force_counts[call.params.instance_key];
  c.resize(static_cast<size_t>(call.params.body_count), 0);
  return c;
}

void stop(Call& call, const char* message) {
  msgprint(call.handle, message, call.time, &call.status);
  terminate_solver(call.handle, &call.status);
}

}  // namespace

void reset(Call& call) {
  // The host is asked for every quantity in this order; the values are not used.
  static const char* const kQuantities[] = {host_api::kPosition, host_api::kVelocity,
                                            host_api::kAngularVelocity, host_api::kAcceleration,
                                            host_api::kAngularAcceleration};
  double values[host_api::kMaxValueCount];
  for (int body = 0; body < call.params.body_count; ++body) {
    const int id = call.params.body_id(body);
    int value_count = host_api::kVectorValueCount;
    for (const char* quantity : kQuantities) query_body(call, quantity, id, &value_count, values);
    value_count = host_api::kOrientationValueCount;
    query_body(call, host_api::kOrientation, id, &value_count, values);
  }
  const size_t bodies = static_cast<size_t>(call.params.body_count);
  tables().history[call.params.instance_key].assign(kHistorySlots * bodies, 0.0);
  tables().force_counts[call.params.instance_key].assign(bodies, 0);
  tables().settle_count = 0;
}

void apply_force_criterion(Call& call, const double* loads) {
  std::vector<double>& history = history_of(call);
  std::vector<int>& counts = force_counts_of(call);
  const double tolerance = call.params.auto_stop_tolerance;
  int settled = 0;
  for (int body = 0; body < call.params.body_count; ++body) {
    const double* f = loads + 6 * static_cast<size_t>(body);
    double* record = history.data() + kHistorySlots * static_cast<size_t>(body);
    const double magnitude = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    int& count = counts[static_cast<size_t>(body)];
    // A NaN difference compares false and clears the count.
    if (tolerance >= std::fabs(record[kLastValue] - magnitude)) {
      increment(count);
    } else {
      count = 0;
    }
    // At a repeated time the stored pair stays; a NaN time always differs.
    if (!(record[kLastTime] == call.time)) {
      record[kLastTime] = call.time;
      record[kLastValue] = magnitude;
    }
    if (count >= kForceSettledCount) ++settled;
  }
  if (settled == call.params.body_count)
    stop(call, "Terminate Tarvo solver by Auto Stop(Force) at ");
}

void check_positions(Call& call) {
  std::vector<double>& history = history_of(call);
  const double tolerance = call.params.auto_stop_tolerance;
  int& settle_count = tables().settle_count;

  // Working values: start at zero for the call and carry over from body to body.
  double peak = 0.0;
  double valley = 0.0;
  double swing = 0.0;
  int rise = 0;
  int fall = 0;
  int settled = 0;

  for (int body = 0; body < call.params.body_count; ++body) {
    int id = call.params.body_id(body);
    double distance = 0.0;
    sysfnc(call.handle, host_api::kDistance, &id, 1, &distance, &call.status);
    double* record = history.data() + kHistorySlots * static_cast<size_t>(body);

    // A repeated time divides by zero; the infinite or NaN slope is kept like any other.
    const double slope = (distance - record[kLastValue]) / (call.time - record[kLastTime]);
    const double last_slope = record[kLastSlope];
    if (last_slope > 0.0) {
      if (slope > 0.0) {  // still rising
        rise = peak == 0.0 ? 0 : 2;
        peak = record[kPeak];
        valley = record[kValley];
      } else if (slope < 0.0) {  // a peak has passed
        peak = distance;
        rise = 1;
        valley = record[kValley];
      }
    }
    if (last_slope < 0.0) {
      if (slope > 0.0) {  // a valley has passed
        peak = record[kPeak];
        fall = 1;
        valley = distance;
      } else if (slope < 0.0) {  // still falling
        fall = valley == 0.0 ? 0 : 2;
        peak = record[kPeak];
        valley = record[kValley];
      }
    }
    if (rise == 1 || fall == 1) {
      swing = std::fabs(peak - valley);
      if (!(swing == record[kSwing])) {
        if (swing <= tolerance) {
          increment(settle_count);
        } else if (swing > tolerance) {
          settle_count = 0;
        }
      }
    }
    if (settle_count > kPositionSettledCount) ++settled;

    record[kLastTime] = call.time;
    record[kLastValue] = distance;
    record[kLastSlope] = slope;
    record[kPeak] = peak;
    record[kValley] = valley;
    record[kSwing] = swing;
    record[kRiseFlag] = rise;
    record[kFallFlag] = fall;
    record[kSettleCount] = settle_count;
  }
  if (settled == call.params.body_count) {
    stop(call, "Terminate Tarvo solver by Auto Stop(Position) at ");
  }
}

}  // namespace ostrel
