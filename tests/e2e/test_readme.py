"""The README's quick start, run as it is written there with the real JDK and unifdef, and its tool
snippets, which must be what the tested examples hold.

A block of README.md is marked by the HTML comment on the line before its opening fence:
"quick-start: FILE" (a file to write, or "run", the commands to run), "quick-start VARIANT: FILE"
(a variant's file in place of the common one), "from: PATH" (a part of PATH, as the README shows
it) and "checked: the broken example" (the message pair).
"""
import os
import re

from example_case import (BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE, BUILD, DROSK, EXAMPLES, SOURCE,
                          ExampleCase)

README = os.path.join(os.path.dirname(EXAMPLES), "README.md")
BLOCK = re.compile(r"^<!-- (.+?) -->\n```[\w-]*\n(.*?)^```$", re.M | re.S)
# The example files' parameters, and what the README shows in their place.
SHOWN_AS = {"${javac.executable}": "/usr/bin/drosk", "standIn": "'/usr/bin/drosk'",
            "${src.dir}": "ifdef-src", "${classes.dir}": "build/classes"}


def marked_blocks():
    with open(README) as f:
        return BLOCK.findall(f.read())


def quick_start_variants():
    """{variant: {file name: text}}, the common files in each variant unless it has its own."""
    common, variants = {}, {}
    for mark, text in marked_blocks():
        found = re.fullmatch(r"quick-start(?: (\w+))?: (.+)", mark)
        if found:
            variant, name = found.groups()
            (variants.setdefault(variant, {}) if variant else common)[name] = text
    return {"": common, **{v: {**common, **files} for v, files in variants.items()}}


def stripped_lines(text):
    return [line.strip() for line in text.splitlines() if line.strip()]


def missing_lines(shown, example):
    """The lines of SHOWN that do not stand in EXAMPLE in the same order (lines between may be left
    out, and an opening tag's attributes)."""
    lines = iter(stripped_lines(example))
    missing = []
    for line in stripped_lines(shown):
        for candidate in lines:
            if candidate == line or line.endswith(">") and candidate.startswith(line[:-1] + " "):
                break
        else:
            missing.append(line)
            lines = iter([])
    return missing


class Readme(ExampleCase):
    def test_quick_start_runs_as_written(self):
        variants = quick_start_variants()
        self.assertEqual(sorted(variants), ["", "java"])
        for variant, files in variants.items():
            with self.subTest(variant=variant):
                self.assertIn("run", files)
                root = self.path("quick-start-" + (variant or "sh"))
                for name, text in files.items():
                    if name != "run":
                        os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
                        with open(os.path.join(root, name), "w") as f:
                            f.write(text)
                # What the commands print is in their comments.
                commands = files["run"]
                printed = "".join(c + "\n" for c in re.findall(r"# (.*)$", commands, re.M))
                env = dict(os.environ, PATH=os.path.dirname(DROSK) + os.pathsep
                           + os.environ["PATH"])
                run = self.execute(["sh", "-ec", commands], root, env=env)
                self.assertEqual((run.status, run.stderr), (0, b""))
                self.assertEqual(run.stdout.decode(), printed)
                self.assertTrue(os.path.isdir(os.path.join(root, BUILD)), "nothing preprocessed")

    def test_the_message_pair_is_what_the_broken_example_gives(self):
        # test_real_javac checks expected-errors.txt against drosk's real output.
        pair = [text for mark, text in marked_blocks() if mark == "checked: the broken example"]
        self.assertEqual(len(pair), 1)
        relayed = "%s:%d: %s" % (BROKEN_FILE, BROKEN_LINE, BROKEN_MESSAGE)
        with open(os.path.join(EXAMPLES, "broken", "expected-errors.txt")) as f:
            self.assertEqual(f.read(), relayed + "\n")
        given = relayed.replace(SOURCE, BUILD, 1)
        self.assertEqual([line.split(":", 1)[1].strip() for line in pair[0].splitlines()],
                         [given, relayed])

    def test_tool_snippets_are_parts_of_the_examples(self):
        snippets = [(mark[len("from: "):], text) for mark, text in marked_blocks()
                    if mark.startswith("from: ")]
        self.assertGreaterEqual(len(snippets), 5)
        for path, text in snippets:
            with self.subTest(path=path):
                with open(os.path.join(os.path.dirname(EXAMPLES), path)) as f:
                    example = f.read()
                for parameter, shown in SHOWN_AS.items():
                    example = example.replace(parameter, shown)
                self.assertEqual(missing_lines(text, example), [])
