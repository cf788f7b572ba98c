// Message lines and the terminal progress line.
#include "console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zkslv {

namespace {
// Erases the current terminal line: carriage return, then "erase to end of line".
constexpr std::string_view kEraseLine = "\r\x1b[K";
}  // namespace

std::string format_time(double time) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", time);
  return buffer;
}

void Console::clear_progress() {
  if (!progress_shown_) return;
  out_ << kEraseLine << std::flush;
  progress_shown_ = false;
  shown_percent_ = -1;
}

void Console::line(std::ostream& stream, bool shown, std::string_view text) {
  if (log_ != nullptr) *log_ << text << '\n';
  if (!shown) return;
  clear_progress();
  stream << text << '\n';
}

void Console::message(double time, std::string_view text) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "[%12.6f s] ", time);
  line(out_, verbosity_ == Verbosity::kVerbose, std::string(stamp) + std::string(text));
}

void Console::note(std::string_view text) {
  line(out_, verbosity_ == Verbosity::kVerbose, "zkslv: " + std::string(text));
}

void Console::summary(std::string_view text) {
  line(out_, verbosity_ != Verbosity::kQuiet, "zkslv: " + std::string(text));
}

void Console::warning(std::string_view text) {
  line(err_, verbosity_ != Verbosity::kQuiet, "zkslv: warning: " + std::string(text));
}

void Console::error(std::string_view text) {
  line(err_, true, "zkslv: error: " + std::string(text));
}

void Console::progress(double time, double start_time, double end_time) {
  if (!progress_line_ || verbosity_ == Verbosity::kQuiet) return;
  const double fraction = std::clamp((time - start_time) / (end_time - start_time), 0.0, 1.0);
  const int percent = static_cast<int>(std::floor(fraction * 100.0));
  if (progress_shown_ && percent == shown_percent_) return;
  char line[96];
  std::snprintf(line, sizeof line, "zkslv: t = %s s of %s s (%d %%)", format_time(time).c_str(),
                format_time(end_time).c_str(), percent);
  out_ << kEraseLine << line << std::flush;
  progress_shown_ = true;
  shown_percent_ = percent;
}

void Console::end_progress() {
  clear_progress();
  out_ << std::flush;
  if (log_ != nullptr) *log_ << std::flush;
}

}  // namespace zkslv
