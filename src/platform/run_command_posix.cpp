#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#if __has_include(<sys/prctl.h>)
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <vector>

#include "platform/run_command.hpp"

extern char** environ;

// macOS marks vfork, the one call here it would warn of, deprecated; but the child's part is
// written for vfork, and it is there.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

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
// How often the end of a group is looked for where drosk is not the reaper of its orphans: their
// end sends drosk no signal, and only asking the group tells of it.
constexpr auto poll_time = std::chrono::milliseconds(10);

// What drosk inherited: which signals were ignored, and the signal mask.
sigset_t inherited_ignored;
sigset_t inherited_mask;
// The cancelling signals (see prepare_commands) that drosk did not inherit ignored. They keep
// their default action but while a command runs; those inherited ignored stay ignored, in drosk
// and in the commands.
sigset_t cancelling;

// drosk reaps the orphans of its commands (Linux), so a SIGCHLD comes as each of them ends.
bool reaper = false;

// The cancelling signals received while a command runs in a group of its own, to be passed on.
sigset_t received;
volatile sig_atomic_t cancel_received = 0;

void on_cancelling_signal(int sig) {
  sigaddset(&received, sig);
  cancel_received = 1;
}

// Only ends the wait: SIGCHLD, and the terminal's SIGINT and SIGQUIT, which are the command's.
void on_signal_for_command(int) {}

void set_action(int sig, void (*handler)(int), struct sigaction* old = nullptr) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  sigaction(sig, &action, old);
}

// One past the highest signal number: FreeBSD's NSIG leaves out its real-time signals (65-126).
#ifdef SIGRTMAX
const int signal_end = std::max(NSIG, SIGRTMAX + 1);
#else
const int signal_end = NSIG;
#endif

void block_all(sigset_t* old = nullptr) {
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_SETMASK, &all, old);
}

// Gives `handler` to the cancelling signals that a command takes from drosk: all of them while the
// command runs in a group of its own, where they are passed on; SIGINT and SIGQUIT alone while it
// runs in drosk's group at the terminal, where they are left to the command, as system() does
// (the others end drosk there as anywhere).
void set_cancelling_actions(bool own_group, void (*handler)(int)) {
  for (int sig = 1; sig < signal_end; ++sig) {
    if (sigismember(&cancelling, sig) == 1 && (own_group || sig == SIGINT || sig == SIGQUIT))
      set_action(sig, handler);
  }
}

// What one command changes, as long as it lives: drosk's controlling terminal is open (-1 where
// drosk has none); every signal is blocked but while waiting, the cancelling signals are passed on
// or left to the command, and SIGCHLD wakes the wait (stops too: a command in a group of its own
// is followed when it stops). Then their defaults come back before the mask, so that a cancelling
// signal still pending ends drosk as it would have without a command.
struct command_scope {
  int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  // In its terminal's foreground, drosk keeps the command in its own process group: the
  // terminal's Ctrl-C, Ctrl-\ and Ctrl-Z reach the command, which may read the terminal. Elsewhere
  // the command gets a group of its own, and the signals that would end drosk are passed on to it.
  bool own_group = tcgetpgrp(terminal) != getpgrp();
  sigset_t saved_mask;
  // What the waits unblock: the mask drosk had, with SIGCHLD.
  sigset_t wait_mask;

  command_scope() {
    block_all(&saved_mask);
    sigemptyset(&received);
    cancel_received = 0;
    set_cancelling_actions(own_group, own_group ? on_cancelling_signal : on_signal_for_command);
    set_action(SIGCHLD, on_signal_for_command);
    wait_mask = saved_mask;
    sigdelset(&wait_mask, SIGCHLD);
  }
  ~command_scope() {
    set_cancelling_actions(own_group, SIG_DFL);
    set_action(SIGCHLD, SIG_DFL);
    sigprocmask(SIG_SETMASK, &saved_mask, nullptr);
    if (terminal != -1) close(terminal);
  }
  command_scope(const command_scope&) = delete;
  command_scope& operator=(const command_scope&) = delete;
};

// Takes `sig` if it is pending (and blocked); true if it was.
bool take_pending(int sig) {
  sigset_t set;
  sigpending(&set);
  if (sigismember(&set, sig) != 1) return false;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigwait(&set, &sig);
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
// Continued in its terminal's foreground (fg), drosk gives the terminal to the command's group; in
// the foreground or not (bg), it continues the group. SIGTTOU is blocked, so giving the terminal
// on never stops drosk. Where drosk cannot stop, the group is hung up (SIGHUP, then SIGCONT), as
// the system hangs up an orphaned stopped job; continuing it would only see it stop again. Other
// stops (SIGSTOP, or without a terminal) are left to whoever made them to continue.
void follow_stop(pid_t group, int sig, int terminal, bool& terminal_given) {
  if (terminal == -1 || (sig != SIGTSTP && sig != SIGTTIN && sig != SIGTTOU)) return;
  if (stop_self(sig)) {
    if (tcgetpgrp(terminal) == getpgrp() && tcsetpgrp(terminal, group) == 0) terminal_given = true;
    killpg(group, SIGCONT);
  } else {
    sigaddset(&received, SIGHUP);  // passed on as if drosk had been hung up
    cancel_received = 1;
  }
}

// The child's part between vfork and exec, in drosk's memory, so system calls only: every signal
// as drosk inherited it, then /bin/sh with drosk's environment, the mark set in it. The exec gives
// drosk's handlers their default back; SIGPIPE, SIGXFSZ and SIGCHLD, which drosk ignores or
// changes for itself, are set here. A cancelling signal that reaches the child before the exec
// (one sent to the new group) is handled as drosk would handle it.
[[noreturn]] void start_processor(char* const* argv, bool own_group, volatile int* error) {
  for (int sig : {SIGPIPE, SIGXFSZ, SIGCHLD})
    set_action(sig, sigismember(&inherited_ignored, sig) ? SIG_IGN : SIG_DFL);
  if (own_group) setpgid(0, 0);
  sigprocmask(SIG_SETMASK, &inherited_mask, nullptr);
  execve("/bin/sh", argv, environ);
  *error = errno;
  _exit(127);
}

// Passes each cancelling signal received on to the group, then continues it, since stopped
// processes act on them only then; the first one passed, 0 when none.
int pass_on_received(pid_t group) {
  int first = 0;
  for (int sig = 1; sig < signal_end; ++sig) {
    if (sigismember(&received, sig) != 1) continue;
    killpg(group, sig);
    if (first == 0) first = sig;
  }
  if (first != 0) killpg(group, SIGCONT);
  sigemptyset(&received);
  cancel_received = 0;
  return first;
}

// After a signal was passed on, until no process of the group is left: passes on what else comes,
// kills what remains after the grace period, and leaves killed processes that no one reaps. Woken
// by SIGCHLD as drosk's children end, and by the signals to pass on; signals are unblocked only
// while pselect waits, until the deadline (where drosk is not the reaper, at most a poll). False
// when the processor is lost.
bool end_group(pid_t pid, pid_t group, bool ended, const sigset_t& wait_mask) {
  clock::time_point deadline = clock::now() + grace_period;
  bool killed = false;
  for (;;) {
    // The group's processes that are drosk's children: the processor and, where drosk is their
    // reaper, the orphans, which would otherwise keep the group from being empty.
    pid_t got;
    while ((got = waitpid(-group, nullptr, WNOHANG)) > 0) ended = ended || got == pid;
    if (!ended && (got = waitpid(pid, nullptr, WNOHANG)) == -1) return false;
    ended = ended || got == pid;
    pass_on_received(group);
    if (ended && killpg(group, 0) == -1 && errno == ESRCH) return true;
    clock::time_point now = clock::now();
    if (now >= deadline && killed && ended) return true;
    if (now >= deadline && !killed) {
      killpg(group, SIGKILL);
      killed = true;
      deadline = now + reaping_time;
    }
    std::chrono::nanoseconds left =
        std::min<clock::duration>(deadline - now, reaper ? grace_period : poll_time);
    struct timespec wait = {static_cast<time_t>(left.count() / 1000000000),
                            static_cast<long>(left.count() % 1000000000)};
    // Past both deadlines, only the killed processor is left to end.
    pselect(0, nullptr, nullptr, nullptr, now < deadline ? &wait : nullptr, &wait_mask);
  }
}

// Waits for the processor. Where the command has a process group of its own, drosk follows its
// stops, and passes each cancelling signal it receives on to that group, which then ends. Signals
// are blocked on entry and stay so outside the waits, which unblock the scope's `wait_mask`.
command_result wait_for(pid_t pid, const command_scope& scope) {
  pid_t group = scope.own_group ? pid : 0;
  int status = 0;
  int options = WNOHANG | (group > 0 ? WUNTRACED : 0);
  bool terminal_given = false;
  pid_t got;
  for (;;) {
    while ((got = waitpid(pid, &status, options)) == 0 && !cancel_received)
      sigsuspend(&scope.wait_mask);
    if (got != pid || !WIFSTOPPED(status)) break;
    follow_stop(group, WSTOPSIG(status), scope.terminal, terminal_given);
  }
  int passed = group > 0 ? pass_on_received(group) : 0;
  bool lost = got == -1 || (passed != 0 && !end_group(pid, group, got == pid, scope.wait_mask));
  // Taken back from the command's group, unless the shell has taken it meanwhile.
  if (terminal_given && tcgetpgrp(scope.terminal) == group) tcsetpgrp(scope.terminal, getpgrp());
  if (lost) return {-1, false};
  if (passed != 0) return {128 + passed, true};
  if (WIFEXITED(status)) return {WEXITSTATUS(status), false};
  if (WIFSIGNALED(status)) return {128 + WTERMSIG(status), false};
  return {-1, false};
}

}  // namespace

void prepare_commands() {
  sigprocmask(SIG_SETMASK, nullptr, &inherited_mask);
  // Those that would end drosk, passed on to a command in a group of its own. The faults (SIGSEGV
  // and the like) and the limits (SIGXCPU) are drosk's own.
  sigemptyset(&cancelling);
  for (int sig :
       {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGIO})
    sigaddset(&cancelling, sig);
#ifdef __linux__
  sigaddset(&cancelling, SIGPWR);
  sigaddset(&cancelling, SIGSTKFLT);
#endif
#ifdef SIGRTMIN
  // From the C library's own first: glibc keeps 32 and 33 for its threads.
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) sigaddset(&cancelling, sig);
#endif
  // Of the signals that drosk changes, those it inherited ignored; the others need no asking.
  sigemptyset(&inherited_ignored);
  for (int sig = 1; sig < signal_end; ++sig) {
    struct sigaction old {};
    bool changed =
        sigismember(&cancelling, sig) == 1 || sig == SIGPIPE || sig == SIGXFSZ || sig == SIGCHLD;
    if (!changed || sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_IGN) continue;
    sigaddset(&inherited_ignored, sig);
    sigdelset(&cancelling, sig);
  }
  signal(SIGCHLD, SIG_DFL);
#ifdef PR_SET_CHILD_SUBREAPER
  reaper = prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
#endif
}

command_result run_command(const std::string& text, const environment_mark& mark,
                           const std::vector<std::string>& parameters) {
  // /bin/sh's arguments: the exit command and the text, then the parameters after a $0 of "sh",
  // the name the shell has when it is given none.
  std::string script = std::string(exit_command) + text;
  char* sh = const_cast<char*>("sh");
  std::vector<char*> argv = {sh, const_cast<char*>("-c"), script.data(), sh};
  for (const std::string& parameter : parameters)
    argv.push_back(const_cast<char*>(parameter.data()));
  argv.push_back(nullptr);
  command_scope scope;
  // The mark is in drosk's own environment only while the processor starts (the child only reads
  // it), then the variable is as it was.
  std::optional<std::string> saved;
  if (const char* value = getenv(mark.name.c_str())) saved = value;
  if (!mark.name.empty()) setenv(mark.name.c_str(), mark.value.c_str(), 1);
  // Not posix_spawn: glibc's leaves signals of its own ignored in the command.
  volatile int exec_error = 0;
  pid_t pid = vfork();
  if (pid == 0) start_processor(argv.data(), scope.own_group, &exec_error);
  if (saved)
    setenv(mark.name.c_str(), saved->c_str(), 1);
  else if (!mark.name.empty())
    unsetenv(mark.name.c_str());
  if (pid > 0 && exec_error != 0) waitpid(pid, nullptr, 0);
  if (pid == -1 || exec_error != 0) return {-1, false};
  return wait_for(pid, scope);
}

}  // namespace drosk::platform
