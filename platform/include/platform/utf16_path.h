// Helpers for UTF-16 paths (the model path a host hands over), with the separators of
// platform/path.h.
#pragma once

#include <string_view>

namespace platform {

// The directory part of a path: everything up to and including its last separator, or
// empty when it has none.
std::u16string_view directory_part(std::u16string_view path) noexcept;

}  // namespace platform
