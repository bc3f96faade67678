#!/usr/bin/env python3
"""Writes a benchmark input: the same bytes for the same arguments.

usage: make_input.py stderr|argfile|names|messages SIZE OUT [BUILD [SOURCE]]

stderr    compiler-like message lines, each naming one to three paths under BUILD (build/pp), with
          the caret and symbol lines that follow a compiler error, about SIZE bytes;
argfile   an argument file of source paths under SOURCE (src), one a line, with some options,
          about SIZE bytes;
names     an argument file of SIZE source paths under SOURCE/main/java (as Maven lays a project
          out), one a line, nothing else;
messages  SIZE error messages as javac writes them, each a line naming a path under BUILD, the
          quoted source line and a caret line, then the count of errors.

For stderr and argfile a few thousand distinct lines are made and then repeated until SIZE is
reached, so the text is varied enough for the searchers and cheap to make.
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


def javac_messages(rng, count, build):
    for _ in range(count):
        indent = " " * rng.choice([4, 8, 8, 12, 16])
        code = rng.choice(["total += parse(value, offset);", "return count;",
                           "List<String> names = new ArrayList<>();", "}", "int x = \"text\";"])
        yield "%s:%d: error: %s" % (java_path(rng, build), rng.randint(1, 4000),
                                    rng.choice(MESSAGES))
        yield indent + code
        yield indent + " " * rng.randint(0, len(code) - 1) + "^"
    yield "%d errors" % count


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("stderr", "argfile", "names", "messages"):
        sys.exit(__doc__)
    kind, size, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    build = sys.argv[4] if len(sys.argv) > 4 else "build/pp"
    source = sys.argv[5] if len(sys.argv) > 5 else "src"
    rng = random.Random(6)
    if kind in ("names", "messages"):
        lines = (java_path(rng, source + "/main/java") for _ in range(size)) if kind == "names" else \
            javac_messages(rng, size, build)
        with open(out, "wb") as f:
            f.write(("\n".join(lines) + "\n").encode())
        return
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
