#!/usr/bin/env python3
"""Writes a benchmark input of about SIZE bytes: the same bytes for the same arguments.

usage: make_input.py stderr|argfile SIZE OUT [BUILD [SOURCE]]

stderr   compiler-like message lines, each naming one to three paths under BUILD (build/pp), with
         the caret and symbol lines that follow a compiler error;
argfile  an argument file of source paths under SOURCE (src), one a line, with some options.

A few thousand distinct lines are made and then repeated until SIZE is reached, so the text is
varied enough for the searchers and cheap to make.
"""
import random
import sys

WORDS = ["app", "util", "model", "service", "io", "net", "text", "core", "impl", "internal",
         "config", "cache", "codec", "event", "graph", "parse", "render", "store", "task", "view"]
MESSAGES = ["cannot find symbol", "incompatible types: String cannot be converted to int",
            "';' expected", "unreachable statement", "missing return statement",
            "variable count might not have been initialized", "class Foo is public, should be "
            "declared in a file named Foo.java", "unchecked call to add(E) as a member of the raw "
            "type java.util.List", "deprecated API used", "non-varargs call of varargs method"]


def java_path(rng, root):
    depth = rng.randint(2, 5)
    parts = [root, "com", "example"] + [rng.choice(WORDS) for _ in range(depth)]
    return "/".join(parts) + "/" + rng.choice(WORDS).capitalize() + str(rng.randint(1, 999)) + \
        ".java"


def stderr_lines(rng, build):
    for _ in range(4000):
        kind = rng.choice(["error", "error", "warning", "note"])
        first = java_path(rng, build)
        line = "%s:%d: %s: %s" % (first, rng.randint(1, 4000), kind, rng.choice(MESSAGES))
        paths = rng.randint(1, 3)
        if paths >= 2:
            line += " (see %s)" % java_path(rng, build)
        yield line
        yield "        " + " " * rng.randint(0, 30) + "total += parse(value, offset);"
        yield "        " + " " * rng.randint(0, 30) + "^"
        if paths == 3:
            yield "  location: class %s in %s" % (rng.choice(WORDS).capitalize(),
                                                  java_path(rng, build))


def argfile_lines(rng, source):
    yield "-d"
    yield "classes"
    yield "-sourcepath"
    yield source
    for _ in range(6000):
        yield java_path(rng, source)


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("stderr", "argfile"):
        sys.exit(__doc__)
    kind, size, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    build = sys.argv[4] if len(sys.argv) > 4 else "build/pp"
    source = sys.argv[5] if len(sys.argv) > 5 else "src"
    rng = random.Random(6)
    lines = stderr_lines(rng, build) if kind == "stderr" else argfile_lines(rng, source)
    chunk = ("\n".join(lines) + "\n").encode()
    with open(out, "wb") as f:
        written = 0
        while written + len(chunk) <= size:
            f.write(chunk)
            written += len(chunk)
        rest = chunk[:size - written]
        f.write(rest[:rest.rfind(b"\n") + 1])


if __name__ == "__main__":
    main()
