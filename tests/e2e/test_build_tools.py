"""Ant, Maven and Gradle, offline from Debian's packages, with drosk as their forked compiler.

Each builds the bundled example (its build files take drosk's path as a parameter) and fails on
the broken variant with the source-tree file and line in its report. Gradle is slow to start, so
it runs once per variant.
"""
import os
import re
import unittest

from example_case import (BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE, BUILD, DROSK, PROGRAM_OUTPUT,
                          ExampleCase)


def text(run):
    return (run.stdout + run.stderr).decode()


class Ant(ExampleCase):
    def ant(self, root, *args):
        # Started elsewhere: Ant starts the compiler in the project's base directory all the same.
        return self.execute(["ant", "-noinput", "-f", os.path.join(root, "ant", "build.xml"),
                             "-Djavac.executable=" + DROSK] + list(args), self.dir)

    def assertRan(self, run):
        self.assertEqual(run.status, 0, text(run))
        printed = [line.split("[java] ", 1)[1] for line in text(run).splitlines()
                   if "[java] " in line]
        self.assertEqual(printed, PROGRAM_OUTPUT.splitlines())

    def compile_command(self, root):
        with open(os.path.join(root, "__drosk__.log")) as f:
            return f.read()

    def test_file_names_on_the_command_line(self):
        root = self.copy_example()
        self.assertRan(self.ant(root, "run"))
        command = self.compile_command(root)
        self.assertIn(" %s/%s/com/example/app/Main.java " % (root, BUILD), command)
        # javac finds the classes Ant leaves out (their class files are newer) through -sourcepath.
        self.assertIn(" -sourcepath %s/%s " % (root, BUILD), command)
        self.assertNotIn("@", command)

        broken = self.copy_example("broken", broken=True)
        run = self.ant(broken, "compile")
        self.assertNotEqual(run.status, 0)
        self.assertIn("[javac] %s/%s:%d: %s\n" % (broken, BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE),
                      text(run).replace("\r\n", "\n"))
        self.assertIn("BUILD FAILED", text(run))
        self.assertNamesSourceTree(text(run), broken)
        self.assertMatcherReads(run.stdout + run.stderr, broken, BROKEN_FILE, BROKEN_LINE,
                                BROKEN_MESSAGE[len("error: "):])

    def test_argument_file_past_4096_characters(self):
        # A deep directory makes the command line long enough that Ant puts every option and file
        # name into an argument file: the last argument, and the only one without a -J option.
        deep = os.path.join("d" * 200, "e" * 200, "f" * 200)
        root = self.copy_example(os.path.join(deep, "example"))
        for jvm_args in ("", "-J-Xms32m"):
            with self.subTest(jvm_args=jvm_args):
                self.assertRan(self.ant(root, "-Djavac.jvmargs=" + jvm_args, "clean", "run"))
                command = self.compile_command(root)
                self.assertRegex(command, r"^javac %s@/\S+ 2>__stderr__.log\|\|EXIT 1$"
                                 % re.escape(jvm_args + " " if jvm_args else ""))


class Maven(ExampleCase):
    def mvn(self, root):
        return self.execute(["mvn", "-o", "-B", "-q", "-Dstyle.color=never", "-s", "settings.xml",
                             "-Djavac.executable=" + DROSK, "compile"], os.path.join(root, "maven"))

    def test_compiles_through_the_argument_file(self):
        root = self.copy_example()
        run = self.mvn(root)
        self.assertEqual(run.status, 0, text(run))
        self.assertEqual(self.program_output(os.path.join(root, "build", "maven", "classes")),
                         PROGRAM_OUTPUT)
        with open(os.path.join(root, "maven", "__drosk__.log")) as f:
            self.assertRegex(f.read(), r"^javac @/\S+ 2>__stderr__.log\|\|EXIT 1$")

        broken = self.copy_example("broken", broken=True)
        run = self.mvn(broken)
        self.assertNotEqual(run.status, 0)
        # Maven shows the path as the plugin made it, "maven/../ifdef-src/...", and "[line,column]".
        self.assertIn("[ERROR] %s/maven/../%s:[%d,20] %s\n" % (
            broken, BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE), text(run))
        self.assertNamesSourceTree(text(run), broken)

    def test_version_probe_answers_like_javac(self):
        # Newer compiler plugins first run the executable with -version in the directory Maven
        # was started in, and want status 0 and "javac ..." on standard output.
        root = self.copy_example()
        run = self.drosk_in(os.path.join(root, "maven"), "-version")
        self.assertEqual((run.status, run.stderr), (0, b""))
        self.assertRegex(run.stdout.decode(), r"^javac \d+[.\d]*\S*\n$")


class Gradle(ExampleCase):
    def gradle(self, root, task):
        # GRADLE_USER_HOME, when set, is kept between runs (the tests set it to the build tree).
        return self.execute(["gradle", "--offline", "--no-daemon", "-q",
                             "-PjavacExecutable=" + DROSK, task], os.path.join(root, "gradle"))

    def test_compiles_through_the_argument_file_and_runs(self):
        root = self.copy_example()
        run = self.gradle(root, "run")
        self.assertEqual(run.status, 0, text(run))
        self.assertEqual(run.stdout.decode(), PROGRAM_OUTPUT)
        with open(os.path.join(root, "gradle", "__drosk__.log")) as f:
            self.assertEqual(f.read(), "javac @%s/build/gradle/tmp/compileJava/java-compiler-args.txt"
                             " 2>__stderr__.log||EXIT 1" % root)

        broken = self.copy_example("broken", broken=True)
        run = self.gradle(broken, "compileJava")
        self.assertNotEqual(run.status, 0)
        self.assertIn("%s/%s:%d: %s\r\n" % (broken, BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE),
                      text(run))
        self.assertIn("Compilation failed", text(run))
        self.assertNamesSourceTree(text(run), broken)
        self.assertMatcherReads(run.stdout + run.stderr, broken, BROKEN_FILE, BROKEN_LINE,
                                BROKEN_MESSAGE[len("error: "):])


if __name__ == "__main__":
    unittest.main()
