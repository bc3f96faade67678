#!/bin/sh
# Resolves the #ifdef/#else/#endif blocks of every .java file under SRC and
# writes the result to the same relative path under OUT. Removed lines become
# blank lines (unifdef -b), so every kept line keeps its line number and the
# compiler's messages on OUT name the same line as in SRC.
#
# usage: sh preprocess.sh [SRC [OUT]]      (defaults: ifdef-src build/ifdef-out)
# The symbols default to "-DFEATURE_X -UDEBUG"; set PP_SYMBOLS to change them,
# e.g. PP_SYMBOLS="-DFEATURE_X -DDEBUG".
# Exit status: 0 when every file was processed, 2 otherwise.

src=${1:-ifdef-src}
out=${2:-build/ifdef-out}
symbols=${PP_SYMBOLS--DFEATURE_X -UDEBUG}

if [ ! -d "$src" ]; then
    echo "preprocess.sh: $src: not a directory" >&2
    exit 2
fi

# -x2: unifdef exits 0 whether or not it changed the file, 2 on an error.
# -t: no C string or comment parsing, which would fail on Java text blocks
#     ("unterminated string literal"); a directive is any line whose first
#     non-blank character is "#".
find "$src" -type f -name '*.java' | {
    status=0
    while IFS= read -r file; do
        rel=${file#"$src"/}
        dest=$out/$rel
        if ! mkdir -p "$(dirname "$dest")"; then
            status=2
            continue
        fi
        # shellcheck disable=SC2086 # $symbols is a list of options
        if ! unifdef -x2 -t -b $symbols -o "$dest" "$file"; then
            echo "preprocess.sh: $file: unifdef failed" >&2
            status=2
        fi
    done
    exit $status
}
