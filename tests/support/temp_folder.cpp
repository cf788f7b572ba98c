// Scratch folders from std::filesystem alone.
#include <random>

#include "test_platform.h"

namespace test_support {

std::filesystem::path make_temp_folder(std::string_view prefix) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  while (true) {
    const std::filesystem::path folder = base / (std::string(prefix) + std::to_string(random()));
    // create_directory reports false when the name is taken: draw another.
    if (std::filesystem::create_directory(folder)) return folder;
  }
}

}  // namespace test_support
