// The program's operating-system calls on POSIX systems: terminals, files, gnuplot.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "plot.h"
#include "system.h"

extern char** environ;

namespace zkslv {

bool output_is_terminal() { return ::isatty(STDOUT_FILENO) == 1; }

std::FILE* open_for_writing(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "w");
}

std::optional<std::filesystem::path> find_on_path(std::string_view program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::string_view rest(path);
  while (true) {
    const size_t colon = rest.find(':');
    const std::string_view directory = rest.substr(0, colon);
    const std::filesystem::path candidate =
        std::filesystem::path(directory.empty() ? "." : std::string(directory)) / program;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(colon + 1);
  }
}

bool run_gnuplot(const std::filesystem::path& gnuplot, const std::string& script,
                 const std::filesystem::path& output, std::string* error) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) {
    *error = std::string("cannot start gnuplot: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const std::string program = gnuplot.string();
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[0]);
  if (spawned != 0) {
    ::close(pipe_ends[1]);
    *error = "cannot start " + program + ": " + std::strerror(spawned);
    return false;
  }

  // gnuplot reads the whole script before it ends, so one writer suffices. Should gnuplot
  // die early, the write fails instead of raising SIGPIPE, and its exit status tells.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);
  size_t written = 0;
  while (written < script.size()) {
    const ssize_t n = ::write(pipe_ends[1], script.data() + written, script.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  ::close(pipe_ends[1]);
  ::sigaction(SIGPIPE, &previous, nullptr);

  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      *error = std::string("lost track of gnuplot: ") + std::strerror(errno);
      return false;
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  *error = WIFEXITED(status)
               ? "gnuplot ended with exit status " + std::to_string(WEXITSTATUS(status))
               : "gnuplot was ended by signal " + std::to_string(WTERMSIG(status));
  return false;
}

}  // namespace zkslv
