// The program's operating-system calls on Windows: consoles, files by wide name, gnuplot
// started with CreateProcessW and fed through a pipe.
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/text.h"
#include "plot.h"
#include "system.h"

namespace zkslv {

namespace {

std::string last_error_text() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category()).message();
}

// Owns a handle of the Windows API; closes it when it goes.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  void reset() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

bool output_is_terminal() { return _isatty(_fileno(stdout)) != 0; }

std::FILE* open_for_writing(const std::filesystem::path& path) {
  // Binary mode: line ends are "\n" as on POSIX systems, so the file is the same everywhere.
  return _wfopen(path.c_str(), L"wb");
}

std::optional<std::filesystem::path> find_on_path(std::string_view program) {
  const wchar_t* path = _wgetenv(L"PATH");
  if (path == nullptr) return std::nullopt;
  std::wstring_view rest(path);
  const std::filesystem::path name(program);
  while (true) {
    const size_t semicolon = rest.find(L';');
    std::wstring_view directory = rest.substr(0, semicolon);
    // A folder may be written in quotes.
    if (directory.size() >= 2 && directory.front() == L'"' && directory.back() == L'"') {
      directory = directory.substr(1, directory.size() - 2);
    }
    if (!directory.empty()) {
      // A program is found under its own name or with the ".exe" that Windows adds.
      for (const wchar_t* extension : {L"", L".exe"}) {
        std::filesystem::path candidate = std::filesystem::path(directory) / name;
        candidate += extension;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
      }
    }
    if (semicolon == std::wstring_view::npos) return std::nullopt;
    rest.remove_prefix(semicolon + 1);
  }
}

bool run_gnuplot(const std::filesystem::path& gnuplot, const std::string& script,
                 const std::filesystem::path& output, std::string* error) {
  // gnuplot reads the script from a pipe whose read end it inherits; the write end stays
  // ours alone. Its output and errors go to the end of `output`, through one inherited
  // handle opened for appending.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle read_end, write_end;
  if (!CreatePipe(read_end.out(), write_end.out(), &inherit, 0) ||
      !SetHandleInformation(write_end.get(), HANDLE_FLAG_INHERIT, 0)) {
    *error = "cannot start gnuplot: " + last_error_text();
    return false;
  }
  Handle output_file(CreateFileW(output.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (output_file.get() == INVALID_HANDLE_VALUE) {
    *error = "cannot open " + platform::path_text(output) +
             " for gnuplot's output: " + last_error_text();
    return false;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = read_end.get();
  startup.hStdOutput = output_file.get();
  startup.hStdError = output_file.get();
  std::wstring command_line = L"\"" + gnuplot.wstring() + L"\"";
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(gnuplot.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, nullptr, &startup, &process);
  read_end.reset();
  output_file.reset();
  if (!started) {
    *error = "cannot start " + platform::path_text(gnuplot) + ": " + last_error_text();
    return false;
  }
  Handle process_handle(process.hProcess);
  Handle thread_handle(process.hThread);

  // Should gnuplot end early, the write fails and its exit status tells.
  size_t written = 0;
  while (written < script.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(script.size() - written, 1 << 16));
    if (!WriteFile(write_end.get(), script.data() + written, chunk, &n, nullptr) || n == 0) break;
    written += n;
  }
  write_end.reset();

  DWORD status = 0;
  if (WaitForSingleObject(process_handle.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_handle.get(), &status)) {
    *error = "lost track of gnuplot: " + last_error_text();
    return false;
  }
  if (status == 0) return true;
  *error = "gnuplot ended with exit status " + std::to_string(status);
  return false;
}

}  // namespace zkslv
