"""Real faults injected into whole runs: nothing is lost, and no failure is reported as success."""
import os
import signal
import stat
import subprocess
import time
import unittest

from drosk_case import DROSK, DroskCase


class KilledDuringTheRewrite(DroskCase):
    def test_sigkill_at_many_points_leaves_a_complete_private_copy(self):
        content = b"".join(b"src/p%d/A%d.java\n" % (i % 97, i) for i in range(1500000))
        rewritten = content.replace(b"src/", b"pp/").replace(b"\n", b"\r\n")
        self.ini(preprocess=self.stub("--exit", "0"), javac=self.stub("--record", "javac", "--"))
        temporary = self.path("files.tx_")
        points = 16
        landed_mid_rewrite = 0
        for point in range(points + 1):
            with self.subTest(point=point):
                # Kill once the temporary holds this share of the rewrite, or as soon as the run
                # ends by itself: the last points fall on the close, the rename and the compile.
                share = len(rewritten) * point // points
                self.write("files.txt", content)
                os.chmod(self.path("files.txt"), 0o600)
                for leftover in (temporary, self.path("javac.argv")):
                    if os.path.lexists(leftover):
                        os.remove(leftover)
                run = subprocess.Popen([DROSK, "@files.txt"], cwd=self.dir,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, preexec_fn=lambda: os.umask(0))
                while run.poll() is None:
                    try:
                        if os.stat(temporary).st_size >= share:
                            break
                    except FileNotFoundError:
                        pass
                run.kill()
                run.wait()

                name = self.read("files.txt") if self.exists("files.txt") else None
                temp = self.read("files.tx_") if self.exists("files.tx_") else None
                self.assertTrue(name in (content, rewritten),
                                "no complete copy: files.txt %s bytes" % (
                                    None if name is None else len(name)))
                self.assertEqual(stat.S_IMODE(os.stat(self.path("files.txt")).st_mode), 0o600)
                if temp is not None:
                    self.assertTrue(rewritten.startswith(temp), "files.tx_ holds wrong bytes")
                    # Not even a part of the file was readable to others.
                    self.assertEqual(stat.S_IMODE(os.stat(temporary).st_mode), 0o600)
                if self.received("javac") is not None:
                    self.assertEqual(name, rewritten)  # the compiler only ever sees the whole file
                if name == content and temp is not None and len(temp) < len(rewritten):
                    landed_mid_rewrite += 1
        # Otherwise the loop above proved nothing about a rewrite cut short.
        self.assertGreater(landed_mid_rewrite, 0)


class DirectoryTypedFiles(DroskCase):
    def test_argument_file_that_is_a_directory(self):
        self.ini()
        os.mkdir(self.path("files.txt"))
        self.assertFailed(self.drosk("-d", "out", "@files.txt"), b"files.txt: Can't open")
        self.assertTrue(os.path.isdir(self.path("files.txt")))
        self.assertFalse(self.exists("files.tx_"))
        self.assertIsNone(self.received("javac"))

    def test_capture_file_that_is_a_directory(self):
        # The shell cannot redirect into it, so the compiler never runs; the shell's complaint
        # reaches standard error ahead of drosk's own.
        self.ini()
        os.mkdir(self.path("__stderr__.log"))
        run = self.drosk("src/A.java")
        self.assertEqual(run.status, 1)
        self.assertTrue(run.stderr.endswith(b"\n__stderr__.log: Can't open "), run.stderr)
        self.assertIsNone(self.received("javac"))
        self.assertTrue(self.read("__drosk__.log").endswith(b" pp/A.java 2>__stderr__.log||EXIT 1"))


class SymbolicLinks(DroskCase):
    def test_files_are_never_written_through_a_link(self):
        self.write("victim", b"precious\n")
        self.write("files.txt", b"src/A.java\n")
        self.ini()
        os.symlink("victim", self.path("files.tx_"))  # removed, not followed
        self.assertEqual(self.drosk("@files.txt").status, 0)
        self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
        self.assertFalse(self.exists("files.tx_"))
        self.assertEqual(self.read("victim"), b"precious\n")

        os.remove(self.path("__drosk__.log"))
        os.symlink("victim", self.path("__drosk__.log"))  # skipped, like a log it cannot write
        self.assertEqual(self.drosk("@files.txt").status, 0)
        self.assertEqual(self.read("victim"), b"precious\n")
        self.assertTrue(os.path.islink(self.path("__drosk__.log")))

    def test_a_linked_argument_file_is_replaced_not_written_through(self):
        self.ini()
        self.write("real.txt", b"src/A.java\n")
        os.symlink("real.txt", self.path("files.txt"))
        self.assertEqual(self.drosk("@files.txt").status, 0)
        self.assertFalse(os.path.islink(self.path("files.txt")))
        self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
        self.assertEqual(self.read("real.txt"), b"src/A.java\n")


class ClosedStandardStreams(DroskCase):
    def test_closed_streams_are_replaced_before_any_file_is_opened(self):
        self.write("messages", b"pp/A.java:1: error\n")
        self.ini(preprocess=self.stub("--fds", "pre.fds", "--out", "preprocessed"),
                 javac=self.stub("--fds", "javac.fds", "--out", "compiled", "--err-file",
                                 "messages", "--exit", "1", "--"))
        null = b"/dev/null\n"
        capture = os.path.realpath(self.path("__stderr__.log")).encode() + b"\n"
        for closed in ((0,), (1,), (2,), (0, 1, 2)):
            with self.subTest(closed=closed):
                self.write("files.txt", b"src/A.java\n")
                run = subprocess.run([DROSK, "-g", "@files.txt"], cwd=self.dir,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL,
                                     preexec_fn=lambda: [os.close(fd) for fd in closed])
                self.assertEqual(run.returncode, 1)
                # Neither drosk's files nor its messages took a standard descriptor's place.
                self.assertEqual(self.read("pre.fds"), null * 3)
                self.assertEqual(self.read("javac.fds"), null * 2 + capture)
                self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
                self.assertEqual(self.read("__stderr__.log"), b"pp/A.java:1: error\n")
                self.assertTrue(self.read("__drosk__.log").endswith(b"-g @files.txt "
                                                                    b"2>__stderr__.log||EXIT 1"))


class SlowStandardError(DroskCase):
    def test_a_full_non_blocking_pipe_loses_no_message(self):
        # A reader that a build tool left non-blocking, and slow: every write that finds the pipe
        # full is waited out, none is dropped.
        messages = b"".join(b"pp/A.java:%d: error: e\n" % i for i in range(40000))
        self.write("messages", messages)
        self.ini(javac=self.stub("--err-file", "messages", "--exit", "1", "--"))
        reading, writing = os.pipe()
        os.set_blocking(writing, False)
        run = subprocess.Popen([DROSK, "src/A.java"], cwd=self.dir, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=writing)
        os.close(writing)
        relayed = bytearray()
        with os.fdopen(reading, "rb", buffering=0) as pipe:
            while True:
                time.sleep(0.001)
                chunk = pipe.read(4096)
                if not chunk:
                    break
                relayed += chunk
        self.assertEqual(run.wait(timeout=60), 1)
        self.assertEqual(bytes(relayed),
                         messages.replace(b"pp/", b"src/").replace(b"\n", b"\r\n"))


class CommandsKilledBySignals(DroskCase):
    SIGNALS = (signal.SIGKILL, signal.SIGSEGV, signal.SIGTERM, signal.SIGINT)

    def test_preprocess_killed_is_a_preprocess_error(self):
        self.write("files.txt", b"src/A.java\n")
        commands = [self.stub("--kill-self", str(int(s))) for s in self.SIGNALS]
        commands.append("kill -KILL $$")  # the command processor itself
        for command in commands:
            with self.subTest(command=command):
                self.ini(preprocess=command)
                run = self.drosk("@files.txt")
                self.assertEqual(run.status, 1)
                self.assertTrue(run.stderr.endswith(b"Preprocess error."), run.stderr)
                self.assertIsNone(self.received("javac"))
                self.assertEqual(self.read("files.txt"), b"src/A.java\n")

    def test_compiler_killed_fails_through_exit_1(self):
        self.write("messages", b"pp/A.java:1: error\n")
        for sig in self.SIGNALS:
            with self.subTest(signal=sig):
                self.ini(javac=self.stub("--err-file", "messages", "--kill-self", str(int(sig)),
                                         "--"))
                run = self.drosk("src/A.java")
                self.assertEqual(run.status, 1)
                # The compiler's messages come first; the shell may add its own note of the signal.
                self.assertTrue(run.stderr.startswith(b"src/A.java:1: error\r\n"), run.stderr)
                self.assertTrue(self.exists("__drosk__.log"))


class FullDisk(DroskCase):
    def test_messages_lost_to_a_full_disk_are_no_silent_failure(self):
        # A small tmpfs, filled up, in a mount namespace of the case's own: the compiler's
        # messages cannot be captured.
        if subprocess.run(["unshare", "--mount", "--map-root-user", "true"],
                          stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("needs root, or a user and mount namespace")
        self.write("messages", b"pp/A.java:1: error: error while writing A\n")
        self.ini(preprocess=self.stub("--exit", "0"),
                 javac=self.stub("--err-file", self.path("messages"), "--exit", "1", "--"))
        os.mkdir(self.path("full"))
        script = ("mount -t tmpfs -o size=64k tmpfs full && cp drosk.ini full && "
                  "{ cat /dev/zero >full/filler; } 2>/dev/null; cd full && exec \"$0\" A.java")
        run = subprocess.run(["unshare", "--mount", "--map-root-user", "sh", "-c", script, DROSK],
                             cwd=self.dir, stdin=subprocess.DEVNULL, capture_output=True,
                             timeout=60)
        self.assertEqual((run.returncode, run.stderr), (1, b"__stderr__.log: Can't write"))


if __name__ == "__main__":
    unittest.main()
