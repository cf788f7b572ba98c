// The tests' operating-system helpers on Windows.
#include <windows.h>

#include <cstdlib>
#include <optional>

#include "test_platform.h"

namespace test_support {

std::string library_file(std::string_view stem) { return std::string(stem) + ".dll"; }

bool is_library_loaded(const std::string& file) {
  return GetModuleHandleA(file.c_str()) != nullptr;
}

void set_environment(const char* name, const char* value) { _putenv_s(name, value); }

namespace {

// A file handle that the started program inherits.
HANDLE inheritable_file(const std::filesystem::path& file, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One argument of a command line, quoted as the C runtime splits command lines.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      // Backslashes before a quote are doubled, and the quote escaped.
      if (c == L'"') out.append(backslashes + 1, L'\\');
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, L'\\');
  return out + L"\"";
}

// Narrow text in the process's code page (UTF-8, by the test programs' manifest) to UTF-16.
std::wstring wide(const std::string& text) {
  const int size = static_cast<int>(text.size());
  std::wstring out(
      static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

}  // namespace

int run_program(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& folder, const std::filesystem::path& out,
                const std::filesystem::path& err, const char* path) {
  std::wstring command_line = quoted(program.wstring());
  for (const std::string& a : arguments) {
    command_line += L" " + quoted(wide(a));
  }
  HANDLE input = inheritable_file(L"NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE output = inheritable_file(out, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE error = inheritable_file(err, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;

  // The program inherits this process's environment, PATH replaced for the time of the start.
  std::optional<std::wstring> saved_path;
  if (path != nullptr) {
    if (const wchar_t* old = _wgetenv(L"PATH")) saved_path = old;
    _putenv_s("PATH", path);
  }
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, folder.c_str(), &startup, &process);
  if (path != nullptr) _wputenv_s(L"PATH", saved_path ? saved_path->c_str() : L"");
  for (HANDLE h : {input, output, error}) CloseHandle(h);
  if (!started) return -1;
  DWORD status = 0;
  WaitForSingleObject(process.hProcess, INFINITE);
  const bool known = GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return known ? static_cast<int>(status) : -1;
}

}  // namespace test_support
