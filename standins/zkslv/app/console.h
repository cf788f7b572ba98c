// What the host shows while it runs: the force elements' messages with the simulation
// time, its own notes, and on a terminal a progress line that the messages scroll past.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace zkslv {

class Console {
 public:
  // `progress_line`: draw the progress line (only sensible on a terminal). `quiet`: leave
  // out the force elements' messages.
  Console(std::ostream& out, bool progress_line, bool quiet)
      : out_(out), progress_line_(progress_line), quiet_(quiet) {}

  // A message of a force element at simulation time `time`: "[    1.0025 s] <text>".
  void message(double time, std::string_view text);
  // A note of the host itself: "zkslv: <text>".
  void note(std::string_view text);
  // Redraws the progress line when the shown percentage has changed.
  void progress(double time, double start_time, double end_time);
  // Removes the progress line.
  void end_progress();

 private:
  void clear_progress();

  std::ostream& out_;
  bool progress_line_;
  bool quiet_;
  bool progress_shown_ = false;
  int shown_percent_ = -1;
};

// The time as messages show it: up to ten significant digits, no trailing zeros.
std::string format_time(double time);

}  // namespace zkslv
