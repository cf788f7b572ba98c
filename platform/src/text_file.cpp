// Line reading with Windows text-mode line ends.
#include "platform/text_file.h"

namespace platform {

std::istream& read_text_line(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return in;
  // getline stops at '\n' without setting eof; a last line without line end sets it.
  const bool had_line_feed = !in.eof();
  if (had_line_feed && !line.empty() && line.back() == '\r') line.pop_back();
  return in;
}

}  // namespace platform
