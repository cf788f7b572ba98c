// Reading text files the way Windows text mode does.
#pragma once

#include <fstream>
#include <istream>
#include <string>

namespace platform {

// std::getline with '\n' as delimiter, except that a carriage return right before the
// line feed is dropped. Like std::getline, once the stream has failed or reached its end
// nothing is read and `line` keeps its contents.
std::istream& read_text_line(std::istream& in, std::string& line);

// Opens `path` for reading with read_text_line (in binary mode: read_text_line drops the
// carriage returns). A directory is not opened: Windows cannot open one, and elsewhere it would
// read as an empty file, whose first read empties the target line.
void open_text_file(std::ifstream& file, const char* path);

}  // namespace platform
