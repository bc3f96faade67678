#include <fcntl.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#if __has_include(<sys/prctl.h>)
#include <sys/prctl.h>
#endif

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
// How often the end of a group is looked for where no signal tells of it.
constexpr auto poll_time = std::chrono::milliseconds(10);

// The signals other than the cancelling ones (below) whose disposition drosk changes for itself.
constexpr int other_changed_signals[] = {SIGPIPE, SIGXFSZ, SIGCHLD};

// What drosk inherited: which signals were ignored, and the signal mask.
sigset_t inherited_ignored;
sigset_t inherited_mask;

// drosk reaps the orphans of its commands (Linux), so a SIGCHLD comes as each of them ends.
bool reaper = false;

// What a cancelling signal does, changed only while signals are blocked: it ends drosk, as at its
// default action; or, while a command runs in a group of its own, it is noted to be passed on; or,
// while a command runs in drosk's group at the terminal, SIGINT and SIGQUIT are left to the
// command, as system() does.
enum cancel_mode : sig_atomic_t { end_drosk, pass_on, leave_to_command };
volatile sig_atomic_t mode = end_drosk;

// The cancelling signals received while a command runs, to be passed on.
sigset_t received;
volatile sig_atomic_t cancel_received = 0;

void on_cancelling_signal(int sig) {
  if (mode == pass_on) {
    sigaddset(&received, sig);
    cancel_received = 1;
  } else if (mode == end_drosk || (sig != SIGINT && sig != SIGQUIT)) {
    // Delivered again at its default action once the handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigaction(sig, &action, nullptr);
    raise(sig);
  }
}

// SIGCHLD only ends the wait.
void on_child(int) {}

// The cancelling signals: those that would end drosk, passed on to a command in a group of its
// own. The faults (SIGSEGV and the like) and the limits (SIGXCPU) are drosk's own.
sigset_t cancelling_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig :
       {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGIO})
    sigaddset(&set, sig);
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

void set_action(int sig, void (*handler)(int), struct sigaction* old = nullptr) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  sigaction(sig, &action, old);
}

// One past the highest signal number: FreeBSD's NSIG leaves out its real-time signals (65-126).
int signal_end() {
#ifdef SIGRTMAX
  return std::max(NSIG, SIGRTMAX + 1);
#else
  return NSIG;
#endif
}

void block_all(sigset_t* old = nullptr) {
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_SETMASK, &all, old);
}

// For one command, as long as it lives: every signal blocked but while waiting, the cancelling
// signals passed on or left to the command, and SIGCHLD waking the wait (stops too: a command in
// a group of its own is followed when it stops). Then all as it was.
struct command_signals {
  sigset_t saved_mask;
  // What the waits unblock: the mask drosk had, with SIGCHLD.
  sigset_t wait_mask;
  struct sigaction saved_child {};

  explicit command_signals(bool own_group) {
    block_all(&saved_mask);
    mode = own_group ? pass_on : leave_to_command;
    sigemptyset(&received);
    cancel_received = 0;
    set_action(SIGCHLD, on_child, &saved_child);
    wait_mask = saved_mask;
    sigdelset(&wait_mask, SIGCHLD);
  }
  ~command_signals() {
    mode = end_drosk;
    sigaction(SIGCHLD, &saved_child, nullptr);
    sigprocmask(SIG_SETMASK, &saved_mask, nullptr);
  }
  command_signals(const command_signals&) = delete;
  command_signals& operator=(const command_signals&) = delete;
};

// /bin/sh's arguments: the exit command and the text, then the parameters after a $0 of "sh",
// the name the shell has when it is given none. They point into `script` and `parameters`.
std::vector<char*> shell_argv(std::string& script, const std::vector<std::string>& parameters) {
  static char sh[] = "sh";
  static char dash_c[] = "-c";
  std::vector<char*> argv = {sh, dash_c, script.data(), sh};
  for (const std::string& parameter : parameters)
    argv.push_back(const_cast<char*>(parameter.data()));
  argv.push_back(nullptr);
  return argv;
}

// drosk's environment with `entry` ("NAME=VALUE", the mark) in the place of any entry of the same
// name rather than beside it; as it is when `entry` is empty.
std::vector<char*> environment_with(std::string& entry, std::string_view name) {
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) {
    std::string_view old(*e);
    bool replaced = !entry.empty() && old.size() > name.size() && old.starts_with(name) &&
                    old[name.size()] == '=';
    if (!replaced) env.push_back(*e);
  }
  if (!entry.empty()) env.push_back(entry.data());
  env.push_back(nullptr);
  return env;
}

// True when drosk's process group is its controlling terminal's foreground group.
bool in_terminal_foreground() {
  int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal == -1) return false;
  bool foreground = tcgetpgrp(terminal) == getpgrp();
  close(terminal);
  return foreground;
}

// Takes `sig` if it is pending (and blocked); true if it was.
bool take_pending(int sig) {
  sigset_t pending;
  sigpending(&pending);
  if (sigismember(&pending, sig) != 1) return false;
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  int taken;
  sigwait(&only, &taken);
  return true;
}

// Stops drosk with `sig` at its default action, as the terminal stops a process; true once drosk
// is continued, false when the system discarded the stop, as it does in an orphaned group, where
// no shell could continue drosk. Signals are blocked on entry and on return; SIGCONT stays so,
// and is pending afterwards only if drosk stopped.
bool stop_self(int sig) {
  take_pending(SIGCONT);
  struct sigaction old {};
  set_action(sig, SIG_DFL, &old);
  raise(sig);  // pending until unblocked below
  sigset_t only;
  sigfillset(&only);
  sigdelset(&only, sig);
  sigprocmask(SIG_SETMASK, &only, nullptr);
  block_all();
  sigaction(sig, &old, nullptr);
  return take_pending(SIGCONT);
}

// The command's group stopped. A stop by the terminal's job control, at a terminal, is followed:
// drosk stops with the same signal, so that its job, the one the shell knows, shows stopped.
// Continued in its terminal's foreground (fg), drosk hands the terminal to the command's group; in
// the foreground or not (bg), it continues the group. SIGTTOU is blocked, so handing the terminal
// on never stops drosk. Where drosk cannot stop, the group is hung up (SIGHUP, then SIGCONT), as
// the system hangs up an orphaned stopped job; continuing it would only see it stop again. Other
// stops (SIGSTOP, or without a terminal) are left to whoever made them to continue.
void follow_stop(pid_t group, int sig, bool& handed) {
  bool job_control = sig == SIGTSTP || sig == SIGTTIN || sig == SIGTTOU;
  int terminal = job_control ? open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC) : -1;
  if (terminal == -1) return;
  if (stop_self(sig)) {
    if (tcgetpgrp(terminal) == getpgrp() && tcsetpgrp(terminal, group) == 0) handed = true;
    killpg(group, SIGCONT);
  } else {
    sigaddset(&received, SIGHUP);  // passed on as if drosk had been hung up
    cancel_received = 1;
  }
  close(terminal);
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

// Passes each cancelling signal received on to the group, then continues it, since stopped
// processes act on them only then; the first one passed, 0 when none.
int pass_on_received(pid_t group) {
  int first = 0;
  for (int sig = 1; sig < signal_end(); ++sig) {
    if (sigismember(&received, sig) != 1) continue;
    killpg(group, sig);
    if (first == 0) first = sig;
  }
  if (first != 0) killpg(group, SIGCONT);
  sigemptyset(&received);
  cancel_received = 0;
  return first;
}

// Reaps the group's processes that are drosk's children: the processor and, where drosk is their
// reaper, the orphans, which would otherwise keep the group from being empty. False when the
// processor is lost.
bool reap_group(pid_t pid, pid_t group, bool& ended) {
  pid_t got;
  while ((got = waitpid(-group, nullptr, WNOHANG)) > 0) ended = ended || got == pid;
  if (ended) return true;
  got = waitpid(pid, nullptr, WNOHANG);
  ended = got == pid;
  return got != -1;
}

// How long to wait for a signal, from `now` to the deadline; at most a poll where the group's
// orphans are reaped by another process, unseen.
struct timespec time_until(clock::time_point deadline, clock::time_point now) {
  clock::duration left = deadline - now;
  if (!reaper) left = std::min<clock::duration>(left, poll_time);
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
  return {static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
}

// After a signal was passed on, until no process of the group is left: passes on what else comes,
// kills what remains after the grace period, and leaves killed processes that no one reaps. Woken
// by SIGCHLD as drosk's children end, and by the signals to pass on; signals are unblocked only
// while pselect waits. False when the processor is lost.
bool end_group(pid_t pid, pid_t group, bool ended, const sigset_t& wait_mask) {
  clock::time_point deadline = clock::now() + grace_period;
  bool killed = false;
  for (;;) {
    if (!reap_group(pid, group, ended)) return false;
    pass_on_received(group);
    if (ended && killpg(group, 0) == -1 && errno == ESRCH) return true;
    clock::time_point now = clock::now();
    if (now >= deadline && !killed) {
      killpg(group, SIGKILL);
      killed = true;
      deadline = now + reaping_time;
    } else if (now >= deadline && ended) {
      return true;
    }
    // Past both deadlines, only the killed processor is left to end.
    struct timespec left = time_until(deadline, now);
    pselect(0, nullptr, nullptr, nullptr, now < deadline ? &left : nullptr, &wait_mask);
  }
}

// Waits for the processor. Where the command has a process group of its own, drosk follows its
// stops, and passes each cancelling signal it receives on to that group, which then ends. Signals
// are blocked on entry and stay so outside the waits, which unblock `wait_mask`.
command_result wait_for(pid_t pid, pid_t group, const sigset_t& wait_mask) {
  int status = 0;
  int options = WNOHANG | (group > 0 ? WUNTRACED : 0);
  bool handed = false;
  pid_t got;
  for (;;) {
    while ((got = waitpid(pid, &status, options)) == 0 && !cancel_received) sigsuspend(&wait_mask);
    if (got != pid || !WIFSTOPPED(status)) break;
    follow_stop(group, WSTOPSIG(status), handed);
  }
  int passed = group > 0 ? pass_on_received(group) : 0;
  bool lost = got == -1 || (passed != 0 && !end_group(pid, group, got == pid, wait_mask));
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
  block_all(&inherited_mask);
  sigset_t cancelling = cancelling_signals();
  sigemptyset(&inherited_ignored);
  for (int sig = 1; sig < signal_end(); ++sig) {
    struct sigaction old {};
    sigaction(sig, nullptr, &old);
    if (old.sa_handler == SIG_IGN)
      sigaddset(&inherited_ignored, sig);
    else if (sigismember(&cancelling, sig) == 1)
      set_action(sig, on_cancelling_signal);
  }
  signal(SIGCHLD, SIG_DFL);
#ifdef PR_SET_CHILD_SUBREAPER
  reaper = prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
#endif
  sigprocmask(SIG_SETMASK, &inherited_mask, nullptr);
}

command_result run_command(const std::string& text, const environment_mark& mark,
                           const std::vector<std::string>& parameters) {
  std::string script = std::string(exit_command) + text;
  std::vector<char*> argv = shell_argv(script, parameters);
  std::string entry = mark.name.empty() ? "" : mark.name + "=" + mark.value;
  std::vector<char*> env = environment_with(entry, mark.name);

  // In its terminal's foreground, drosk keeps the command in its own process group: the
  // terminal's Ctrl-C, Ctrl-\ and Ctrl-Z reach the command, which may read the terminal, and drosk
  // leaves Ctrl-C and Ctrl-\ to it, as system() does. Elsewhere the command gets a group of its
  // own, and the signals that would end drosk are passed on to that group. A signal that drosk
  // inherited ignored stays so.
  bool own_group = !in_terminal_foreground();
  command_signals signals(own_group);
  // Not posix_spawn: glibc's leaves signals of its own ignored in the command. macOS marks vfork
  // deprecated, but the child's part is written for it, and it is there.
  volatile int exec_error = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  pid_t pid = vfork();
#pragma GCC diagnostic pop
  if (pid == 0) start_processor(argv.data(), env.data(), own_group, &exec_error);
  if (pid > 0 && exec_error != 0) waitpid(pid, nullptr, 0);
  if (pid == -1 || exec_error != 0) return {-1, false};
  return wait_for(pid, own_group ? pid : 0, signals.wait_mask);
}

}  // namespace drosk::platform
