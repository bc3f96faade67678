"""drosk in front of the real javac, on the bundled example preprocessed by unifdef."""
import os
import unittest

from example_case import (BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE, BROKEN_SOURCES, BUILD, DROSK,
                          PROGRAM_OUTPUT, SOURCE, SOURCES, ExampleCase)

# Compiles only with a raw type that -Xlint:rawtypes warns about, on line 12, inside a kept block.
LEGACY = """package com.example.util;

import java.util.ArrayList;
import java.util.List;

/** Uses a raw type on purpose. */
public final class Legacy {
    private Legacy() {
    }

#ifdef FEATURE_X
    public static List names() {
        return new ArrayList<String>();
    }
#endif
}
"""


def class_file(classes, source):
    return os.path.join(classes, source[:-len(".java")] + ".class")


class RealJavac(ExampleCase):
    def assertBuilt(self, root, classes="classes", sources=SOURCES):
        classes = os.path.join(root, classes)
        for source in sources:
            self.assertTrue(os.path.isfile(class_file(classes, source)), source)
            # What javac was handed: the preprocessed copy, line for line as long as the source.
            with open(os.path.join(root, SOURCE, source)) as s, \
                    open(os.path.join(root, BUILD, source)) as p:
                self.assertEqual(len(s.readlines()), len(p.readlines()), source)
        self.assertEqual(self.program_output(classes), PROGRAM_OUTPUT)

    def test_successful_compile_builds_from_the_preprocessed_tree(self):
        root = self.copy_example()
        files = [SOURCE + "/" + s for s in SOURCES]
        run = self.drosk_in(root, "-d", "classes", *files)
        self.assertEqual((run.status, run.stderr), (0, b""))
        self.assertBuilt(root)
        self.assertEqual(self.read("src/example/__drosk__.log").decode(),
                         "javac -d classes %s 2>__stderr__.log||EXIT 1"
                         % " ".join(BUILD + "/" + s for s in SOURCES))
        # Each run fills the build tree anew: other symbols, another program.
        env = dict(os.environ, PP_SYMBOLS="-UFEATURE_X -DDEBUG")
        self.assertEqual(self.drosk_in(root, "-d", "classes", *files, env=env).status, 0)
        run = self.execute(["java", "-cp", "classes", "com.example.app.Main"], root)
        self.assertEqual(run.stdout, b"features: FEATURE_X=off DEBUG=on\nHello, drosk user!\n")
        self.assertEqual(run.stderr, b"debug: 2 word(s) in the name\n")

    def test_failed_compile_names_the_edited_file_and_line(self):
        broken = os.path.join(self.copy_example(), "broken")
        run = self.drosk_in(broken, "-d", "classes", *[SOURCE + "/" + s for s in BROKEN_SOURCES])
        self.assertEqual(run.status, 1)
        with open(os.path.join(broken, "expected-errors.txt")) as f:
            expected = f.read()
        self.assertEqual(expected, "%s:%d: %s\n" % (BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE))
        self.assertTrue(run.stderr.startswith(expected.replace("\n", "\r\n").encode()), run.stderr)
        self.assertTrue(run.stderr.endswith(b"1 error\r\n"), run.stderr)
        self.assertNamesSourceTree(run.stderr.decode(), broken)
        self.assertMatcherReads(run.stderr, broken, BROKEN_FILE, BROKEN_LINE,
                                BROKEN_MESSAGE[len("error: "):])
        # javac itself saw the build tree, and never the #else branch that unifdef blanked.
        captured = self.read("src/example/broken/__stderr__.log").decode()
        self.assertTrue(captured.startswith(BUILD + "/com/example/app/Main.java:18: error:"))
        self.assertNotIn("boolean total", captured)

    def test_vim_compiler_file_reads_file_line_column_and_a_message_without_cr(self):
        # examples/vim/compiler/drosk.vim through Vim's own :make, on drosk's CR LF lines, the file
        # being edited compiled alone, as the README says: javac finds the class it imports from
        # another package through -sourcepath, in the processed tree.
        root = self.copy_example()
        broken = os.path.join(root, "broken")
        self.assertEqual(self.quickfix(root, broken), "%s|%d|21|E|%s\n" % (
            BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE[len("error: "):]))
        # drosk's own complaint about a line of drosk.ini, which ends without a line end.
        with open(os.path.join(broken, "drosk.ini"), "a") as f:
            f.write("[section]\n")
        self.assertEqual(self.quickfix(root, broken), "drosk.ini|6|0|E|\n")

    def quickfix(self, root, cwd):
        """The quickfix entries of :make on the broken Main.java as file|line|column|type|text."""
        entries = os.path.join(self.dir, "entries.txt")
        make = "silent make -d classes -sourcepath %s %%" % SOURCE
        write = ("call writefile(map(getqflist(), 'printf(\"%%s|%%d|%%d|%%s|%%s\", bufname(v:val.bufnr),"
                 " v:val.lnum, v:val.col, v:val.type, v:val.text)'), '%s')" % entries)
        env = dict(os.environ, PATH=os.path.dirname(DROSK) + os.pathsep + os.environ["PATH"])
        run = self.execute(["vim", "-es", "-N", "-u", "NONE", "-i", "NONE",
                            "-c", "set rtp^=" + os.path.join(root, "vim"), "-c", "compiler drosk",
                            "-c", make, "-c", write, "-c", "qa!", BROKEN_FILE], cwd, env=env)
        self.assertEqual(run.status, 0, run.stderr)
        with open(entries, "rb") as f:
            return f.read().decode()

    def test_argument_file_rewritten_with_crlf_is_read_by_javac(self):
        # As Ant writes it (bare, LF) and as Maven writes it (every argument quoted, LF), named by
        # the first argument or after others.
        files = [SOURCE + "/" + s for s in SOURCES]
        forms = [
            (["@args.txt"], "".join("%s\n" % a for a in ["-d", "classes"] + files)),
            (["-g", "@args.txt"], "".join('"%s"\n' % a for a in
                                          ["-d", "classes", "-sourcepath", SOURCE] + files)),
        ]
        for number, (args, content) in enumerate(forms):
            with self.subTest(args=args, quoted=content.startswith('"')):
                root = self.copy_example("example%d" % number)
                with open(os.path.join(root, "args.txt"), "w") as f:
                    f.write(content)
                run = self.drosk_in(root, *args)
                self.assertEqual((run.status, run.stderr), (0, b""))
                with open(os.path.join(root, "args.txt"), "rb") as f:
                    rewritten = f.read()
                self.assertEqual(rewritten,
                                 content.replace(SOURCE, BUILD).replace("\n", "\r\n").encode())
                self.assertBuilt(root)

    def test_lint_warnings_are_relayed_and_the_status_stays_0(self):
        root = self.copy_example()
        legacy = "com/example/util/Legacy.java"
        with open(os.path.join(root, SOURCE, legacy), "w") as f:
            f.write(LEGACY)
        sources = SOURCES + [legacy]
        run = self.drosk_in(root, "-Xlint:all", "-d", "classes",
                            *[SOURCE + "/" + s for s in sources])
        self.assertEqual(run.status, 0, run.stderr)
        self.assertTrue(run.stderr.startswith(b"ifdef-src/com/example/util/Legacy.java:12: warning:"
                                              b" [rawtypes] found raw type: List\r\n"), run.stderr)
        self.assertTrue(run.stderr.endswith(b"1 warning\r\n"), run.stderr)
        self.assertNamesSourceTree(run.stderr.decode(), root)
        self.assertBuilt(root, sources=sources)

    def test_absolute_source_and_build_directories(self):
        # As build tools pass them: absolute names everywhere, and the compiler started in another
        # directory than the sources'.
        root = self.copy_example()
        for variant, sources in ((root, SOURCES), (os.path.join(root, "broken"), BROKEN_SOURCES)):
            with self.subTest(variant=os.path.basename(variant)):
                tool = os.path.join(variant, "tool")
                os.mkdir(tool)
                src, pp = os.path.join(variant, SOURCE), os.path.join(variant, BUILD)
                with open(os.path.join(tool, "drosk.ini"), "w") as f:
                    f.write("preprocess=sh %s %s %s\nsource=%s\nbuild=%s\n"
                            % (os.path.join(root, "preprocess.sh"), src, pp, src, pp))
                classes = os.path.join(variant, "classes")
                run = self.drosk_in(tool, "-d", classes, "-sourcepath", src,
                                    *[os.path.join(src, s) for s in sources])
                if variant == root:
                    self.assertEqual((run.status, run.stderr), (0, b""))
                    self.assertBuilt(root)
                    continue
                self.assertEqual(run.status, 1)
                self.assertTrue(run.stderr.startswith(("%s/%s:%d: %s\r\n" % (
                    variant, BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE)).encode()), run.stderr)
                self.assertNamesSourceTree(run.stderr.decode(), variant)
                self.assertNotIn(pp.encode(), run.stderr)


if __name__ == "__main__":
    unittest.main()
