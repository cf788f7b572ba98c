// What the program needs from the operating system beyond the C++ library; one source file
// per platform (posix/, win32/) defines it, and find_on_path and run_gnuplot of plot.h.
#pragma once

#include <cstdio>
#include <filesystem>

namespace zkslv {

// Whether standard output is a terminal (progress is then shown on one rewritten line).
bool output_is_terminal();

// Opens a text file for writing by its full name (wide on Windows), with "\n" line ends on
// every platform; null with errno set on failure.
std::FILE* open_for_writing(const std::filesystem::path& path);

}  // namespace zkslv
