#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/run_command.hpp"

extern char** environ;

namespace drosk::platform {
namespace {

using clock = std::chrono::steady_clock;

// /bin/sh has no EXIT command; this one gives the command texts their meaning. It is handed to
// the shell ahead of the text and is not part of it.
constexpr std::string_view exit_command = "EXIT() { exit $1; }; ";

// How long a command's processes get to end after a signal is passed on, before SIGKILL.
constexpr auto grace_period = std::chrono::seconds(5);
// How long drosk then still waits for killed processes that no one reaps.
constexpr auto reaping_time = std::chrono::seconds(1);

// The signals that would end drosk, passed on to a command in a group of its own; the faults
// (SIGSEGV and the like) and the limits (SIGXCPU) are drosk's own.
sigset_t cancelling;
// The other signals whose disposition drosk changes for itself.
constexpr int other_changed_signals[] = {SIGPIPE, SIGXFSZ, SIGCHLD};

// What drosk inherited: which of the changed signals were ignored, and the signal mask.
sigset_t inherited_ignored;
sigset_t inherited_mask;

// What a cancelling signal does, changed only while signals are blocked: it ends drosk, as at its
// default action; or, while a command runs in a group of its own, it is noted to be passed on; or,
// while a command runs in drosk's group at the terminal, SIGINT and SIGQUIT are left to the
// command, as system() does.
enum cancel_mode : sig_atomic_t { end_drosk, pass_on, leave_to_command };
volatile sig_atomic_t mode = end_drosk;

// The cancelling signals received while a command runs.
sigset_t received;

void on_cancelling_signal(int sig) {
  if (mode == pass_on) {
    sigaddset(&received, sig);
  } else if (mode == end_drosk || (sig != SIGINT && sig != SIGQUIT)) {
    // Delivered again at its default action once the handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigaction(sig, &action, nullptr);
    raise(sig);
  }
}

// SIGCHLD only ends the wait.
void wake(int) {}

sigset_t cancelling_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig :
       {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGIO}) {
    sigaddset(&set, sig);
  }
#ifdef __linux__
  sigaddset(&set, SIGPWR);
  sigaddset(&set, SIGSTKFLT);
#endif
#ifdef SIGRTMIN
  // From the C library's own first: glibc keeps 32 and 33 for its threads.
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) sigaddset(&set, sig);
#endif
  return set;
}

void set_action(int sig, void (*handler)(int), int flags = 0, struct sigaction* old = nullptr) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigfillset(&action.sa_mask);
  sigaction(sig, &action, old);
}

void block_all() {
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_SETMASK, &all, nullptr);
}

// True when drosk's process group is its controlling terminal's foreground group.
bool in_terminal_foreground() {
  int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal == -1) return false;
  bool foreground = tcgetpgrp(terminal) == getpgrp();
  close(terminal);
  return foreground;
}

// Stops drosk with `sig` at its default action, as the terminal stops a process, and returns once
// drosk is continued. Signals are blocked on entry and on return.
void stop_self(int sig) {
  struct sigaction old {};
  set_action(sig, SIG_DFL, 0, &old);
  raise(sig);  // pending until unblocked below
  sigset_t only;
  sigfillset(&only);
  sigdelset(&only, sig);
  sigprocmask(SIG_SETMASK, &only, nullptr);
  block_all();
  sigaction(sig, &old, nullptr);
}

// The command's group stopped (it read the terminal from the background, say): drosk stops with
// the same signal, so that its job, the one the shell knows, shows stopped. Continued in its
// terminal's foreground (fg), drosk hands the terminal to the command's group; in the foreground or
// not (bg), it continues the group. SIGTTOU is blocked, so handing the terminal on never stops it.
void follow_stop(pid_t group, int sig, bool& handed) {
  stop_self(sig);
  int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal != -1) {
    if (tcgetpgrp(terminal) == getpgrp() && tcsetpgrp(terminal, group) == 0) handed = true;
    close(terminal);
  }
  killpg(group, SIGCONT);
}

// Takes the terminal back from the command's group, unless the shell has taken it meanwhile.
void take_terminal_back(pid_t group) {
  int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal == -1) return;
  if (tcgetpgrp(terminal) == group) tcsetpgrp(terminal, getpgrp());
  close(terminal);
}

// The child's part between vfork and exec, in drosk's memory, so system calls only: every signal
// as drosk inherited it, then /bin/sh. The exec gives drosk's handlers their default back; those
// that drosk ignores are set here. A cancelling signal that reaches the child before the exec (one
// sent to the new group) is handled as drosk would handle it.
[[noreturn]] void start_processor(char* const* argv, char* const* env, bool own_group,
                                  volatile int* error) {
  for (int sig : other_changed_signals) {
    struct sigaction action {};
    action.sa_handler = sigismember(&inherited_ignored, sig) ? SIG_IGN : SIG_DFL;
    sigaction(sig, &action, nullptr);
  }
  if (own_group) setpgid(0, 0);
  sigprocmask(SIG_SETMASK, &inherited_mask, nullptr);
  execve("/bin/sh", argv, env);
  *error = errno;
  _exit(127);
}

// Passes each cancelling signal received on to the group; the first one passed ends the run.
void pass_on_received(pid_t group, int& passed, clock::time_point& kill_at) {
  sigset_t signals = received;
  sigemptyset(&received);
  for (int sig = 1; sig < NSIG; ++sig) {
    if (sigismember(&signals, sig) != 1) continue;
    killpg(group, sig);
    if (passed == 0) {
      passed = sig;
      kill_at = clock::now() + grace_period;
    }
  }
}

// Waits for the processor. Where the command has a process group of its own, drosk follows its
// stops, and passes each cancelling signal it receives on to that group; drosk then waits until no
// process of the group is left, and ends those that remain after the grace period. Signals are
// blocked on entry and stay so outside the waits, which unblock `wait_mask`.
command_result wait_for(pid_t pid, pid_t group, const sigset_t& wait_mask) {
  int status = 0;
  bool ended = false, lost = false, handed = false, killed = false;
  int passed = 0;
  clock::time_point kill_at, give_up_at;
  while (!lost) {
    if (!ended) {
      pid_t got = waitpid(pid, &status, WNOHANG | (group > 0 && passed == 0 ? WUNTRACED : 0));
      lost = got == -1 && errno != EINTR;
      if (got == pid && WIFSTOPPED(status)) {
        follow_stop(group, WSTOPSIG(status), handed);
        continue;
      }
      ended = got == pid;
    }
    if (group > 0) pass_on_received(group, passed, kill_at);
    if (passed == 0) {
      if (ended) break;
      if (!lost) sigsuspend(&wait_mask);  // until the processor ends or a signal comes
      continue;
    }
    if (ended && killpg(group, 0) == -1 && errno == ESRCH) break;
    clock::time_point now = clock::now();
    if (!killed && now >= kill_at) {
      killpg(group, SIGKILL);
      killed = true;
      give_up_at = now + reaping_time;
    }
    if (killed && ended && now >= give_up_at) break;
    sigprocmask(SIG_SETMASK, &wait_mask, nullptr);
    struct timespec tick = {0, 10'000'000};
    nanosleep(&tick, nullptr);
    block_all();
  }
  if (handed) take_terminal_back(group);
  if (lost) return {-1, false};
  if (passed != 0) return {128 + passed, true};
  if (WIFEXITED(status)) return {WEXITSTATUS(status), false};
  if (WIFSIGNALED(status)) return {128 + WTERMSIG(status), false};
  return {-1, false};
}

}  // namespace

void prepare_commands() {
  // Blocked meanwhile, so that an inherited-ignored signal never meets the handler.
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_SETMASK, &all, &inherited_mask);
  cancelling = cancelling_signals();
  sigemptyset(&inherited_ignored);
  for (int sig = 1; sig < NSIG; ++sig) {
    bool cancels = sigismember(&cancelling, sig) == 1;
    if (!cancels && std::ranges::count(other_changed_signals, sig) == 0) continue;
    struct sigaction action {};
    if (cancels) set_action(sig, on_cancelling_signal, 0, &action);
    if (!cancels) sigaction(sig, nullptr, &action);
    if (action.sa_handler != SIG_IGN) continue;
    sigaddset(&inherited_ignored, sig);
    if (cancels) signal(sig, SIG_IGN);
  }
  signal(SIGCHLD, SIG_DFL);
  sigprocmask(SIG_SETMASK, &inherited_mask, nullptr);
}

command_result run_command(const std::string& text, std::string_view extra_environment,
                           const std::vector<std::string>& parameters) {
  std::string script(exit_command);
  script += text;
  // The parameters follow a $0 of "sh", the name the shell has when it is given none.
  char sh[] = "sh";
  char dash_c[] = "-c";
  std::vector<char*> argv = {sh, dash_c, script.data(), sh};
  for (const std::string& parameter : parameters)
    argv.push_back(const_cast<char*>(parameter.data()));
  argv.push_back(nullptr);

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

  // In its terminal's foreground, drosk keeps the command in its own process group: the
  // terminal's Ctrl-C, Ctrl-\ and Ctrl-Z reach the command, which may read the terminal, and drosk
  // leaves Ctrl-C and Ctrl-\ to it, as system() does. Elsewhere the command gets a group of its
  // own, and the signals that would end drosk are passed on to that group. A signal that drosk
  // inherited ignored stays so.
  bool own_group = !in_terminal_foreground();
  sigset_t saved_mask;
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_SETMASK, &all, &saved_mask);
  mode = own_group ? pass_on : leave_to_command;
  sigemptyset(&received);
  // Stops too wake the wait: a command in a group of its own is followed when it stops.
  struct sigaction saved_child;
  set_action(SIGCHLD, wake, 0, &saved_child);

  // Not posix_spawn: glibc's leaves signals of its own ignored in the command.
  volatile int exec_error = 0;
  pid_t pid = vfork();
  if (pid == 0) start_processor(argv.data(), env.data(), own_group, &exec_error);

  command_result result{-1, false};
  if (pid > 0 && exec_error != 0) {
    waitpid(pid, nullptr, 0);
  } else if (pid > 0) {
    sigset_t wait_mask = saved_mask;
    sigdelset(&wait_mask, SIGCHLD);
    result = wait_for(pid, own_group ? pid : 0, wait_mask);
  }
  mode = end_drosk;
  sigaction(SIGCHLD, &saved_child, nullptr);
  sigprocmask(SIG_SETMASK, &saved_mask, nullptr);
  return result;
}

}  // namespace drosk::platform
