// The operating system's loader, wrapped: the one place that calls it.
#pragma once

#include <string>

namespace platform::os {

// Loads one file name exactly as given; null and *error on failure.
void* load_library(const std::string& file, std::string* error);
void* find_symbol(void* handle, const char* symbol, std::string* error);
void unload_library(void* handle) noexcept;

}  // namespace platform::os
