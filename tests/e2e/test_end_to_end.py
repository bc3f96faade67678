"""drosk's whole runs, as a build tool would start it, with stand-in commands."""
import concurrent.futures
import copy
import os
import subprocess
import time
import unittest

from drosk_case import DROSK, DroskCase, posix_only


class Driver(DroskCase):
    def test_no_arguments_stops_before_reading_the_settings(self):
        run = self.drosk()
        self.assertFailed(run, b"javac commandline not found")
        self.ini()  # present now, and still neither read nor run without arguments
        self.assertFailed(self.drosk(), b"javac commandline not found")
        self.assertIsNone(self.received("pre"))

    def test_successful_compile_runs_both_commands_in_order(self):
        self.ini(javac=self.stub("--record", "javac", "--out", "compiled", "--"))
        run = self.drosk("-d", "out", "A.java")
        self.assertEqual((run.status, run.stdout, run.stderr), (0, b"preprocessed\ncompiled\n", b""))
        self.assertEqual(self.received("pre"), [])
        self.assertEqual(self.received("javac"), ["-d", "out", "A.java"])

    def test_failed_compile_gives_status_1(self):
        self.ini(javac=self.stub("--exit", "3", "--"))
        self.assertEqual(self.drosk("A.java").status, 1)

    def test_failed_preprocess_stops_before_the_compiler(self):
        self.ini(preprocess=self.stub("--exit", "2"))
        self.write("files.txt", "src/A.java\n")
        self.assertFailed(self.drosk("@files.txt"), b"Preprocess error.")
        self.assertIsNone(self.received("javac"))
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        self.ini(preprocess="no-such-preprocessor-here")
        run = self.drosk("A.java")
        self.assertEqual(run.status, 1)
        self.assertTrue(run.stderr.endswith(b"Preprocess error."), run.stderr)

    def test_arguments_reach_the_compiler_exactly_and_are_never_run(self):
        self.ini()
        args = ["-d", "out dir", "", "$(touch pwned)", "`touch pwned`", "a;touch pwned", "'",
                "X=1", "*", "-J-Dx=\"y\"", "tab\there"]
        self.assertEqual(self.drosk(*args).status, 0)
        self.assertEqual(self.received("javac"), args)
        self.assertFalse(self.exists("pwned"))

    def test_empty_compiler_command_begins_with_a_blank(self):
        self.ini(javac="")
        run = self.drosk("A.java")
        self.assertEqual(run.status, 1)  # the shell finds no command A.java
        self.assertEqual(self.read("__drosk__.log"), b" A.java 2>__stderr__.log||EXIT 1")


class Settings(DroskCase):
    def test_refused_settings_run_nothing(self):
        cases = [
            (None, b"drosk.ini: Can't open"),
            ("", b"drosk.ini: preprocess=NULL\r\ndrosk.ini: build=NULL\r\ndrosk.ini: source=NULL\r\n"),
            ("javac=j\nbuild=b\n", b"drosk.ini: preprocess=NULL\r\ndrosk.ini: source=NULL\r\n"),
            ("preprocess=P\n#\n\nsource=s\n", b"drosk.ini:3: Error"),
            ("preprocess=P\nsource=a\nbuild=b\nsource=a\n", b"drosk.ini:4: Error"),
            ("preprocess=P\nSource=src\n", b"drosk.ini:2: Error"),
        ]
        for text, message in cases:
            with self.subTest(text=text):
                if self.exists("drosk.ini"):
                    os.remove(self.path("drosk.ini"))
                if text is not None:
                    self.write("drosk.ini", text.replace("P", self.stub("--record", "pre")))
                self.assertFailed(self.drosk("A.java"), message)
                self.assertIsNone(self.received("pre"))

    def test_a_directory_named_drosk_ini_cannot_be_opened(self):
        os.mkdir(self.path("drosk.ini"))
        self.assertFailed(self.drosk("A.java"), b"drosk.ini: Can't open")

    def test_crlf_lines_and_ctrl_z(self):
        text = ("preprocess=%s\r\nsource=src\r\nbuild=pp\r\njavac=%s\x1ajavac=ignored\r\n"
                % (self.stub("--record", "pre"), self.stub("--record", "javac", "--")))
        self.write("drosk.ini", text)
        self.assertEqual(self.drosk("src/A.java").status, 0)
        self.assertEqual(self.received("javac"), ["pp/A.java"])

    def test_a_value_ends_at_its_first_nul(self):
        # Cut there, not somewhere later: the compiler gets its arguments and its capture file.
        self.write("messages", b"pp/A.java:1: error\n")
        javac = self.stub("--record", "javac", "--err-file", "messages", "--")
        self.write("drosk.ini", "preprocess=%s\0junk\njavac=%s\0junk\nsource=src\0x\nbuild=pp\n"
                   % (self.stub("--record", "pre"), javac))
        self.write("__stderr__.log", b"old\n")
        run = self.drosk("src/A.java")
        self.assertEqual((run.status, run.stderr), (0, b"src/A.java:1: error\r\n"))
        self.assertEqual(self.received("javac"), ["pp/A.java"])
        self.assertEqual(self.received("pre"), [])


class ArgumentRewrite(DroskCase):
    def test_arguments_name_the_build_tree_when_a_java_file_is_mentioned(self):
        self.ini()
        self.drosk("-classpath", "src/lib", "-d", "out", "src/A.java")
        self.assertEqual(self.received("javac"), ["-classpath", "pp/lib", "-d", "out", "pp/A.java"])
        self.drosk("-classpath", "src/lib", "src/A.JAVA")
        self.assertEqual(self.received("javac"), ["-classpath", "src/lib", "src/A.JAVA"])

    @posix_only("the arguments are a list, quoted for /bin/sh (test_windows has the verbatim line)")
    def test_build_path_with_blanks_and_quotes_stays_one_argument(self):
        self.ini(build="my pp's $(dir)")
        self.drosk("-g", "src/A.java")
        self.assertEqual(self.received("javac"), ["-g", "my pp's $(dir)/A.java"])


class ArgFile(DroskCase):
    def rewrite(self, content, *args, name="files.txt"):
        self.ini(javac=self.stub("--record", "javac", "--copy-arg-file", "seen", "--"))
        self.write(name, content)
        return self.drosk(*args)

    def test_rewritten_in_place_with_crlf_line_ends(self):
        for content in (b"-d out\nsrc/A.java\nsrc/B.java", b"-d out\r\nsrc/A.java\r\nsrc/B.java"):
            with self.subTest(content=content):
                run = self.rewrite(content, "-d", "out", "@files.txt")
                self.assertEqual(run.status, 0)
                expected = b"-d out\r\npp/A.java\r\npp/B.java"
                self.assertEqual(self.read("files.txt"), expected)
                self.assertEqual(self.read("seen"), expected)  # the compiler read the new one
                self.assertEqual(self.received("javac"), ["-d", "out", "@files.txt"])
                self.assertFalse(self.exists("files.tx_"))

    def test_a_leading_argument_file_is_rewritten_too(self):
        self.rewrite(b'"src/A.java"\n', "@files.txt", "-g")
        self.assertEqual(self.read("files.txt"), b'"pp/A.java"\r\n')

    def test_only_the_first_argument_file_is_rewritten(self):
        # "@@At.java" is javac's way of naming the source file @At.java.
        self.write("other.txt", "src/B.java\n")
        self.write("@At.java", "class src {}\n")
        self.rewrite(b"src/A.java\n", "@@At.java", "@files.txt", "@other.txt")
        self.assertEqual(self.read("files.txt"), b"pp/A.java\r\n")
        self.assertEqual(self.read("other.txt"), b"src/B.java\n")
        self.assertEqual(self.read("@At.java"), b"class src {}\n")

    def test_name_with_a_blank(self):
        # On Windows the caller quotes it: "@my files.txt".
        self.rewrite(b"src/A.java\n", "@my files.txt", name="my files.txt")
        self.assertEqual(self.read("my files.txt"), b"pp/A.java\r\n")

    def test_name_rewritten_first(self):
        self.ini()
        self.write("pp/list.txt", "src/B.java\n")
        self.drosk("src/A.java", "@src/list.txt")
        self.assertEqual(self.read("pp/list.txt"), b"pp/B.java\r\n")

    def test_bytes_other_than_line_ends_pass_through(self):
        content = b"a\r\r\nsrc\0src\rsrc\x1a\nsrc after ctrl-z\n\xff\xfe src"
        self.rewrite(content, "@files.txt")
        self.assertEqual(self.read("files.txt"),
                         b"a\r\r\npp\0pp\rpp\x1a\r\npp after ctrl-z\r\n\xff\xfe pp")

    def test_long_lines_miss_no_occurrence(self):
        line = b"x" * 16381 + b"src/" + b"src/A.java " * 20000
        self.rewrite(line + b"\n" + line, "@files.txt")
        out_line = b"x" * 16381 + b"pp/" + b"pp/A.java " * 20000
        self.assertEqual(self.read("files.txt"), out_line + b"\r\n" + out_line)

    def test_name_ending_in_underscore_survives(self):
        self.rewrite(b"src/A.java\n", "@list_", name="list_")
        self.assertEqual(self.read("list_"), b"pp/A.java\r\n")
        self.assertFalse(self.exists("list~"))

    def test_names_that_cannot_be_opened(self):
        self.ini()
        self.assertFailed(self.drosk("-d", "out", "@"), b": Can't open")
        self.assertFailed(self.drosk("@missing.txt"), b"missing.txt: Can't open")
        self.assertIsNone(self.received("javac"))

    def test_temporary_name_taken_by_a_directory(self):
        os.mkdir(self.path("files.tx_"))
        run = self.rewrite(b"src/A.java\n", "@files.txt")
        self.assertFailed(run, b"files.tx_: Can't open")
        self.assertEqual(self.read("files.txt"), b"src/A.java\n")
        self.assertIsNone(self.received("javac"))

    @posix_only("RLIMIT_FSIZE")
    def test_file_size_limit_loses_nothing(self):
        import resource
        content = b"src/A.java\n" * 20000
        self.ini(preprocess=self.stub("--exit", "0"))
        self.write("files.txt", content)
        limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000))
        run = self.drosk("@files.txt", preexec_fn=limit)
        self.assertFailed(run, b"files.tx_: Can't write")
        self.assertEqual(self.read("files.txt"), content)
        self.assertFalse(self.exists("files.tx_"))
        self.assertIsNone(self.received("javac"))


class ParallelRuns(DroskCase):
    def test_runs_in_one_directory_take_turns(self):
        # Each run's compiler relays the message file its arguments name and ends with the status
        # they give; it sleeps after writing the capture, so that runs without turns would overlap.
        self.ini(javac=self.stub("--sleep", "0.5"))
        runs = range(4)
        for n in runs:
            self.write("m%d.txt" % n, "pp/A%d.java:%d: error\n" % (n, n))
        with concurrent.futures.ThreadPoolExecutor(len(runs)) as pool:
            done = list(pool.map(
                lambda n: self.drosk("--err-file", "m%d.txt" % n, "--exit", str(n % 2)), runs))
        for n, run in zip(runs, done):
            self.assertEqual((run.status, run.stdout, run.stderr),
                             (n % 2, b"preprocessed\n", b"src/A%d.java:%d: error\r\n" % (n, n)))


    def test_runs_that_stop_early_take_turns_and_leave_no_command_log(self):
        # The lock is the command log, which each run that created it removes again before the
        # compile. A run that waited meanwhile has the removed file: it must open the name again,
        # or it is inside at once with a later run that locked a new file. Staggered starts, so
        # that later runs come after a removal; several rounds, since one may fall out without.
        self.ini(preprocess=self.stub("--inside", "turn", "--sleep", "0.3", "--exit", "1"))

        def run_after(n):
            time.sleep(0.15 * n)
            return self.drosk("A.java")
        for round in range(3):
            with concurrent.futures.ThreadPoolExecutor(6) as pool:
                done = list(pool.map(run_after, range(6)))
            self.assertEqual([(run.status, run.stderr) for run in done],
                             [(1, b"Preprocess error.")] * len(done))
            self.assertFalse(self.exists("turn.both"), "round %d" % round)
            self.assertFalse(self.exists("__drosk__.log"))


    def test_runs_in_several_directories_rewrite_one_argument_file_whole(self):
        # As make -j over modules that each hand the compiler @../common.opts: runs in different
        # directories do not take turns, yet the file is never cut short and each compiler reads it
        # whole. Several rounds, since one may fall out without any overlap.
        content = b"".join(b"src/p%d/A%d.java\n" % (i % 97, i) for i in range(50000))
        rewritten = content.replace(b"src/", b"pp/").replace(b"\n", b"\r\n")
        modules = [copy.copy(self) for n in range(4)]
        for n, module in enumerate(modules):
            module.dir = self.path("m%d" % n)
            module.ini(preprocess=self.stub("--exit", "0"),
                       javac=self.stub("--copy-arg-file", "seen", "--"))
        for round in range(4):
            self.write("common.opts", content)
            with concurrent.futures.ThreadPoolExecutor(len(modules)) as pool:
                done = list(pool.map(lambda m: m.drosk("-d", "out", "@../common.opts"), modules))
            self.assertEqual([(run.status, run.stderr) for run in done], [(0, b"")] * len(done))
            self.assertTrue(self.read("common.opts") == rewritten, "round %d" % round)
            for module in modules:
                self.assertTrue(module.read("seen") == rewritten, module.dir)
            self.assertFalse(self.exists("common.opt_"))


class Relay(DroskCase):
    def compile_with_messages(self, messages, status=0, *args):
        self.write("messages", messages)
        self.ini(javac=self.stub("--out", "compiler output", "--err-file", "messages",
                                 "--exit", str(status), "--"))
        return self.drosk(*(args or ("-g", "src/A.java")), merge=True)

    def test_messages_name_the_source_tree_with_crlf_after_the_output(self):
        run = self.compile_with_messages(
            b"pp/A.java:3: error: cannot find symbol\r\n  in pp\n1 error\nlast", status=1)
        self.assertEqual(run.status, 1)
        self.assertEqual(run.stdout, b"preprocessed\ncompiler output\n"
                         b"src/A.java:3: error: cannot find symbol\r\n  in src\r\n1 error\r\nlast")
        self.assertNotIn(b"pp/", run.stdout.split(b"compiler output\n")[1])

    def test_warnings_keep_status_0_and_bytes_pass_through(self):
        # A Ctrl-Z in a quoted source line is carried on: the messages after it are not lost.
        run = self.compile_with_messages(b"pp/A.java:1: warning: \0x\rpp\x1app/more\n"
                                         b"pp/B.java:2: warning: w\n2 warnings\n")
        self.assertEqual((run.status, run.stdout),
                         (0, b"preprocessed\ncompiler output\nsrc/A.java:1: warning: \0xsrc\x1asrc/more"
                             b"\r\nsrc/B.java:2: warning: w\r\n2 warnings\r\n"))

    def test_long_message_lines_are_mapped_whole(self):
        line = b"y" * 16381 + b"pp/A.java" * 5000
        run = self.compile_with_messages(line + b"\n")
        self.assertTrue(run.stdout.endswith(b"y" * 16381 + b"src/A.java" * 5000 + b"\r\n"))

    @posix_only("'a b' is quoted for /bin/sh (test_windows has the verbatim line)")
    def test_command_log_holds_the_compile_command_without_line_end(self):
        self.ini(javac="javac")
        self.drosk("-g", "src/A.java", "a b")
        self.assertEqual(self.read("__drosk__.log"),
                         b"javac -g pp/A.java 'a b' 2>__stderr__.log||EXIT 1")

    @posix_only("Windows deletes no file that is open as the compiler's standard error "
                "(test_windows loses the capture file by losing the command processor)")
    def test_vanished_capture_file(self):
        self.ini(javac=self.stub("--delete", "__stderr__.log", "--"))
        run = self.drosk("A.java")
        self.assertFailed(run, b"__stderr__.log: Can't open ")
        self.assertTrue(self.exists("__drosk__.log"))

    def test_command_log_that_cannot_be_written_is_skipped(self):
        os.mkdir(self.path("__drosk__.log"))
        run = self.compile_with_messages(b"pp/A.java:1: error\n", status=4)
        self.assertEqual((run.status, run.stdout),
                         (1, b"preprocessed\ncompiler output\nsrc/A.java:1: error\r\n"))

    @posix_only("closed descriptors and SIGPIPE")
    def test_closed_or_broken_standard_error_keeps_the_status(self):
        self.write("messages", b"pp/A.java:1: error\n" * 10000)
        self.ini(javac=self.stub("--err-file", "messages", "--exit", "1", "--"))
        closed = subprocess.run([DROSK, "A.java"], cwd=self.dir,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                preexec_fn=lambda: os.close(2))
        self.assertEqual(closed.returncode, 1)

        def status_with_broken_stderr():
            reader, writer = os.pipe()
            os.close(reader)
            broken = subprocess.run([DROSK, "A.java"], cwd=self.dir,
                                    stdout=subprocess.DEVNULL, stderr=writer)
            os.close(writer)
            return broken.returncode

        self.assertEqual(status_with_broken_stderr(), 1)
        self.ini(javac=self.stub("--err-file", "messages", "--"))
        self.assertEqual(status_with_broken_stderr(), 0)


if __name__ == "__main__":
    unittest.main()
