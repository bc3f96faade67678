"""A throwaway directory per case, drosk run in it, and the bytes it leaves behind.

DROSK names the program under test, DROSK_STUB the stand-in preprocessor and compiler. A case's
directory is removed when the case passes and kept, with its path printed, when it fails.
"""
import os
import shlex
import shutil
import subprocess
import tempfile
import unittest

DROSK = os.environ.get("DROSK", "")
STUB = os.environ.get("DROSK_STUB", "")


class Run:
    def __init__(self, completed):
        self.status = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr


class DroskCase(unittest.TestCase):
    def setUp(self):
        if not DROSK or not STUB:
            self.fail("DROSK and DROSK_STUB must name the built programs")
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
    def stub(self, *options):
        """The command text that runs the stub with its own options."""
        return " ".join(shlex.quote(word) for word in (STUB,) + options)

    def ini(self, preprocess=None, javac=None, source="src", build="pp", extra=""):
        """Writes drosk.ini; by default both commands are recording stubs that succeed."""
        if preprocess is None:
            preprocess = self.stub("--record", "pre", "--out", "preprocessed")
        if javac is None:
            javac = self.stub("--record", "javac", "--")
        text = "preprocess=%s\njavac=%s\nsource=%s\nbuild=%s\n%s" % (
            preprocess, javac, source, build, extra)
        self.write("drosk.ini", text)

    def drosk(self, *args, stdin=subprocess.DEVNULL, merge=False, **popen):
        completed = subprocess.run(
            [DROSK] + list(args), cwd=self.dir, stdin=stdin, stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT if merge else subprocess.PIPE, timeout=60, **popen)
        return Run(completed)

    def assertFailed(self, run, message):
        self.assertEqual((run.status, run.stderr), (1, message))
