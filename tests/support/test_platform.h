// What the tests need from the operating system, the same on every platform: file names of
// the build's libraries, whether one is loaded, environment variables, scratch folders.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// Whether the tests run on Windows (where a few check POSIX programs and are skipped).
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// The file name the build gives library `stem`: lib<stem>.so, or <stem>.dll on Windows.
std::string library_file(std::string_view stem);

// Whether the library with file name `file` is loaded in this process (takes no reference).
bool is_library_loaded(const std::string& file);

// Sets (or, with an empty value on Windows, removes) an environment variable of this process.
void set_environment(const char* name, const char* value);

// A new, empty folder under the system's temporary folder, named <prefix><unique part>.
std::filesystem::path make_temp_folder(std::string_view prefix);

// Runs `program` with `arguments` in `folder`, standard input empty, standard output and
// error into the files `out` and `err`, and PATH replaced by `path` when that is not null.
// Returns the exit status (128 + the signal's number when a signal ended it), or -1 when the
// program could not be started.
int run_program(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& folder, const std::filesystem::path& out,
                const std::filesystem::path& err, const char* path);

}  // namespace test_support
