// Line reading with Windows text-mode line ends.
#include "platform/text_file.h"

#include <filesystem>
#include <system_error>

#include "platform/text.h"

namespace platform {

std::istream& read_text_line(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return in;
  // getline stops at '\n' without setting eof; a last line without line end sets it.
  const bool had_line_feed = !in.eof();
  if (had_line_feed && !line.empty() && line.back() == '\r') line.pop_back();
  return in;
}

void open_text_file(std::ifstream& file, const char* path) {
  const std::filesystem::path name = narrow_path(path);
  std::error_code error;
  if (std::filesystem::is_directory(name, error)) {
    // As a failed open leaves it: nothing is read, and no read empties its target.
    file.setstate(std::ios::failbit);
    return;
  }
  file.open(name, std::ios::in | std::ios::binary);
}

}  // namespace platform
