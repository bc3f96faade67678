"""The bundled example project (examples/) copied into a throwaway directory, compiled through
drosk by the real JDK and by real build tools.

DROSK names the program under test. A case's directory is removed when the case passes and kept,
with its path printed, when it fails (DroskCase).
"""
import json
import os
import re
import shutil
import subprocess
import tempfile

from drosk_case import DROSK, DroskCase, Run

EXAMPLES = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                         "..", "..", "examples"))
SOURCES = ["com/example/app/Greeter.java", "com/example/app/Main.java",
           "com/example/util/Features.java", "com/example/util/Text.java"]
BROKEN_SOURCES = ["com/example/app/Main.java", "com/example/util/Counter.java"]
# The examples' source and build trees, as their drosk.ini files name them.
SOURCE = "ifdef-src"
BUILD = "build/ifdef-out"
MAIN_CLASS = "com.example.app.Main"
# What the program prints when compiled from ifdef-src/ after preprocess.sh resolved its #ifdef
# blocks with the default symbols; ifdef-src/ itself does not compile at all.
PROGRAM_OUTPUT = ("features: FEATURE_X=on DEBUG=off\n"
                  "Hello, Drosk User!\n"
                  "built with FEATURE_X, without DEBUG\n")
BROKEN_FILE = SOURCE + "/com/example/app/Main.java"
BROKEN_LINE = 18
BROKEN_MESSAGE = "error: incompatible types: String cannot be converted to int"
# A file name and line as javac, Ant and Gradle give them, or as Maven gives them ("f.java:[18,20]").
FILE_LINE = re.compile(r"((?:/|\b)[\w./-]+\.java):\[?(\d+)")


# Runs the VS Code task's problem matcher, a JavaScript RegExp, on each line of standard input.
MATCHER = """
const task = JSON.parse(require("fs").readFileSync(process.argv[1])).tasks[0];
const pattern = new RegExp(task.problemMatcher.pattern.regexp);
const lines = require("fs").readFileSync(0, "latin1").split("\\n");
console.log(JSON.stringify(lines.map(l => pattern.exec(l)).filter(m => m).map(m => m.slice(1))));
"""


class ExampleCase(DroskCase):
    def setUp(self):
        if not DROSK:
            self.fail("DROSK must name the built program")
        self.dir = tempfile.mkdtemp(prefix="drosk-example-")

    def copy_example(self, name="example", broken=False):
        """A clean copy of examples/ at src/NAME in the case's directory (projects are often kept
        under a folder named src, as in ~/src/project); with BROKEN, its sources are broken/'s, so
        that every build file builds the broken variant."""
        root = self.path(os.path.join("src", name))
        shutil.copytree(EXAMPLES, root,
                        ignore=shutil.ignore_patterns("build", ".gradle", "__drosk__.log",
                                                      "__stderr__.log"))
        if broken:
            shutil.rmtree(os.path.join(root, SOURCE))
            shutil.copytree(os.path.join(root, "broken", SOURCE), os.path.join(root, SOURCE))
        return root

    def execute(self, command, cwd, env=None, timeout=300):
        completed = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        return Run(completed)

    def drosk_in(self, cwd, *args, env=None):
        return self.execute([DROSK] + list(args), cwd, env=env, timeout=120)

    def program_output(self, classes):
        """What the example prints when run from the class files in CLASSES."""
        run = self.execute(["java", "-cp", classes, MAIN_CLASS], self.dir, timeout=120)
        self.assertEqual(run.status, 0, run.stderr)
        return run.stdout.decode()

    def assertMatcherReads(self, output, root, file, line, message):
        """examples/vscode/tasks.json's matcher finds FILE:LINE with MESSAGE (no CR) in OUTPUT, the
        file name absolute or relative to ROOT, the workspace folder."""
        run = subprocess.run(["node", "-e", MATCHER, os.path.join(EXAMPLES, "vscode", "tasks.json")],
                             input=output, stdout=subprocess.PIPE, check=True)
        found = [(os.path.normpath(os.path.join(root, name)), int(number), severity, text)
                 for name, number, severity, text in json.loads(run.stdout)]
        self.assertIn((os.path.join(root, file), line, "error", message), found)

    def assertNamesSourceTree(self, text, root):
        """Every file named with a line in TEXT is a file of ROOT's source tree, no build-tree path
        is left, and the source line that javac quotes under a message is that line of the named
        file: the preprocessor kept every line in place."""
        self.assertNotIn(BUILD, text)
        lines = text.replace("\r\n", "\n").split("\n")
        named = 0
        for i, line in enumerate(lines):
            for match in FILE_LINE.finditer(line):
                name, number = match.groups()
                path = os.path.normpath(os.path.join(root, name))
                self.assertTrue(path.startswith(os.path.join(root, SOURCE) + os.sep), (name, text))
                with open(path) as f:
                    source_line = f.read().split("\n")[int(number) - 1]
                self.assertTrue(source_line.strip(), (name, number))
                named += 1
                # Maven's "file:[line,column]" comes without the quoted line.
                if match.group(0).endswith("[" + number):
                    continue
                self.assertTrue(i + 1 < len(lines) and lines[i + 1].endswith(source_line),
                                (name, number, text))
        self.assertTrue(named, text)
