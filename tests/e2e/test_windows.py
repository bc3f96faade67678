"""drosk.exe's own cases: the raw command line, the command processor's search, Windows file
names and semantics, whole exit statuses. The cases both platforms share are in test_end_to_end."""
import os
import shutil
import stat
import subprocess
import threading
import time
import unittest

from drosk_case import DROSK, FAKE_CMD, STUB, WINE, DroskCase, windows_only, windows_path

EXE = windows_path(DROSK)
CMD = "C:\\windows\\system32\\cmd.exe"  # Windows' own; under Wine, Wine's
CAPTURE = " 2>__stderr__.log||EXIT 1"
TOO_LONG = (b"drosk: Compile command too long for cmd.exe (8191 characters at most); pass the "
            b"arguments in an @file")


@windows_only("the command line of a Windows process is one string")
class CommandLine(DroskCase):
    def setUp(self):
        super().setUp()
        self.javac = self.stub("--record", "javac", "--")
        self.ini(javac=self.javac)

    def assertCompiled(self, run, args, received):
        """The run handed the processor `args` as the argument string, escaped for cmd.exe, and
        the compiler, whose C runtime splits it, got `received`."""
        self.assertEqual((run.status, run.stderr), (0, b""))
        self.assertEqual(self.read("__drosk__.log"), (self.javac + " " + args + CAPTURE).encode())
        self.assertEqual(self.received("javac"), received)

    def test_program_name_quoted_or_with_carets(self):
        os.mkdir(self.path("my tools"))
        shutil.copy(DROSK, self.path("my tools/drosk.exe"))
        app = self.path("my tools/drosk.exe")
        copy = windows_path(app)
        folder = windows_path(self.dir)
        cases = [
            # Started the usual way: Windows itself finds the program from the quoted path.
            ('"%s" -d out A.java' % copy, None, "-d out A.java"),
            ("%s\\my^ tools\\drosk.exe -d out A.java" % folder, app, "-d out A.java"),
            ('%s\\"my tools"\\drosk.exe   -d  out A.java' % folder, app, "-d  out A.java"),
            # The name goes on after a closing quote, and a caret takes a quote or a blank in.
            ('"%s"-g -d out A.java' % copy, app, "-d out A.java"),
            ('%s\\my^ tools\\drosk.exe^"^ x -d out A.java' % folder, app, "-d out A.java"),
        ]
        for line, app, args in cases:
            with self.subTest(line=line):
                self.assertCompiled(self.drosk_line(line, app=app), args, ["-d", "out", "A.java"])

    def test_tab_after_the_name_does_not_end_it(self):
        self.assertCompiled(self.drosk_line(EXE + "\t-d out A.java"), "out A.java",
                            ["out", "A.java"])

    def test_leading_blanks_make_the_name_empty(self):
        run = self.drosk_line("  " + EXE + " -d out A.java")
        self.assertCompiled(run, EXE + " -d out A.java", [EXE, "-d", "out", "A.java"])

    def test_no_argument_string(self):
        for line in (EXE, EXE + "   ", '"' + EXE + " -d out A.java", EXE + "^", EXE + "^ "):
            with self.subTest(line=line):
                self.assertFailed(self.drosk_line(line), b"javac commandline not found")
                self.assertIsNone(self.received("pre"))

    def test_argument_string_passes_verbatim(self):
        args = '-d  "out dir"\t-J-Dx="a b"   c^d "" -g  '
        self.assertCompiled(self.drosk_line(EXE + " " + args),
                            '-d  ^"out dir^"\t-J-Dx=^"a b^"   c^^d ^"^" -g  ',
                            ["-d", "out dir", "-J-Dx=a b", "c^d", "", "-g"])

    def test_rewrite_keeps_the_quotes_and_blanks_as_typed(self):
        self.ini(javac=self.javac, build="my pp")
        run = self.drosk_line(EXE + ' -g  "src\\A.java"  -sourcepath src')
        self.assertCompiled(run, '-g  ^"my pp\\A.java^"  -sourcepath my pp',
                            ["-g", "my pp\\A.java", "-sourcepath", "my", "pp"])

    def test_command_log_holds_the_argument_string_as_typed(self):
        self.ini(javac="javac")
        self.drosk("-g", "src/A.java", "a b")
        self.assertEqual(self.read("__drosk__.log"),
                         b'javac -g pp/A.java ^"a b^" 2>__stderr__.log||EXIT 1')


@windows_only("argument files named in a verbatim line; Windows file names and semantics")
class ArgFile(DroskCase):
    def test_the_first_argument_with_a_single_at_as_the_c_runtime_splits_them(self):
        self.ini()
        names = ("my", "my files.txt", "list", "q", "b", "@b")
        for args, name in ((" -g @my files.txt", "my"), (' -d out "@my files.txt"', "my files.txt"),
                           (' -d out @"my files.txt"', "my files.txt"),
                           (' -J-Dx=a@b @@b\t"@q" @list', "q")):
            with self.subTest(args=args):
                for each in names:
                    self.write(each, "src/A.java\n")
                self.assertEqual(self.drosk_line(EXE + args).status, 0)
                for each in names:
                    self.assertEqual(self.read(each), b"pp/A.java\r\n" if each == name
                                     else b"src/A.java\n", each)

    def test_backslashes_and_drive_letters(self):
        self.ini(javac=self.stub("--record", "javac", "--copy-arg-file", "seen", "--err-file",
                                 "messages", "--exit", "1", "--"),
                 source="D:\\proj\\src", build="D:\\proj\\pp")
        self.write("lists/files.txt",
                   b'-d D:\\proj\\classes\r\nD:\\proj\\src\\a\\A.java\n"D:\\proj\\src\\b c\\B.java"')
        self.write("messages", b"D:\\proj\\pp\\a\\A.java:3: error: ';' expected\n")
        name = windows_path(self.path("lists/files.txt"))
        run = self.drosk_line(EXE + " -g D:\\proj\\src\\a\\A.java @" + name)
        self.assertEqual((run.status, run.stderr),
                         (1, b"D:\\proj\\src\\a\\A.java:3: error: ';' expected\r\n"))
        rewritten = b'-d D:\\proj\\classes\r\nD:\\proj\\pp\\a\\A.java\r\n"D:\\proj\\pp\\b c\\B.java"'
        self.assertEqual(self.read("lists/files.txt"), rewritten)
        self.assertEqual(self.read("seen"), rewritten)
        self.assertFalse(self.exists("lists/files.tx_"))
        self.assertEqual(self.received("javac"), ["-g", "D:\\proj\\pp\\a\\A.java", "@" + name])

        self.write("lists/more.txt", b"D:\\proj\\src\\C.java\n")
        self.assertEqual(self.drosk_line(EXE + " @lists\\more.txt").status, 1)
        self.assertEqual(self.read("lists/more.txt"), b"D:\\proj\\pp\\C.java\r\n")

    def test_read_only_argument_file_is_not_replaced(self):
        self.ini()
        self.write("files.txt", b"src/A.java\n")
        os.chmod(self.path("files.txt"), stat.S_IREAD)
        self.assertFailed(self.drosk("-d", "out", "@files.txt"), b"files.tx_: Cant rename")
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        self.assertEqual(self.read("files.tx_"), b"pp/A.java\r\n")
        self.assertEqual(os.stat(self.path("files.tx_")).st_mode & 0o222, 0)  # read-only as well
        self.assertIsNone(self.received("javac"))

    def test_a_read_only_file_under_the_temporary_name_is_removed(self):
        self.ini()
        self.write("files.txt", b"src/A.java\n")
        self.write("files.tx_", b"left over\n")
        os.chmod(self.path("files.tx_"), stat.S_IREAD)
        self.assertEqual(self.drosk("@files.txt").status, 0)
        self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
        self.assertFalse(self.exists("files.tx_"))

    def test_a_hard_link_under_the_temporary_name_never_empties_the_argument_file(self):
        self.ini()
        self.write("files.txt", b"src/A.java\n")
        os.link(self.path("files.txt"), self.path("files.tx_"))
        run = self.drosk("@files.txt")
        if run.status != 0:
            # Where a deleted name stays until the file is closed (Wine, older Windows), it still
            # stood while the argument file was open; it is gone once drosk has ended.
            self.assertFailed(run, b"files.tx_: Can't open")
            self.assertEqual(self.read("files.txt"), b"src/A.java\n")
            self.assertFalse(self.exists("files.tx_"))
            self.assertEqual(self.drosk("@files.txt").status, 0)
        self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
        self.assertFalse(self.exists("files.tx_"))

    def test_an_argument_file_name_past_260_characters(self):
        # Build tools hand absolute names from deep build folders.
        self.ini()
        folder = "d" * 100 + "/e"
        folder += "e" * (300 - len(windows_path(self.path(folder + "/files.txt"))))
        name = windows_path(self.path(folder + "/files.txt"))
        self.assertEqual(len(name), 300)
        self.write(folder + "/files.txt", "src/A.java\n")
        self.assertEqual(self.drosk("-d", "out", "@" + name).status, 0)
        self.assertEqual(self.read(folder + "/files.txt"), b"pp/A.java\r\n")
        self.assertEqual(os.listdir(self.path(folder)), ["files.txt"])
        self.assertEqual(self.received("javac"), ["-d", "out", "@" + name])

    def test_a_device_name_is_refused_unopened(self):
        self.ini()
        self.assertFailed(self.drosk("@NUL"), b"NUL: Can't open")
        self.assertFalse(self.exists("NU_"))
        self.assertIsNone(self.received("javac"))

    @unittest.skipUnless(WINE, "a Linux link to a Linux device, which Wine follows")
    def test_a_drosk_ini_or_capture_that_is_a_device_cannot_be_opened(self):
        # /dev/null would read as an empty file, /dev/zero feed the run without end.
        self.ini()
        os.rename(self.path("drosk.ini"), self.path("settings"))
        os.symlink("/dev/null", self.path("drosk.ini"))
        self.assertFailed(self.drosk("src/A.java"), b"drosk.ini: Can't open")
        self.assertIsNone(self.received("pre"))
        os.replace(self.path("settings"), self.path("drosk.ini"))
        # The compile writes into the device, which is left as it is and never relayed.
        os.symlink("/dev/null", self.path("__stderr__.log"))
        self.assertFailed(self.drosk("src/A.java"), b"__stderr__.log: Can't open ")
        self.assertEqual(self.received("javac"), ["pp/A.java"])
        self.assertEqual(os.readlink(self.path("__stderr__.log")), "/dev/null")


class ProcessorCase(DroskCase):
    def processor_in(self, folder):
        """Puts the tests' processor into the folder as CMD.EXE; gives the folder's Windows name."""
        os.makedirs(self.path(folder), exist_ok=True)
        shutil.copy(FAKE_CMD, self.path(folder + "/CMD.EXE"))
        return windows_path(self.path(folder))

    def unstartable_in(self, folder):
        """A CMD.EXE that Windows cannot start: drosk must not get to it when another comes first."""
        self.write(folder + "/CMD.EXE", "not a program\n")
        return windows_path(self.path(folder))


@windows_only("COMSPEC, CMD.EXE and PATH")
class CommandProcessor(ProcessorCase):
    def setUp(self):
        super().setUp()
        self.ini()

    def assertBothRan(self, run):
        self.assertEqual((run.status, run.stderr), (0, b""))
        self.assertEqual(self.received("pre"), [])
        self.assertEqual(self.received("javac"), ["A.java"])

    def assertNoneRan(self, run):
        self.assertFailed(run, b"Preprocess error.")
        self.assertIsNone(self.received("pre"))

    def test_comspec_names_the_processor_and_no_other(self):
        self.unstartable_in(".")
        decoy = self.unstartable_in("decoy")
        self.assertBothRan(self.drosk_line(EXE + " A.java", env={"PATH": decoy}))

    def test_comspec_naming_a_missing_file_runs_nothing(self):
        good = self.processor_in(".")
        missing = windows_path(self.path("missing/cmd.exe"))
        self.assertNoneRan(self.drosk_line(EXE + " A.java", env={"COMSPEC": missing, "PATH": good}))

    def test_without_comspec_cmd_exe_in_the_current_directory_comes_first(self):
        self.processor_in(".")
        decoy = self.unstartable_in("decoy")
        run = self.drosk_line(EXE + " A.java", env={"COMSPEC": None, "PATH": decoy})
        self.assertBothRan(run)

    def test_without_comspec_cmd_exe_along_path_in_order(self):
        os.mkdir(self.path("empty"))
        path = ";".join([windows_path(self.path("nowhere")), "", windows_path(self.path("empty")),
                         '"%s"' % self.processor_in("good; dir"), self.unstartable_in("decoy")])
        self.assertBothRan(self.drosk_line(EXE + " A.java", env={"COMSPEC": None, "PATH": path}))
        path = self.processor_in("good") + "\\;" + self.unstartable_in("decoy")
        self.assertBothRan(self.drosk_line(EXE + " A.java", env={"COMSPEC": None, "PATH": path}))

    def test_without_comspec_or_cmd_exe_nothing_runs(self):
        os.mkdir(self.path("empty"))
        for path in (windows_path(self.path("empty")), None):
            with self.subTest(path=path):
                self.assertNoneRan(
                    self.drosk_line(EXE + " A.java", env={"COMSPEC": None, "PATH": path}))


@windows_only("what cmd.exe can take")
class CommandsCmdCannotTake(DroskCase):
    def test_the_limit_counts_the_carets_and_comes_before_the_argument_file(self):
        self.ini()
        javac = self.stub("--record", "javac", "--")
        fill = 8191 - len(javac + " @files.txt &" + CAPTURE) - 1  # "&" is handed as "^&"
        for extra, fits in ((0, True), (1, False)):
            with self.subTest(length=8191 + extra):
                self.write("files.txt", "src/A.java\n")
                run = self.drosk_line(EXE + " @files.txt &" + "x" * (fill + extra))
                if fits:
                    self.assertEqual((run.status, run.stderr), (0, b""))
                    self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
                    self.assertEqual(len(self.read("__drosk__.log")), 8191)
                    continue
                self.assertFailed(run, TOO_LONG)
                self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        for name in ("__drosk__.log", "pre.argv"):
            os.remove(self.path(name))
        self.ini(preprocess=self.stub("--record", "pre", "x" * 8200))
        self.assertFailed(self.drosk("A.java"),
                          b"drosk.ini: preprocess= too long for cmd.exe (8191 characters at most)")
        self.assertIsNone(self.received("pre"))
        self.assertFalse(self.exists("__drosk__.log"))

    def test_a_line_break_in_the_arguments_runs_nothing(self):
        self.ini()
        self.write("files.txt", "src/A.java\n")
        for line_break in ("\n", "\r"):
            with self.subTest(line_break=line_break):
                self.assertFailed(self.drosk_line(EXE + " @files.txt" + line_break + "-g"),
                                  b"drosk: Line break in the arguments; pass them in an @file")
                self.assertEqual(self.read("files.txt"), b"src/A.java\n")
                self.assertIsNone(self.received("javac"))


@windows_only("cmd.exe itself")
class RealCommandProcessor(DroskCase):
    """drosk with cmd.exe as its processor, Wine's own under Wine, where the stand-in cannot show
    what cmd.exe does with drosk's texts. Wine 8.0's cmd.exe runs both sides of "||", so there a
    preprocess that is a program always fails and every compile ends with status 1: the preprocess
    is a batch file that ends cmd.exe itself, and the cases check what the compiler received and
    what was relayed, never the compile's status."""

    def setUp(self):
        super().setUp()
        self.write("pre.bat", b"@echo ran> pre.ran\r\n@exit 0\r\n")
        self.preprocess = windows_path(self.path("pre.bat"))

    def drosk_cmd(self, args):
        return self.drosk_line(EXE + " " + args, env={"COMSPEC": CMD})

    def test_arguments_reach_the_compiler_as_written(self):
        javac = self.stub("--record", "javac", "--copy-arg-file", "seen", "--err-file",
                          "messages", "--")
        self.ini(preprocess=self.preprocess, javac=javac)
        self.write("messages", b"pp\\R&D\\A.java:1: error\n")
        self.write("my files.txt", b"src\\B.java\n")
        args = '-d out src\\R&D\\A.java "@my files.txt" -J-Dx=a^b a|b a>b (x) -J-Dx="a'
        run = self.drosk_cmd(args)
        self.assertEqual(self.read("pre.ran").strip(), b"ran")
        self.assertEqual(self.received("javac"), ["-d", "out", "pp\\R&D\\A.java", "@my files.txt",
                                                  "-J-Dx=a^b", "a|b", "a>b", "(x)", "-J-Dx=a"])
        self.assertEqual(self.read("seen"), b"pp\\B.java\r\n")
        self.assertEqual(run.stderr, b"src\\R&D\\A.java:1: error\r\n")

    def test_a_quote_left_open_keeps_no_blank_of_the_command_text(self):
        self.ini(preprocess=self.preprocess)
        javac = self.stub("--record", "javac", "--")
        for args, received, logged in (
                ('-d out "src\\B C.java', ["-d", "out", "pp\\B C.java"], '-d out ^"pp\\B C.java^"'),
                ('-g "a\\', ["-g", "a\\"], '-g ^"a\\\\^"')):
            with self.subTest(args=args):
                self.drosk_cmd(args)
                self.assertEqual(self.received("javac"), received)
                self.assertEqual(self.read("__drosk__.log"),
                                 (javac + " " + logged + CAPTURE).encode())
                os.remove(self.path("javac.argv"))

    def test_quoted_command_paths_with_blanks_and_parentheses(self):
        # Where a JDK installs by default. The stand-in runs no batch file.
        folder = self.path("Program Files (x86)")
        os.mkdir(folder)
        shutil.copy(STUB, os.path.join(folder, "stub.exe"))
        shutil.copy(self.path("pre.bat"), folder)
        stub = '"%s"' % windows_path(os.path.join(folder, "stub.exe"))
        batch = '"%s"' % windows_path(os.path.join(folder, "pre.bat"))
        fake = windows_path(FAKE_CMD)
        for comspec, preprocess, ran in ((CMD, batch, "pre.ran"),
                                         (fake, stub + " --record pre", "pre.argv")):
            with self.subTest(comspec=comspec):
                self.ini(preprocess=preprocess, javac=stub + " --record javac --")
                self.drosk_line(EXE + ' -d "out dir" A.java', env={"COMSPEC": comspec})
                self.assertTrue(self.exists(ran))
                self.assertEqual(self.received("javac"), ["-d", "out dir", "A.java"])
                os.remove(self.path("javac.argv"))

    def test_a_compile_command_over_the_limit_runs_nothing(self):
        self.ini(preprocess=self.preprocess)
        self.write("files.txt", "src/A.java\n")
        names = " ".join("src\\Name%05d.java" % i for i in range(600))
        self.assertFailed(self.drosk_cmd("@files.txt " + names), TOO_LONG)
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        self.assertFalse(self.exists("__drosk__.log"))

    def test_a_compile_that_cmd_exe_cannot_start_relays_no_earlier_capture(self):
        javac = self.stub("--record", "javac", "--") + " <no.txt"  # cmd.exe cannot redirect
        self.ini(preprocess=self.preprocess, javac=javac)
        self.write("__stderr__.log", b"pp/A.java:1: error from an earlier run\n")
        run = self.drosk_cmd("src/A.java")
        self.assertTrue(run.stderr.endswith(b"__stderr__.log: Can't open "), run.stderr)
        self.assertIsNone(self.received("javac"))


@windows_only("exit statuses beyond one byte")
class ExitStatus(ProcessorCase):
    def test_no_processor_for_the_compile_relays_no_earlier_capture(self):
        # The preprocess command puts an unstartable CMD.EXE where the compile command's search
        # looks first.
        env = {"COMSPEC": None, "PATH": self.processor_in("good")}
        self.write("junk", "not a program\n")
        self.ini(preprocess=self.stub("--copy-arg-file", "CMD.EXE", "--", "@junk"))
        run = self.drosk_line(EXE + " -g src/A.java", env=env)
        self.assertFailed(run, b"__stderr__.log: Can't open ")
        self.assertEqual(self.read("__drosk__.log"),
                         b"%s -g pp/A.java%s" % (self.stub("--record", "javac", "--").encode(),
                                                  CAPTURE.encode()))
        self.assertIsNone(self.received("javac"))

        os.remove(self.path("CMD.EXE"))
        self.write("__stderr__.log", b"pp/A.java:1: error from an earlier run\n")
        self.assertFailed(self.drosk_line(EXE + " -g src/A.java", env=env),
                          b"__stderr__.log: Can't open ")

    def test_the_processor_status_is_the_exit_status_whole(self):
        self.ini(javac="EXIT 300")  # the processor creates the capture before it ends
        self.assertEqual(self.drosk("A.java").status, 300)


@windows_only("the directory's volume serial number and file index")
class Recursion(DroskCase):
    def test_preprocess_that_runs_drosk_in_the_same_directory_stops(self):
        self.ini(preprocess=EXE + " A.java")
        self.assertFailed(self.drosk("A.java"),
                          b"drosk.ini: preprocess= starts drosk againPreprocess error.")
        self.assertIsNone(self.received("javac"))


@windows_only("a process ended from outside, with no chance to clean up")
class TerminatedDrosk(DroskCase):
    def test_terminate_process_ends_the_command_too(self):
        # The compiler would delete the marker after its sleep, had it survived drosk.
        self.write("marker", b"")
        self.ini(javac=self.stub("--record", "javac", "--sleep", "3", "--delete", "marker", "--"))

        def terminate_once_compiling():
            deadline = time.monotonic() + 60
            while self.received("javac") is None and time.monotonic() < deadline:
                time.sleep(0.05)
            subprocess.run(([WINE] if WINE else []) + ["taskkill", "/F", "/IM", "drosk.exe"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

        killer = threading.Thread(target=terminate_once_compiling)
        killer.start()
        run = self.drosk("src/A.java")
        killer.join()
        self.assertIsNotNone(self.received("javac"))
        # drosk ended first: its lock's file is left, with no command logged in it.
        self.assertEqual(self.read("__drosk__.log"), b"", run.status)
        time.sleep(5)  # past the end of the compiler's sleep
        self.assertTrue(self.exists("marker"))


if __name__ == "__main__":
    unittest.main()
