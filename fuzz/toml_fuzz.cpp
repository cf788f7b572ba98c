// Fuzz target: the two TOML readers, the host stand-in's model file and the coupling
// stand-in's project file. Any text either parses or is rejected with the reader's own error
// (ModelError, LaunchDesktopExeption); nothing else may escape, crash or hang.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "coupling/coupling.h"
#include "model.h"
#include "project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  if (bytes[0] % 2 == 0) {
    try {
      zkslv::parse_model(text, std::filesystem::path("/fuzz/model.toml"), "model.toml");
    } catch (const zkslv::ModelError&) {
    }
  } else {
    try {
      tarvoquelm::parse_project(text, "project.toml");
    } catch (const LaunchDesktopExeption&) {
    }
  }
  return 0;
}
