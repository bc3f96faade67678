"""Argument files and drosk's own files that are not plain files, what the rewrite keeps, and an
earlier run's capture that the shell cannot write."""
import os
import shutil
import stat
import subprocess
import sys
import unittest

from drosk_case import DROSK, DroskCase, command_words, posix_only

NOBODY = 65534


def set_immutable(path, on):
    """Sets or clears the file's immutable flag; False where the runner or file system cannot."""
    if shutil.which("chattr"):
        command = ["chattr", "+i" if on else "-i", path]
    else:
        command = ["chflags", "uchg" if on else "nouchg", path]
    try:
        return subprocess.run(command, stderr=subprocess.DEVNULL).returncode == 0
    except FileNotFoundError:
        return False


class ArgumentFilesThatAreNotRegularFiles(DroskCase):
    def test_refused_unopened_and_left_as_they_are(self):
        self.ini()
        os.mkfifo(self.path("fifo"))
        device = self.path("null")
        try:
            os.mknod(device, stat.S_IFCHR | 0o666, os.makedev(1, 3))
        except PermissionError:
            device = "/dev/null"  # and /dev is not the runner's to write
        reader, writer = os.pipe()  # never written: reading it would block
        try:
            for name, stdin, stands, kind in (
                    ("fifo", subprocess.DEVNULL, self.path("fifo"), stat.S_ISFIFO),
                    (device, subprocess.DEVNULL, device, stat.S_ISCHR),
                    ("/dev/stdin", reader, reader, stat.S_ISFIFO)):
                with self.subTest(name=name):
                    run = self.drosk("@" + name, stdin=stdin)
                    self.assertFailed(run, name.encode() + b": Can't open")
                    self.assertTrue(kind(os.stat(stands).st_mode))
                    self.assertFalse(self.exists(name[:-1] + "_"))
                    self.assertIsNone(self.received("javac"))
        finally:
            os.close(reader)
            os.close(writer)


    @unittest.skipUnless(os.path.exists("/proc/self/fd/0"), "needs Linux's /proc")
    def test_a_descriptor_link_is_refused_and_stays(self):
        # As @/dev/stdin with standard input from a file: the compiler would read the descriptor,
        # not a file put in the link's place.
        self.ini()
        self.write("files.txt", b"src/A.java\n")
        os.symlink("/proc/self/fd/0", self.path("stdin"))
        with open(self.path("files.txt"), "rb") as list_file:
            run = self.drosk("@stdin", stdin=list_file)
        self.assertFailed(run, b"stdin: Can't open")
        self.assertEqual(os.readlink(self.path("stdin")), "/proc/self/fd/0")
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        self.assertFalse(self.exists("stdi_"))
        self.assertIsNone(self.received("javac"))


class TheRewriteKeepsTheFile(DroskCase):
    def test_mode_owner_and_group_are_kept(self):
        self.ini()
        for mode in (0o600, 0o444, 0o750):
            with self.subTest(mode=oct(mode)):
                self.write("files.txt", b"src/A.java\n")
                os.chmod(self.path("files.txt"), mode)
                if os.geteuid() == 0:
                    os.chown(self.path("files.txt"), NOBODY, NOBODY)
                self.assertEqual(self.drosk("@files.txt").status, 0)
                self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
                info = os.stat(self.path("files.txt"))
                self.assertEqual(stat.S_IMODE(info.st_mode), mode)
                if os.geteuid() == 0:
                    self.assertEqual((info.st_uid, info.st_gid), (NOBODY, NOBODY))

    def test_whatever_stands_under_the_temporary_name_is_removed(self):
        self.ini()
        plant = {
            "a hard link to the argument file": lambda: os.link(self.path("files.txt"),
                                                                self.path("files.tx_")),
            "a hard link to another file": lambda: os.link(self.path("victim"),
                                                           self.path("files.tx_")),
            "a FIFO": lambda: os.mkfifo(self.path("files.tx_")),
        }
        for kind, make in plant.items():
            with self.subTest(kind=kind):
                self.write("files.txt", b"src/A.java\n")
                self.write("victim", b"precious\n")
                make()
                self.assertEqual(self.drosk("@files.txt").status, 0)
                self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
                self.assertFalse(self.exists("files.tx_"))
                self.assertEqual(self.read("victim"), b"precious\n")
                self.assertEqual(self.received("javac"), ["@files.txt"])

    def test_a_failed_replace_keeps_both_copies(self):
        self.ini()
        self.write("files.txt", b"src/A.java\n")
        os.chmod(self.path("files.txt"), 0o640)
        # Read and written beside as usual, but the file cannot be replaced.
        if not set_immutable(self.path("files.txt"), True):
            self.skipTest("no immutable files here")
        self.addCleanup(set_immutable, self.path("files.txt"), False)
        self.assertFailed(self.drosk("@files.txt"), b"files.tx_: Cant rename")
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        self.assertEqual(self.read("files.tx_"), b"pp/A.java\r\n")
        self.assertEqual(stat.S_IMODE(os.stat(self.path("files.tx_")).st_mode), 0o640)
        self.assertIsNone(self.received("javac"))


class OwnFilesThatAreFIFOs(DroskCase):
    def test_a_fifo_command_log_is_skipped(self):
        self.ini()
        os.mkfifo(self.path("__drosk__.log"))
        self.assertEqual(self.drosk("src/A.java").status, 0)  # no reader: opening would block
        reader = os.open(self.path("__drosk__.log"), os.O_RDONLY | os.O_NONBLOCK)
        try:
            self.assertEqual(self.drosk("src/A.java").status, 0)
            self.assertEqual(os.read(reader, 4096), b"")  # a reader gets nothing
        finally:
            os.close(reader)
        self.assertTrue(stat.S_ISFIFO(os.lstat(self.path("__drosk__.log")).st_mode))
        self.assertEqual(self.received("javac"), ["pp/A.java"])

    def test_a_drosk_ini_that_is_no_regular_file_cannot_be_opened(self):
        # A FIFO would block the run for good, /dev/zero feed it without end; a link to a regular
        # file is read.
        self.ini()
        os.rename(self.path("drosk.ini"), self.path("settings"))
        os.mkfifo(self.path("fifo"))
        for target in (self.path("fifo"), "/dev/zero", "settings"):
            with self.subTest(target=target):
                if self.exists("drosk.ini"):
                    os.remove(self.path("drosk.ini"))
                os.symlink(target, self.path("drosk.ini"))
                run = self.drosk("src/A.java")
                if target == "settings":
                    self.assertEqual((run.status, run.stderr), (0, b""))
                else:
                    self.assertFailed(run, b"drosk.ini: Can't open")
                    self.assertIsNone(self.received("pre"))


class EarlierCapture(DroskCase):
    def setUp(self):
        super().setUp()
        self.write("messages", b"pp/A.java:1: this run\n")
        self.ini(javac=self.stub("--record", "javac", "--err-file", "messages", "--exit", "1",
                                 "--"))
        self.write("__stderr__.log", b"pp/A.java:1: an earlier run\n")

    def as_unprivileged_user(self):
        """Popen arguments that run drosk as a user to whom a read-only file is read-only: root's
        shell would write into it anyway."""
        if os.geteuid() != 0:
            return {}
        user = dict(user=NOBODY, group=NOBODY, extra_groups=[])
        try:
            tried = subprocess.run([DROSK], cwd="/", capture_output=True, **user)
        except OSError as e:
            self.skipTest("no unprivileged user can run drosk here: %s" % e)
        if tried.stderr != b"javac commandline not found":
            self.skipTest("no unprivileged user can run drosk here: %r" % tried.stderr)
        for name in os.listdir(self.dir):
            os.chown(self.path(name), NOBODY, NOBODY)
        os.chown(self.dir, NOBODY, NOBODY)
        return user

    def test_a_read_only_capture_left_by_another_user_is_replaced(self):
        os.chmod(self.path("__stderr__.log"), 0o444)
        user = self.as_unprivileged_user()
        os.chown(self.path("__stderr__.log"), 0, 0)
        run = self.drosk("src/A.java", **user)
        self.assertEqual((run.status, run.stderr), (1, b"src/A.java:1: this run\r\n"))
        self.assertEqual(self.received("javac"), ["pp/A.java"])

    def test_a_capture_that_stays_runs_no_compile(self):
        if not set_immutable(self.path("__stderr__.log"), True):
            self.skipTest("no immutable files here")
        self.addCleanup(set_immutable, self.path("__stderr__.log"), False)
        self.assertFailed(self.drosk("src/A.java"), b"__stderr__.log: Can't unlink")
        self.assertIsNone(self.received("javac"))
        self.assertFalse(self.exists("__drosk__.log"))


@posix_only("the compiler stand-in writes its capture through a POSIX descriptor")
class FilesPastTwoGiB(DroskCase):
    """Past 2 GiB, where a 32-bit program without 64-bit file offsets can open no file. The files
    are sparse: lines of NUL bytes, 1 MiB each, that take next to no room."""
    LINE = 1 << 20
    LINES = 2300

    def skip_unless_sparse(self):
        probe = self.path("probe")
        try:
            with open(probe, "wb") as f:
                f.truncate(self.LINE * self.LINES)
            sparse = os.stat(probe).st_blocks * 512 < self.LINE
        except OSError:
            sparse = False
        if os.path.exists(probe):
            os.remove(probe)
        if not sparse:
            self.skipTest("the file system here keeps no sparse files")

    def test_capture_past_two_gib_is_relayed_to_its_last_message(self):
        self.skip_unless_sparse()
        self.write("compiler.py", "import os\n"
                   "for n in range(%d): os.pwrite(2, b'\\n', n * %d + %d)\n"
                   "os.pwrite(2, b'pp/A.java:1: error\\n', %d)\n"
                   % (self.LINES, self.LINE, self.LINE - 1, self.LINES * self.LINE))
        self.ini(javac=command_words([sys.executable, "compiler.py"]))
        run = subprocess.Popen([DROSK, "src/A.java"], cwd=self.dir, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        size, tail = 0, b""
        for block in iter(lambda: run.stderr.read(self.LINE), b""):
            size, tail = size + len(block), (tail + block)[-64:]
        run.stderr.close()
        message = b"src/A.java:1: error\r\n"
        self.assertEqual((run.wait(), size, tail[-len(message) - 3:]),
                         (0, self.LINES * (self.LINE + 1) + len(message), b"\0\r\n" + message))


if __name__ == "__main__":
    unittest.main()
