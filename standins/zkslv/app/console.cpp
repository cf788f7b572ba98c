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
  out_ << kEraseLine;
  progress_shown_ = false;
  shown_percent_ = -1;
}

void Console::message(double time, std::string_view text) {
  if (quiet_) return;
  clear_progress();
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "[%12.6f s] ", time);
  out_ << stamp << text << '\n';
}

void Console::note(std::string_view text) {
  clear_progress();
  out_ << "zkslv: " << text << '\n';
}

void Console::progress(double time, double start_time, double end_time) {
  if (!progress_line_) return;
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
}

}  // namespace zkslv
