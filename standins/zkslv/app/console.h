// What the host shows while it runs and what it keeps in its log: the force elements'
// messages with the simulation time, its own notes, warnings and errors, and on a terminal a
// progress line that the lines scroll past.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace zkslv {

// How much the console shows. Every line goes to the log whatever the verbosity.
enum class Verbosity {
  kQuiet,    // errors only
  kNormal,   // the progress line, warnings, errors and the summary at the end
  kVerbose,  // all of that and every message and note as it comes
};

class Console {
 public:
  // `out` and `err`: the standard output and error streams. `progress_line`: draw the
  // progress line (only sensible on a terminal).
  Console(std::ostream& out, std::ostream& err, bool progress_line, Verbosity verbosity)
      : out_(out), err_(err), progress_line_(progress_line), verbosity_(verbosity) {}

  // Every line from now on is written to `log` too (null: no log).
  void set_log(std::ostream* log) { log_ = log; }

  // A message of a force element at simulation time `time`: "[    1.0025 s] <text>".
  void message(double time, std::string_view text);
  // A note of the host about the run: "zkslv: <text>", shown when verbose.
  void note(std::string_view text);
  // A line of the summary at the end: "zkslv: <text>", shown unless quiet.
  void summary(std::string_view text);
  // "zkslv: warning: <text>" on the error stream, unless quiet.
  void warning(std::string_view text);
  // "zkslv: error: <text>" on the error stream.
  void error(std::string_view text);
  // Redraws the progress line when the shown percentage has changed.
  void progress(double time, double start_time, double end_time);
  // Removes the progress line.
  void end_progress();

 private:
  void clear_progress();
  void line(std::ostream& stream, bool shown, std::string_view text);

  std::ostream& out_;
  std::ostream& err_;
  std::ostream* log_ = nullptr;
  bool progress_line_;
  Verbosity verbosity_;
  bool progress_shown_ = false;
  int shown_percent_ = -1;
};

// The time as messages show it: up to ten significant digits, no trailing zeros.
std::string format_time(double time);

}  // namespace zkslv
