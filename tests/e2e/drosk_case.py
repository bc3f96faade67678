"""A throwaway directory per case, drosk run in it, and the bytes it leaves behind.

DROSK names the program under test, DROSK_STUB the stand-in preprocessor and compiler. A case's
directory is removed when the case passes and kept, with its path printed, when it fails.

The same cases run drosk.exe when DROSK_WITH_ENV names the tests' Windows launcher: DROSK and
DROSK_STUB are then Windows programs, DROSK_FAKE_CMD is the tests' command processor (Wine's own
cmd.exe runs the right side of "||" after a success) and DROSK_WINE the Wine loader that runs them
all (empty on Windows itself). Every run goes through the launcher, which sets COMSPEC inside
Windows (Wine takes it from its registry, not from Linux), hands drosk an exact raw command line
and reports drosk's whole exit code (Wine passes on only its low byte). Under Wine, WINEPREFIX
names a prepared prefix (tests/support/wine_server.sh), best with a wineserver kept running.
Cases that only make sense on one platform say so with posix_only or windows_only.

Cross-built for another Linux, drosk and the stub are run by an emulator (qemu-user), named with
its options in DROSK_EMULATOR: DROSK and DROSK_STUB then name small scripts that run each program
through it, so that a shell, a build tool or a link starts them by name as it would the programs
themselves. Cases that the emulator cannot show say so with native_only.
"""
import atexit
import itertools
import os
import shlex
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

DROSK = os.environ.get("DROSK", "")
STUB = os.environ.get("DROSK_STUB", "")
WITH_ENV = os.environ.get("DROSK_WITH_ENV", "")
FAKE_CMD = os.environ.get("DROSK_FAKE_CMD", "")
WINE = os.environ.get("DROSK_WINE", "")
WINDOWS = bool(WITH_ENV)
EMULATOR = shlex.split(os.environ.get("DROSK_EMULATOR", ""))


def _through_emulator(program, folder):
    """A script of the program's own name that runs it through the emulator."""
    script = os.path.join(folder, os.path.basename(program))
    with open(script, "w") as f:
        f.write("#!/bin/sh\nexec %s \"$@\"\n" % shlex.join(EMULATOR + [os.path.abspath(program)]))
    os.chmod(script, 0o755)
    return script


if EMULATOR and not WINDOWS:
    _emulated = tempfile.mkdtemp(prefix="drosk-emulated-")
    os.chmod(_emulated, 0o755)  # for the cases that run drosk as another user
    atexit.register(shutil.rmtree, _emulated, True)
    DROSK, STUB = (p and _through_emulator(p, _emulated) for p in (DROSK, STUB))


def posix_only(reason):
    return unittest.skipIf(WINDOWS, "POSIX only: " + reason)


def windows_only(reason):
    return unittest.skipUnless(WINDOWS, "Windows only: " + reason)


def native_only(reason):
    return unittest.skipIf(bool(EMULATOR), "not under an emulator: " + reason)


def windows_path(path):
    """The name a Windows program knows a file by; under Wine, drive Z: is the Linux root."""
    path = os.path.abspath(path)
    return "Z:" + path.replace("/", "\\") if WINE else path


def command_words(words):
    """Words joined into a command text: quoted for /bin/sh, or for the Windows C runtime."""
    if WINDOWS:
        return subprocess.list2cmdline(words)
    return " ".join(shlex.quote(word) for word in words)


def polled(condition, wait):
    """True once condition() holds, False if it still fails after `wait` seconds (polled: the dying
    need a moment)."""
    deadline = time.monotonic() + wait
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.01)
    return True


def group_is_gone(group, wait=10.0):
    """True once no process of the process group is left."""
    def gone():
        try:
            os.killpg(group, 0)
            return False
        except ProcessLookupError:
            return True
    return polled(gone, wait)


def session_is_gone(session, wait=15.0):
    """True once no process of the session is left (looked up in Linux's /proc)."""
    def member(name):
        try:
            return name.isdigit() and os.getsid(int(name)) == session
        except OSError:
            return False
    return polled(lambda: not any(member(name) for name in os.listdir("/proc")), wait)


class _Launches:
    """Where the launcher finds the command line and leaves the exit code, and where the output
    goes: files, not pipes, since the first Wine program of a session starts Wine's own services,
    which inherit its output and would hold a pipe open long after the run."""
    dir = None
    numbers = itertools.count()

    @classmethod
    def files(cls):
        if cls.dir is None:
            cls.dir = tempfile.mkdtemp(prefix="drosk-launch-")
            atexit.register(shutil.rmtree, cls.dir, True)
        n = next(cls.numbers)
        return [os.path.join(cls.dir, "%d.%s" % (n, kind))
                for kind in ("line", "status", "out", "err")]


class Run:
    def __init__(self, completed):
        self.status = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr


class DroskCase(unittest.TestCase):
    def setUp(self):
        if not DROSK or not STUB:
            self.fail("DROSK and DROSK_STUB must name the built programs")
        if WINDOWS and not FAKE_CMD:
            self.fail("DROSK_FAKE_CMD must name the tests' command processor")
        self.dir = tempfile.mkdtemp(prefix="drosk-" + self._testMethodName + "-")

    def run(self, result=None):
        problems_before = len(result.failures) + len(result.errors) if result else 0
        super().run(result)
        if not hasattr(self, "dir"):
            return
        if result and len(result.failures) + len(result.errors) > problems_before:
            print("\nkept the failed case's directory: " + self.dir)
        else:
            shutil.rmtree(self.dir, ignore_errors=True)

    # Files of the case.
    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        if isinstance(data, str):
            data = data.encode()
        os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def exists(self, name):
        return os.path.lexists(self.path(name))

    def received(self, record):
        """The arguments a stub run with --record RECORD was handed, or None if it never ran."""
        if not self.exists(record + ".argv"):
            return None
        return [a.decode() for a in self.read(record + ".argv").split(b"\0")[:-1]]

    # Commands.
    def environment(self, **changes):
        """The tests' environment without drosk's marks, with the variables given."""
        env = dict(os.environ)
        env.pop("DROSK_COMPILE", None)
        env.pop("DROSK_PREPROCESS", None)
        env.update(changes)
        return env

    def signal_once_recorded(self, run, record, sig, group=False, within=4):
        """Sends `sig` to the started drosk (or to its process group) once the stub has recorded
        `record`; drosk's output. Should drosk not end `within` seconds, the case fails and drosk's
        group is killed. By default that is inside the 5 s grace period that drosk gives the
        command's processes, so a command that did not end at the signal fails the case at once."""
        try:
            while self.received(record) is None:
                self.assertIsNone(run.poll(), "drosk ended before %s started" % record)
                time.sleep(0.01)
            (os.killpg if group else os.kill)(run.pid, sig)
            try:
                return run.communicate(timeout=within)
            except subprocess.TimeoutExpired:
                self.fail("drosk still ran %g s after the signal" % within)
        finally:
            if run.poll() is None:
                os.killpg(run.pid, signal.SIGKILL)
                run.wait()

    def stub(self, *options):
        """The command text that runs the stub with its own options."""
        return command_words([windows_path(STUB) if WINDOWS else STUB] + list(options))

    def ini(self, preprocess=None, javac=None, source="src", build="pp", extra=""):
        """Writes drosk.ini; by default both commands are recording stubs that succeed."""
        if preprocess is None:
            preprocess = self.stub("--record", "pre", "--out", "preprocessed")
        if javac is None:
            javac = self.stub("--record", "javac", "--")
        text = "preprocess=%s\njavac=%s\nsource=%s\nbuild=%s\n%s" % (
            preprocess, javac, source, build, extra)
        self.write("drosk.ini", text)

    def drosk(self, *args, stdin=subprocess.DEVNULL, merge=False, timeout=60, **popen):
        if WINDOWS:
            line = command_words([windows_path(DROSK)] + list(args))
            return self.drosk_line(line, stdin=stdin, merge=merge, **popen)
        completed = subprocess.run(
            [DROSK] + list(args), cwd=self.dir, stdin=stdin, stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT if merge else subprocess.PIPE, timeout=timeout, **popen)
        return Run(completed)

    def drosk_line(self, line, app=DROSK, env=None, stdin=subprocess.DEVNULL, merge=False,
                   **popen):
        """Windows: runs drosk with exactly this command line, program name included. `app` is the
        program started, named as for DROSK (None: the one the line names, found by Windows);
        `env` maps variables to their values, or to None to remove them, over COMSPEC naming the
        tests' processor."""
        variables = {"COMSPEC": windows_path(FAKE_CMD)}
        variables.update(env or {})
        words = [("-" + name) if value is None else (name + "=" + value)
                 for name, value in variables.items()]
        files = _Launches.files()
        line_file, status_file, out_file, err_file = files
        with open(line_file, "wb") as f:
            f.write(line.encode())
        words += ["--status", windows_path(status_file)]
        if app:
            words += ["--app", windows_path(app)]
        words += ["--line", windows_path(line_file)]
        environment = dict(os.environ)
        environment.setdefault("WINEDEBUG", "-all")
        try:
            with open(out_file, "wb") as out, open(err_file, "wb") as err:
                completed = subprocess.run(
                    ([WINE] if WINE else []) + [WITH_ENV] + words, cwd=self.dir, stdin=stdin,
                    stdout=out, stderr=out if merge else err, env=environment, timeout=60,
                    **popen)
            with open(out_file, "rb") as out, open(err_file, "rb") as err:
                completed.stdout, completed.stderr = out.read(), None if merge else err.read()
            if not os.path.exists(status_file):
                self.fail("the launcher did not run drosk: %r" % completed.stderr)
            with open(status_file, "rb") as f:
                completed.returncode = int(f.read())
        finally:
            for name in files:
                if os.path.exists(name):
                    os.remove(name)
        return Run(completed)

    def assertFailed(self, run, message):
        self.assertEqual((run.status, run.stderr), (1, message))
