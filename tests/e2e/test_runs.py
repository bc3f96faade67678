"""Runs beside each other and inside each other: taking turns in a directory, and no endless chain
of drosk started again by its preprocess or compile command."""
import concurrent.futures
import os
import shlex
import signal
import subprocess
import time
import unittest

from drosk_case import DROSK, DroskCase, group_is_gone

AGAIN = b"drosk.ini: preprocess= starts drosk again"
BUSY = b"drosk.ini: preprocess= starts drosk in a busy directory"
PREPROCESS_ERROR = b"Preprocess error."
SELF_CALL = b"drosk.ini: javac= starts drosk again"


class RunCase(DroskCase):
    def run_in(self, folder, *args, timeout=30):
        """drosk in a folder of the case, in a process group of its own. A run that does not end in
        time (waiting for a lock that is never released, say) fails, and its whole group is ended,
        so that no blocked drosk is left behind."""
        run = subprocess.Popen([DROSK] + list(args), cwd=self.path(folder), env=self.environment(),
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True)
        try:
            stdout, stderr = run.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("drosk did not end")
        finally:
            try:
                os.killpg(run.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            run.wait()
        return run.returncode, stdout, stderr

    def ini_in(self, folder, preprocess):
        """drosk.ini for a folder: the preprocess command given, a recording compiler."""
        self.write(folder + "/drosk.ini", "preprocess=%s\njavac=%s\nsource=src\nbuild=pp\n" % (
            preprocess, self.stub("--record", "javac", "--")))

    def drosk_in(self, folder, java):
        """A preprocess command text that runs drosk in another folder of the case."""
        return "cd %s && %s %s" % (shlex.quote(self.path(folder)), shlex.quote(DROSK), java)


class Recursion(RunCase):
    def test_preprocess_that_runs_drosk_in_the_same_directory_stops(self):
        # Should the guard fail, the third level's preprocess fails and the chain unwinds.
        again = "echo x >>levels; test $(wc -l <levels) -lt 3 && %s src/A.java" % shlex.quote(DROSK)
        self.ini(preprocess=again)
        self.assertEqual(self.run_in(".", "src/A.java"), (1, b"", AGAIN + PREPROCESS_ERROR))
        self.assertEqual(self.read("levels"), b"x\n")
        self.assertIsNone(self.received("javac"))

    def test_another_name_for_the_directory_is_the_same_directory(self):
        os.symlink(self.dir, self.path("link"))
        self.ini(preprocess=self.drosk_in("link", "src/A.java"))
        self.assertEqual(self.run_in(".", "src/A.java"), (1, b"", AGAIN + PREPROCESS_ERROR))
        self.assertIsNone(self.received("javac"))

    def test_a_chain_back_to_an_earlier_directory_stops(self):
        self.ini_in("a", self.drosk_in("b", "src/B.java"))
        self.ini_in("b", self.drosk_in("a", "src/A.java"))
        self.assertEqual(self.run_in("a", "src/A.java"),
                         (1, b"", AGAIN + PREPROCESS_ERROR + PREPROCESS_ERROR))
        self.assertIsNone(self.received("a/javac"))
        self.assertIsNone(self.received("b/javac"))

    def test_preprocess_that_builds_another_directory_through_drosk(self):
        self.ini_in("a", self.drosk_in("b", "src/B.java"))
        self.ini_in("b", self.stub("--out", "b preprocessed"))
        self.assertEqual(self.run_in("a", "src/A.java"), (0, b"b preprocessed\n", b""))
        self.assertEqual(self.received("b/javac"), ["pp/B.java"])
        self.assertEqual(self.received("a/javac"), ["pp/A.java"])

    def test_drosk_installed_as_javac_runs_one_level_only(self):
        os.mkdir(self.path("bin"))
        os.symlink(DROSK, self.path("bin/javac"))
        env = self.environment(PATH=self.path("bin") + os.pathsep + os.environ["PATH"])
        # No javac= line. Should the mark fail, the third level's preprocess fails and the chain
        # unwinds, rather than growing until the machine gives out.
        self.write("drosk.ini", "preprocess=echo x >>levels; test $(wc -l <levels) -lt 3\n"
                                "source=src\nbuild=pp\n")
        run = subprocess.Popen(["javac", "-d", "out", "src/A.java"], cwd=self.dir, env=env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True)
        stdout, stderr = run.communicate(timeout=60)
        self.assertEqual((run.returncode, stdout, stderr), (1, b"", SELF_CALL))
        self.assertEqual(self.read("levels"), b"x\n")
        self.assertEqual(self.read("__stderr__.log"), SELF_CALL)
        self.assertEqual(self.read("__drosk__.log"), b"javac -d out pp/A.java "
                                                     b"2>__stderr__.log||EXIT 1")
        self.assertTrue(group_is_gone(run.pid))

    def test_only_the_compile_command_is_marked(self):
        self.ini(preprocess="env >pre.env", javac="env >javac.env; true")
        run = self.drosk("src/A.java", env=self.environment())
        self.assertEqual(run.status, 0)
        self.assertNotIn(b"DROSK_COMPILE", self.read("pre.env"))
        marks = [line for line in self.read("javac.env").splitlines()
                 if line.startswith(b"DROSK_COMPILE")]
        self.assertEqual(marks, [b"DROSK_COMPILE=1"])

    def test_a_marked_drosk_stops_before_opening_anything(self):
        for value in ("1", ""):
            with self.subTest(value=value):
                env = self.environment(DROSK_COMPILE=value)
                # drosk.ini is missing: it is not even looked for.
                self.assertFailed(self.drosk("A.java", env=env), SELF_CALL)
                self.assertFailed(self.drosk(env=env), b"javac commandline not found")
        self.ini()
        self.write("files.txt", b"src/A.java\n")
        self.assertFailed(self.drosk("@files.txt", env=self.environment(DROSK_COMPILE="1")),
                          SELF_CALL)
        self.assertIsNone(self.received("pre"))
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")


class Lock(RunCase):
    def test_a_process_left_running_by_a_command_does_not_hold_the_lock(self):
        daemon = "sh -c 'echo $$ >daemon.pid; exec sleep 300' </dev/null >/dev/null 2>&1 & true"
        self.ini(preprocess=daemon)
        self.addCleanup(self.end_daemon)
        # Not in a group of its own, which would end the daemon with the run.
        run = self.drosk("A.java", env=self.environment())
        self.assertEqual((run.status, run.stderr), (0, b""))
        self.ini()
        self.assertEqual(self.run_in(".", "A.java"), (0, b"preprocessed\n", b""))
        pid = self.daemon_pid()
        self.assertIsNotNone(pid, "the daemon never started")
        os.kill(pid, 0)  # still running: the second run did not wait for it to end

    def test_directories_that_share_one_drosk_ini_do_not_wait_for_each_other(self):
        # The lock is the directory's: a's preprocess builds b through drosk, with b's drosk.ini a
        # link to a's, while a's run holds its lock.
        self.ini_in("a", "test ! -e is_a || (cd ../b && %s src/B.java)" % shlex.quote(DROSK))
        self.write("a/is_a", b"")
        os.makedirs(self.path("b"))
        os.symlink("../a/drosk.ini", self.path("b/drosk.ini"))
        self.assertEqual(self.run_in("a", "src/A.java"), (0, b"", b""))
        self.assertEqual(self.received("b/javac"), ["pp/B.java"])
        self.assertEqual(self.received("a/javac"), ["pp/A.java"])

    def test_directories_that_build_each_other_at_once_both_fail(self):
        # Each preprocess starts drosk in the other directory once both runs hold their locks: a
        # nested drosk that waited for the other's lock would wait for good.
        for me, other in (("a", "b"), ("b", "a")):
            meet = "touch ../%s.in; while test ! -e ../%s.in; do sleep 0.01; done; " % (me, other)
            self.ini_in(me, meet + self.drosk_in(other, "src/A.java"))
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            ended = list(pool.map(lambda folder: self.run_in(folder, "src/A.java"), "ab"))
        # The later nested drosk may find the other run already ended: its chain then stops it.
        either = [(1, b"", BUSY + PREPROCESS_ERROR), (1, b"", AGAIN + PREPROCESS_ERROR * 2)]
        self.assertIn(ended[0], either)
        self.assertIn(ended[1], either)
        self.assertIn(either[0], ended)
        self.assertIsNone(self.received("a/javac"))
        self.assertIsNone(self.received("b/javac"))

    def test_a_command_log_that_a_command_removes_is_written_anew_and_kept(self):
        # Removed or renamed by the preprocess: the lock's file is then no longer the log, and must
        # not take the new log with it when it is let go.
        for preprocess in (self.stub("--delete", "__drosk__.log"), "mv __drosk__.log moved.log"):
            with self.subTest(preprocess=preprocess):
                self.ini(preprocess=preprocess)
                self.assertEqual(self.drosk("A.java").status, 0)
                self.assertTrue(
                    self.read("__drosk__.log").endswith(b" A.java 2>__stderr__.log||EXIT 1"))
                os.remove(self.path("__drosk__.log"))

    def daemon_pid(self):
        deadline = time.monotonic() + 10
        while not self.exists("daemon.pid") or not self.read("daemon.pid").endswith(b"\n"):
            if time.monotonic() > deadline:
                return None
            time.sleep(0.01)
        return int(self.read("daemon.pid"))

    def end_daemon(self):
        pid = self.daemon_pid()
        if pid is not None:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

if __name__ == "__main__":
    unittest.main()
