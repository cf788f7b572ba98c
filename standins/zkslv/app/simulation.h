// One run of a model: the host loads the user-subroutine library and drives each force
// element through calc_external_force as a dynamics solver does.
//
//   start time t0:   mode -1 (initialise) for each element, then mode 1 (reset) for each
//   each step n:     t = t0 + n h; mode 0 (evaluate) for each element at t, the loads it
//                    returned (N, N·m) converted to the model's units and applied to its
//                    bodies (held between interfacings); a row of results when n is a
//                    multiple of output_every; the bodies advanced to t + h, and the run
//                    failed when their motion ran away; mode 2 (position check) for each
//                    element at t + h
//   end:             after the first step that reaches the end time, or after the step
//                    during which a termination was requested; a last row at that time
//
// The element's parameter array: [0] its number in the model (from 1), [1] 0, [2] instance
// key, [3] interval variable id, [4] 1 when an automatic stop is chosen, [5] 2 force or 1
// position criterion, [6] tolerance, [7] body count N, [8 ..] the body ids.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "model.h"
#include "results.h"

namespace zkslv {

enum class Ending {
  kEndTime,  // the end time was reached
  kStopped,  // a force element asked for the end of the run
  kFailed,   // the run could not go on: see RunSummary::error
};

struct RunSummary {
  Ending ending = Ending::kFailed;
  double final_time = 0.0;          // the time of the last state
  std::optional<double> stop_time;  // when the end of the run was asked for
  std::string stop_text;            // the message that came with the request
  // The element relayed a failure of its provider before asking for the end of the run.
  bool failure_reported = false;
  std::string error;  // kFailed: what went wrong, with the model file and line
};

// The parameter array that the host passes for `element` (number `number`, from 1).
std::vector<double> element_parameters(const ForceElementDefinition& element, int number);

// Runs the model from its start to its end, adding rows to `table`.
RunSummary simulate(const Model& model, Console& console, ResultTable& table);

}  // namespace zkslv
