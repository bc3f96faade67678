"""Signals and long command lines: what would end drosk ends its command too, no process is left
behind, and the commands get the signals and arguments exactly as drosk got them."""
import os
import pty
import select
import shlex
import signal
import subprocess
import sys
import time
import unittest

from drosk_case import (DROSK, EMULATOR, DroskCase, group_is_gone, native_only, polled,
                        session_is_gone)

# The first real-time signal of drosk's C library: musl keeps 32 to 34 for itself, so that no
# program built with it can catch them. DROSK_C_LIBRARY names the library where it is not glibc.
RTMIN = 35 if os.environ.get("DROSK_C_LIBRARY") == "musl" else signal.SIGRTMIN
# Among them the ones a build tool or `timeout` may send, and the C library's first and last
# real-time signals.
CANCELLING = (signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGQUIT, signal.SIGALRM,
              signal.SIGUSR1, signal.SIGUSR2, RTMIN, signal.SIGRTMAX)
# What qemu-user shows otherwise: it maps the real-time signals to others of the host, and writes a
# note of its own when a signal ends the program with a core dump.
EMULATED_OTHERWISE = {
    RTMIN: "qemu-user renumbers the real-time signals",
    signal.SIGRTMAX: "qemu-user renumbers the real-time signals",
    signal.SIGQUIT: "qemu-user reports the core dump of the program it ran on standard error",
}
# Starts a command as a reaper of orphans (Linux) that reaps none until the command ends, and
# passes the command's status on; the cancelling signal is for the command alone.
NOT_REAPING = """import ctypes, signal, subprocess, sys
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)
command = subprocess.Popen(sys.argv[1:])
signal.signal(signal.SIGTERM, signal.SIG_IGN)
sys.exit(command.wait())
"""
# Processes, their sessions and their signals are looked up in /proc.
with_proc = unittest.skipUnless(os.path.exists("/proc/self/status"), "needs Linux's /proc")


def signal_set(lines, field):
    """The signal numbers of a /proc/PID/status mask line, such as SigIgn."""
    for line in lines.decode().splitlines():
        name, _, mask = line.partition(":")
        if name == field:
            bits = int(mask, 16)
            return {n for n in range(1, 65) if bits >> (n - 1) & 1}
    raise AssertionError("no %s line in %r" % (field, lines))


class LongCommandLine(DroskCase):
    def test_arguments_beyond_the_limit_of_one_string(self):
        names = ["src/com/example/generated/module%02d/GeneratedClass%05d.java" % (i % 50, i)
                 for i in range(5000)] + ["src/a name.java"]
        self.assertGreater(sum(len(n) + 1 for n in names), 250000)
        self.ini()
        run = self.drosk("-d", "out", *names)
        self.assertEqual((run.status, run.stderr), (0, b""))
        mapped = [n.replace("src/", "pp/") for n in names]
        self.assertEqual(self.received("javac"), ["-d", "out"] + mapped)
        # The log holds the command as one text, which /bin/sh would run as the same compile.
        self.assertEqual(self.read("__drosk__.log").decode(),
                         "%s -d out %s 2>__stderr__.log||EXIT 1" % (
                             self.stub("--record", "javac", "--"),
                             " ".join(shlex.quote(n) for n in mapped)))


@with_proc
class SignalsToDroskAlone(DroskCase):
    """drosk started as build tools start it: no terminal, a session of its own."""

    def start(self, *args, **popen):
        return subprocess.Popen([DROSK] + list(args), cwd=self.dir, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                start_new_session=True, **popen)

    def test_each_signal_ends_the_compile_and_all_its_processes(self):
        self.write("messages", b"pp/A.java:1: error\n")
        self.ini(javac=self.stub("--record", "javac", "--err-file", "messages", "--sleep", "120",
                                 "--"))
        for sig in CANCELLING:
            with self.subTest(signal=sig):
                if EMULATOR and sig in EMULATED_OTHERWISE:
                    self.skipTest("not under an emulator: " + EMULATED_OTHERWISE[sig])
                if self.exists("javac.argv"):
                    os.remove(self.path("javac.argv"))
                run = self.start("src/A.java")
                stdout, stderr = self.signal_once_recorded(run, "javac", sig)
                # As after Ctrl-C: the log is written and the capture relayed.
                self.assertEqual((run.returncode, stdout, stderr),
                                 (128 + sig, b"preprocessed\n", b"src/A.java:1: error\r\n"))
                self.assertTrue(session_is_gone(run.pid))
                self.assertTrue(self.read("__drosk__.log").endswith(
                    b' pp/A.java 2>__stderr__.log||EXIT 1'))

    def test_a_cancelled_preprocess_is_no_preprocess_error(self):
        self.ini(preprocess=self.stub("--record", "pre", "--sleep", "120"))
        run = self.start("src/A.java")
        stdout, stderr = self.signal_once_recorded(run, "pre", signal.SIGTERM)
        self.assertEqual((run.returncode, stdout, stderr), (128 + signal.SIGTERM, b"", b""))
        self.assertIsNone(self.received("javac"))
        self.assertTrue(session_is_gone(run.pid))

    def test_a_command_that_ignores_the_signal_is_killed(self):
        self.ini(javac="trap '' TERM; " + self.stub("--record", "javac", "--sleep", "120", "--"))
        run = self.start("src/A.java")
        # Well past the grace period, which a sound run never waits out much longer.
        self.signal_once_recorded(run, "javac", signal.SIGTERM, within=15)
        self.assertEqual(run.returncode, 128 + signal.SIGTERM)
        self.assertTrue(session_is_gone(run.pid))

    def test_a_compile_cancelled_before_its_capture_is_made(self):
        # The shell is still in the command ahead of the redirection.
        self.ini(javac=self.stub("--record", "early", "--sleep", "120") + "; " + self.stub("--"))
        run = self.start("src/A.java")
        stdout, stderr = self.signal_once_recorded(run, "early", signal.SIGTERM)
        self.assertEqual((run.returncode, stdout, stderr),
                         (128 + signal.SIGTERM, b"preprocessed\n", b""))

    def test_the_group_paused_and_resumed_by_others_runs_on(self):
        # Paused and resumed from outside the group, as a debugger or a job scheduler does.
        pause = 'setsid sh -c "kill -STOP -$$; sleep 0.2; kill -CONT -$$" & wait $!; '
        self.ini(javac=pause + self.stub("--"))
        run = self.drosk("src/A.java", start_new_session=True, timeout=15)
        self.assertEqual((run.status, run.stdout), (0, b"preprocessed\n"))

    @native_only("qemu-user does not make a program the reaper of its orphans")
    def test_a_cancel_ends_with_the_processes_not_their_reaping(self):
        # Under an ancestor that reaps orphans only at its end: the shell's children, left to drosk
        # when the shell ends, are gone once drosk reaps them. The compiler records the signal.
        self.ini(javac="(%s &); trap 'echo TERM >trapped' TERM; %s" % (
            self.stub("--sleep", "120"), self.stub("--record", "javac", "--sleep", "120", "--")))
        started = time.monotonic()
        run = subprocess.Popen([sys.executable, "-c", NOT_REAPING, DROSK, "src/A.java"],
                               cwd=self.dir, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True)
        self.signal_once_recorded(run, "javac", signal.SIGTERM, group=True)
        self.assertEqual(run.returncode, 128 + signal.SIGTERM)
        self.assertEqual(self.read("trapped"), b"TERM\n")
        # Far inside the grace period after which drosk kills what is left.
        self.assertLess(time.monotonic() - started, 4)
        self.assertTrue(session_is_gone(run.pid))

    def test_a_signal_once_the_command_has_ended_ends_drosk_as_its_default_does(self):
        # drosk relays a capture larger than the pipe it writes to, which is not read on: no
        # command runs when the signal comes, and drosk waits in its write.
        self.write("messages", b"pp/A.java:1: error\n" * 20000)
        self.ini(javac=self.stub("--err-file", "messages", "--"))
        run = self.start("src/A.java")
        try:
            self.assertTrue(select.select([run.stderr], [], [], 15)[0], "no relay began")
            self.assertEqual(len(run.stderr.read(1)), 1)
            run.send_signal(signal.SIGTERM)
            run.communicate(timeout=15)
        finally:
            if run.poll() is None:
                run.kill()
                run.wait()
        self.assertEqual(run.returncode, -signal.SIGTERM)

    def test_a_signal_drosk_inherited_ignored_is_not_passed_on(self):
        self.ini(javac=self.stub("--record", "javac", "--sleep", "1", "--delete", "marker", "--"))
        self.write("marker", b"")
        run = self.start("src/A.java",
                         preexec_fn=lambda: signal.signal(signal.SIGHUP, signal.SIG_IGN))
        self.signal_once_recorded(run, "javac", signal.SIGHUP)
        self.assertEqual(run.returncode, 0)
        self.assertFalse(self.exists("marker"))


class CtrlCWithoutATerminal(DroskCase):
    def test_ctrl_c_during_the_compile(self):
        self.write("files.txt", b"src/A.java\n")
        self.write("messages", b"pp/A.java:1: error\n")
        self.ini(javac=self.stub("--record", "javac", "--err-file", "messages", "--sleep", "120",
                                 "--"))
        run = subprocess.Popen([DROSK, "@files.txt"], cwd=self.dir, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               start_new_session=True)
        # Ends far below the compiler's sleep: the compiler stopped, and drosk did not wait for it.
        stdout, stderr = self.signal_once_recorded(run, "javac", signal.SIGINT, group=True)
        # The shell ended by the signal; drosk gives its status as shells do, 128 + SIGINT.
        self.assertEqual((run.returncode, stdout, stderr),
                         (128 + signal.SIGINT, b"preprocessed\n", b"src/A.java:1: error\r\n"))
        self.assertTrue(group_is_gone(run.pid))
        self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
        self.assertFalse(self.exists("files.tx_"))
        self.assertTrue(self.read("__drosk__.log").endswith(b" @files.txt 2>__stderr__.log||EXIT 1"))


@with_proc
class InheritedSignals(DroskCase):
    @staticmethod
    def inherit(ignored):
        def prepare():
            for sig in ignored:
                signal.signal(sig, signal.SIG_IGN)
            signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGUSR1})
        return prepare

    def check_commands_get(self, ignored):
        """Both commands see the dispositions and mask that the shell gives when started directly
        the same way (the shell's exec keeps what it got, where its children would not)."""
        prepare = self.inherit(ignored)
        subprocess.run(["/bin/sh", "-c", "exec " + self.stub("--signals", "direct")],
                       cwd=self.dir, check=True, preexec_fn=prepare)
        direct = self.read("direct")
        self.ini(preprocess="exec " + self.stub("--signals", "pre"),
                 javac="exec " + self.stub("--record", "javac", "--signals", "javac", "--"))
        run = subprocess.run([DROSK, "src/A.java"], cwd=self.dir, stdin=subprocess.DEVNULL,
                             capture_output=True, start_new_session=True, preexec_fn=prepare)
        self.assertEqual((run.returncode, run.stderr), (0, b""))
        self.assertEqual(self.received("javac"), ["pp/A.java"])
        self.assertEqual(self.read("pre"), direct)
        self.assertEqual(self.read("javac"), direct)
        return direct

    @native_only("qemu-user resets the signals a program inherited ignored")
    def test_dispositions_and_mask_are_those_drosk_inherited(self):
        # As under nohup, and in a script's background job.
        direct = self.check_commands_get((signal.SIGHUP, signal.SIGINT))
        ignored = signal_set(direct, "SigIgn")
        self.assertLessEqual({signal.SIGHUP, signal.SIGINT}, ignored)
        self.assertFalse({signal.SIGPIPE, signal.SIGXFSZ, 32, 33} & ignored)
        self.assertIn(signal.SIGUSR1, signal_set(direct, "SigBlk"))

    def test_an_ignored_sigchld_still_gives_the_status(self):
        self.check_commands_get((signal.SIGCHLD,))


def job_shell(argv, cwd, report, background=False):
    """Runs in the terminal's session as its shell: starts argv as a foreground (or background) job
    with a process group of its own, its output to files; after each stop, reports how many
    processes of the session still run, and continues the job in the foreground, as `fg` does;
    then reports the job's status."""
    signal.signal(signal.SIGTTOU, signal.SIG_IGN)  # handing the terminal on from the background
    job = os.fork()
    if job == 0:
        os.setpgid(0, 0)
        if not background:
            os.tcsetpgrp(0, os.getpgrp())
        signal.signal(signal.SIGTTOU, signal.SIG_DFL)
        os.chdir(cwd)
        for fd, name in ((1, "out"), (2, "err")):
            os.dup2(os.open(name, os.O_WRONLY | os.O_CREAT | os.O_TRUNC), fd)
        os.execv(argv[0], argv)
    try:
        os.setpgid(job, job)
    except PermissionError:
        pass  # the job has run drosk already, in the group it made itself
    if not background:
        os.tcsetpgrp(0, job)
    with open(report, "w") as out:
        while True:
            _, status = os.waitpid(job, os.WUNTRACED)
            if not os.WIFSTOPPED(status):
                out.write("status %d\n" % os.waitstatus_to_exitcode(status))
                return
            polled(lambda: not running_in_session(), 10)
            out.write("stopped, %d running\n" % running_in_session())
            out.flush()
            os.tcsetpgrp(0, job)
            os.killpg(job, signal.SIGCONT)


def running_in_session():
    """The processes of this session, other than this one, that are not stopped."""
    running = 0
    for name in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % name) as f:
                fields = f.read().rpartition(")")[2].split()
        except OSError:
            continue
        if int(fields[3]) == os.getsid(0) and int(name) != os.getpid() and fields[0] not in "TZ":
            running += 1
    return running


@with_proc
class AtATerminal(DroskCase):
    """drosk as a terminal's foreground job: the terminal's keys reach its command directly."""

    def run_at_terminal(self, record, keys, background=False):
        """Runs drosk at a pseudo-terminal, types `keys` once the stub has recorded `record`, and
        gives the job shell's report lines."""
        report = self.path("report")
        pid, terminal = pty.fork()
        if pid == 0:
            try:
                job_shell([DROSK, "src/A.java"], self.dir, report, background)
            except BaseException as e:
                with open(report, "a") as out:
                    out.write("job shell: %r\n" % e)
            finally:
                os._exit(0)
        try:
            deadline = time.monotonic() + 60
            typed = ended = False
            while not ended:
                ended = os.waitpid(pid, os.WNOHANG)[0] == pid
                self.assertLess(time.monotonic(), deadline, "the job never ended")
                if not typed and self.received(record) is not None:
                    os.write(terminal, keys)
                    typed = True
                time.sleep(0.01)
        finally:
            os.close(terminal)
            if not ended:
                os.kill(pid, signal.SIGKILL)
                os.waitpid(pid, 0)
        self.assertTrue(session_is_gone(pid))  # the terminal's session: shell, drosk, command
        return self.read("report").decode().splitlines()

    def test_ctrl_c_ctrl_z_and_reading_the_terminal(self):
        self.write("messages", b"pp/A.java:1: error\n")
        with self.subTest(key="Ctrl-C"):
            self.ini(javac=self.stub("--record", "javac", "--err-file", "messages", "--sleep",
                                     "120", "--"))
            self.assertEqual(self.run_at_terminal("javac", b"\x03"), ["status 130"])
            self.assertEqual(self.read("out"), b"preprocessed\n")
            self.assertEqual(self.read("err"), b"src/A.java:1: error\r\n")
            os.remove(self.path("javac.argv"))
        with self.subTest(key="Ctrl-Z, then fg"):
            self.write("marker", b"")
            self.ini(javac=self.stub("--record", "javac", "--sleep", "1", "--delete", "marker",
                                     "--"))
            self.assertEqual(self.run_at_terminal("javac", b"\x1a"),
                             ["stopped, 0 running", "status 0"])
            self.assertFalse(self.exists("marker"))  # the compile went on to its end
            os.remove(self.path("javac.argv"))
        with self.subTest(key="a line for the command"):
            self.ini(javac=self.stub("--record", "javac", "--read-line", "line", "--"))
            self.assertEqual(self.run_at_terminal("javac", b"typed\n"), ["status 0"])
            self.assertEqual(self.read("line"), b"typed")

    def test_a_background_job_stops_at_a_terminal_read_and_fg_continues_it(self):
        # The command reads the terminal from the background: its group stops, and so does drosk,
        # the job the shell knows; `fg` hands the terminal on to the command, which reads the line.
        self.ini(javac=self.stub("--record", "javac", "--read-line", "line", "--"))
        self.assertEqual(self.run_at_terminal("javac", b"typed\n", background=True),
                         ["stopped, 0 running", "status 0"])
        self.assertEqual(self.read("line"), b"typed")

    def test_a_stopped_command_of_an_orphaned_drosk_is_hung_up(self):
        # As `( drosk & )` at a terminal with `stty tostop`: no shell can continue drosk's group,
        # so the system discards the stop that drosk would copy, and the command, continued, would
        # stop again at its write to the terminal, for ever.
        self.ini(javac="echo line >/dev/tty; " + self.stub("--"))
        job = ('stty tostop; set -m; ( { "$0" A.java </dev/null >out 2>&1; echo $? >status; } & );'
               ' for i in $(seq 500); do [ -e status ] && break; sleep 0.02; done')
        pid, terminal = pty.fork()
        if pid == 0:
            os.chdir(self.dir)
            os.execv("/bin/sh", ["sh", "-c", job, DROSK])
        os.waitpid(pid, 0)  # the shell's wait is bounded
        os.close(terminal)
        self.assertEqual(self.read("status"), b"%d\n" % (128 + signal.SIGHUP))
        self.assertTrue(session_is_gone(pid))


if __name__ == "__main__":
    unittest.main()
