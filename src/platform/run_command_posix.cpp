#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/run_command.hpp"

extern char** environ;

namespace drosk::platform {
namespace {

// /bin/sh has no EXIT command; this one gives the command texts their meaning. It is handed to
// the shell ahead of the text and is not part of it.
constexpr std::string_view exit_command = "EXIT() { exit $1; }; ";

// While a command runs, Ctrl-C and Ctrl-\ are the command's to act on, as with system().
class ignore_terminal_signals {
 public:
  ignore_terminal_signals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &saved_int_);
    sigaction(SIGQUIT, &ignore, &saved_quit_);
  }
  ~ignore_terminal_signals() {
    sigaction(SIGINT, &saved_int_, nullptr);
    sigaction(SIGQUIT, &saved_quit_, nullptr);
  }

 private:
  struct sigaction saved_int_ {};
  struct sigaction saved_quit_ {};
};

}  // namespace

int run_command(const std::string& text, std::string_view extra_environment) {
  std::string script(exit_command);
  script += text;
  char sh[] = "sh";
  char dash_c[] = "-c";
  char* argv[] = {sh, dash_c, script.data(), nullptr};

  std::vector<char*> env;
  std::string extra(extra_environment);
  // The extra entry takes the place of one of the same name rather than standing beside it.
  std::string_view extra_name = extra_environment.substr(0, extra_environment.find('='));
  for (char** e = environ; *e; ++e) {
    std::string_view entry(*e);
    bool replaced = !extra.empty() && entry.starts_with(extra_name) &&
                    entry.size() > extra_name.size() && entry[extra_name.size()] == '=';
    if (!replaced) env.push_back(*e);
  }
  if (!extra.empty()) env.push_back(extra.data());
  env.push_back(nullptr);

  // The command gets every signal back at its default and nothing blocked.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  ignore_terminal_signals ignoring;
  pid_t pid;
  int spawned = posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, env.data());
  posix_spawnattr_destroy(&attr);
  if (spawned != 0) return -1;

  int status;
  while (waitpid(pid, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace drosk::platform
