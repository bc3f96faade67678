#!/usr/bin/env bash
# Builds drosk and runs it as the compiler on the bundled example (examples/), from a clean copy:
# the preprocessor fills the build tree, javac compiles it, the program runs; then the broken
# variant shows javac's message naming the source-tree file and line, and drosk's status 1.
# Exits 0 when all of that behaved as expected.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

step() { printf '\n== %s\n' "$*"; }
show() { printf '$ %s\n' "$*"; }
unexpected() {
  printf '\nexample.sh: UNEXPECTED: %s\n' "$*" >&2
  printf 'example.sh: the copy is kept in %s\n' "$work" >&2
  exit 1
}

step "Installing what is missing, then building drosk with the default preset"
scripts/setup.sh
show cmake --preset default
cmake --preset default >/dev/null
show cmake --build --preset default
cmake --build --preset default
drosk=$repo/build/drosk

work=$(mktemp -d "${TMPDIR:-/tmp}/drosk-example.XXXXXX")
cp -R examples/. "$work"
rm -rf "$work/build" "$work/broken/build" "$work"/{,*/}__drosk__.log "$work"/{,*/}__stderr__.log
cd "$work"

step "A clean copy of examples/ in $work"
echo "Its sources have #ifdef blocks, so javac cannot compile ifdef-src/ as it is. drosk.ini:"
grep -v '^#' drosk.ini | sed 's/^/    /'

step "Compiling with drosk in place of javac"
sources=$(find ifdef-src -name '*.java' | sort)
# shellcheck disable=SC2086 # one word per file name; the names hold no blanks
set -- $sources
show drosk -d build/classes "$@"
status=0
"$drosk" -d build/classes "$@" || status=$?
echo "(drosk's exit status: $status)"
[ "$status" -eq 0 ] || unexpected "drosk failed on the example"

echo
echo "preprocess.sh (unifdef -b) filled the build tree, every line in its place:"
for file in "$@"; do
  copy=build/ifdef-out/${file#ifdef-src/}
  [ -f "$copy" ] || unexpected "$copy is missing"
  [ "$(wc -l <"$file")" -eq "$(wc -l <"$copy")" ] || unexpected "$copy has another line count"
  echo "    $copy"
done
echo "javac compiled the build tree:"
for file in "$@"; do
  class=build/classes/${file#ifdef-src/}
  class=${class%.java}.class
  [ -f "$class" ] || unexpected "$class is missing"
  echo "    $class"
done

step "Running the program"
show java -cp build/classes com.example.app.Main
output=$(java -cp build/classes com.example.app.Main)
printf '%s\n' "$output"
expected='features: FEATURE_X=on DEBUG=off
Hello, Drosk User!
built with FEATURE_X, without DEBUG'
[ "$output" = "$expected" ] || unexpected "the program printed something else than: $expected"

step "The broken variant: a type error on line 18 of broken/ifdef-src/com/example/app/Main.java"
cd broken
echo "In broken/, whose drosk.ini runs ../preprocess.sh, with the same source= and build=:"
set -- ifdef-src/com/example/app/Main.java ifdef-src/com/example/util/Counter.java
show drosk -d build/classes "$@"
status=0
"$drosk" -d build/classes "$@" 2>messages.txt || status=$?
tr -d '\r' <messages.txt
echo "(drosk's exit status: $status)"
[ "$status" -eq 1 ] || unexpected "drosk's exit status was $status, not 1"
first=$(head -n 1 messages.txt | tr -d '\r')
[ "$first" = "$(cat expected-errors.txt)" ] || unexpected "the first message is not: $(cat expected-errors.txt)"
! grep -q 'build/ifdef-out' messages.txt || unexpected "a build-tree path was left in the messages"
echo
echo "javac saw build/ifdef-out/com/example/app/Main.java; drosk mapped it back:"
echo "    javac wrote:  $(head -n 1 __stderr__.log)"
echo "    you see:      $first"
echo "    line 18 of $1: $(sed -n 18p "$1" | sed 's/^ *//')"

cd "$repo"
rm -rf "$work"
step "All as expected: drosk compiled the preprocessed tree and pointed the error at the source tree"
