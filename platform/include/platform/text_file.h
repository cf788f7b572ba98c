// Reading text files the way Windows text mode does.
#pragma once

#include <istream>
#include <string>

namespace platform {

// std::getline with '\n' as delimiter, except that a carriage return right before the
// line feed is dropped. Like std::getline, once the stream has failed or reached its end
// nothing is read and `line` keeps its contents.
std::istream& read_text_line(std::istream& in, std::string& line);

}  // namespace platform
