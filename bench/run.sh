#!/usr/bin/env bash
# Runs drosk's seven benchmarks side by side with what they are measured against, and prints one
# table: medians of many runs, their spread, the ratio to the floor, peak resident memory.
#
# usage: bench/run.sh [--quick] [--build DIR] [--dir DIR]
#   --quick      small inputs and few runs: checks that every benchmark still runs (CI), judges
#                nothing
#   --build DIR  the build directory to (re)build drosk and its benchmarks in
#                (default: build-bench in the repository)
#   --dir DIR    where the temporary directory with the generated inputs goes (default: /dev/shm
#                when it is a tmpfs with room, so that the disk does not time itself, else TMPDIR)
#
# Needs cmake, g++, Google Benchmark (libbenchmark-dev), python3, javac, unifdef, hyperfine and
# GNU time; as root, the last two are installed when missing.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
quick=false
build=$repo/build-bench
base=
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=true ;;
    --build) build=$2; shift ;;
    --dir) base=$2; shift ;;
    *) sed -n '2,15p' "$0" >&2; exit 2 ;;
  esac
  shift
done

# Input sizes and runs. Runs are made in rounds, each of which runs every command of a benchmark
# in turn, so that a change in the machine's load falls on all of them alike; the runs per round
# are given here.
if $quick; then
  big=$((2 * 1000 * 1000)); rounds=1; overhead_runs=10; javac_runs=3; big_runs=3; warmup=1
  gbench=(--benchmark_min_time=0.01)
else
  big=$((200 * 1000 * 1000)); rounds=5; overhead_runs=60; javac_runs=4; big_runs=3; warmup=2
  gbench=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
fi

need_package() {  # command, Debian package
  command -v "$1" >/dev/null 2>&1 && return
  "$repo/scripts/install_packages.sh" bench "$2"
}
need_package hyperfine hyperfine
[ -x /usr/bin/time ] || need_package /usr/bin/time time

mkdir -p "$build"
build=$(cd "$build" && pwd)
echo "== building in $build"
# The bench preset's settings, in the build directory given.
(cd "$repo" && cmake --preset bench -B "$build" >/dev/null)
cmake --build "$build" --target drosk drosk_benchmarks drosk_minimal_run -j2 >/dev/null
drosk=$build/drosk
minimal_run=$build/bench/drosk_minimal_run

if [ -z "$base" ]; then
  base=${TMPDIR:-/tmp}
  if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] && [ -w /dev/shm ] &&
    [ "$(df -Pk /dev/shm | awk 'NR==2 { print $4 }')" -gt $((4 * big / 1024 + 65536)) ]; then
    base=/dev/shm
  fi
fi
tmp=$(mktemp -d "$base/drosk-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
results=$tmp/results
mkdir -p "$results"
: >"$results/groups.tsv"

group() {  # name, title, baseline command name, target ratio, kind
  printf '%s\t%s\t%s\t%s\t%s\n' "$@" >>"$results/groups.tsv"
}
bench() {  # name, hyperfine options and commands...
  local name=$1
  shift
  for round in $(seq "$rounds"); do
    # Its warnings about outliers would fill the screen: the table shows the spread instead.
    hyperfine -N --style none --export-json "$results/$name.$round.json" "$@" >"$tmp/hyperfine.log" \
      2>&1 || { cat "$tmp/hyperfine.log" >&2; exit 1; }
  done
}
peak_rss() {  # name, command... (run three times, each with its output to /dev/null)
  local name=$1
  shift
  for _ in 1 2 3; do
    /usr/bin/time -o "$tmp/rss" -f '%M' "$@" >/dev/null 2>/dev/null || true
    printf '%s\t%s\n' "$name" "$(tail -n 1 "$tmp/rss")" >>"$results/rss.tsv"
  done
}
ini() {  # directory, preprocess, javac
  printf 'preprocess=%s\njavac=%s\nsource=src\nbuild=build/pp\n' "$2" "$3" >"$1/drosk.ini"
}

cat <<EOF
== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'),\
 $(free -g | awk '/^Mem/ { print $2 }') GB memory; load average $(cut -d' ' -f1-3 /proc/loadavg)
== inputs in $tmp ($(stat -f -c %T "$tmp"))
EOF

# 1. A whole run with trivial commands against the same two command texts run through /bin/sh.
echo "== 1 whole-run overhead"
mkdir "$tmp/overhead"
cd "$tmp/overhead"
ini . true true
exit_fn='EXIT() { exit $1; }; '
bench overhead --warmup 20 --runs "$overhead_runs" \
  -n "drosk -d out" "$drosk -d out" \
  -n "floor: sh running both texts" \
  "sh -c 'sh -c \"\$1\"; sh -c \"\$2\" sh -d out' sh '${exit_fn}true||EXIT 1' '${exit_fn}true \"\$@\" 2>__stderr__.log||EXIT 1'"
peak_rss "drosk -d out" "$drosk" -d out
group overhead "1 whole run, preprocess=true javac=true" "floor: sh running both texts" 1.15 ratio

# 2. A real compile: drosk and javac against javac alone on the preprocessed tree.
echo "== 2 real compile"
java=$tmp/java
mkdir "$java"
example_source=$(sed -n 's/^source=//p' "$repo/examples/drosk.ini" 2>/dev/null || true)
if [ -n "$example_source" ] && [ -d "$repo/examples/$example_source" ]; then
  cp -R "$repo/examples/." "$java/"
  rm -rf "$java/build" "$java"/__*.log
  project="examples/"
else
  # A small project of its own: a few classes that use each other.
  project="generated"
  ini "$java" "mkdir -p build/pp && cp -R src/. build/pp/" javac
  mkdir -p "$java/src/bench/app"
  for i in 1 2 3 4 5 6 7 8; do
    cat >"$java/src/bench/app/Part$i.java" <<JAVA
package bench.app;

public class Part$i {
    public static int value(int x) {
        int total = 0;
        for (int i = 0; i < x; i++) total += i * $i;
        return total;
    }
}
JAVA
  done
  printf 'package bench.app;\n\npublic class Main {\n    public static void main(String[] a) {\n        System.out.println(Part1.value(3) + Part8.value(4));\n    }\n}\n' \
    >"$java/src/bench/app/Main.java"
fi
source_dir=$(sed -n 's/^source=//p' "$java/drosk.ini")
build_dir=$(sed -n 's/^build=//p' "$java/drosk.ini")
cd "$java"
mapfile -t sources < <(cd "$java" && find "$source_dir" -name '*.java' | sort)
"$drosk" -d classes "${sources[@]}" >/dev/null 2>&1  # preprocesses the tree once
cp -R "$java" "$tmp/java-preprocessed"
sed -i 's/^preprocess=.*/preprocess=true/' "$tmp/java-preprocessed/drosk.ini"
built=("${sources[@]/#$source_dir/$build_dir}")
cd "$tmp/java-preprocessed"
bench javac --warmup "$warmup" --runs "$javac_runs" \
  -n "drosk, preprocess=true" "$drosk -d classes ${sources[*]}" \
  -n "javac alone" "javac -d classes ${built[*]}" \
  -n "drosk, project's preprocess" "sh -c 'cd $java && exec $drosk -d classes ${sources[*]}'"
group javac "2 real compile ($project, ${#sources[@]} files)" "javac alone" 1.02 ratio

# 3. Relay of a large capture file to /dev/null against cat and sed.
echo "== 3 relay"
mkdir "$tmp/relay"
cd "$tmp/relay"
# drosk takes an earlier capture out of the way before the compile, so the compile command puts the
# capture in place (a hard link, no copy) and ends before its redirection would empty it.
put_capture='ln -f capture.txt __stderr__.log; exit 0;'
ini . true "$put_capture"
python3 "$repo/bench/make_input.py" stderr "$big" capture.txt
ln -f capture.txt __stderr__.log
size=$(($(stat -c %s capture.txt) / 1000000))
bench relay --warmup "$warmup" --runs "$big_runs" \
  -n "drosk relay" "$drosk -d out" \
  -n "cat" "cat __stderr__.log" \
  -n "sed s/BUILD/SOURCE/g" "sed s#build/pp#src#g __stderr__.log"
peak_rss "drosk relay" "$drosk" -d out
peak_rss "cat" cat __stderr__.log
peak_rss "sed s/BUILD/SOURCE/g" sed 's#build/pp#src#g' __stderr__.log
group relay "3 relay of a $size MB __stderr__.log to /dev/null" cat 5 faster
rm capture.txt __stderr__.log

# 4. Rewrite of a large argument file in place against cat and sed.
echo "== 4 argument-file rewrite"
mkdir "$tmp/argfile"
cd "$tmp/argfile"
ini . true true
python3 "$repo/bench/make_input.py" argfile "$big" master.txt
size=$(($(stat -c %s master.txt) / 1000000))
# Each run starts from a fresh link to the same bytes; drosk and sed -i replace the link.
bench argfile --warmup "$warmup" --runs "$big_runs" --prepare "ln -f master.txt files.txt" \
  -n "drosk @files.txt" "$drosk -d out @files.txt" \
  -n "cat > copy" "sh -c 'exec cat files.txt >copy.txt'" \
  -n "sed -i s/SOURCE/BUILD/g" "sed -i s#src#build/pp#g files.txt"
ln -f master.txt files.txt
peak_rss "drosk @files.txt" "$drosk" -d out @files.txt
ln -f master.txt files.txt
peak_rss "cat > copy" sh -c 'exec cat files.txt >copy.txt'
ln -f master.txt files.txt
peak_rss "sed -i s/SOURCE/BUILD/g" sed -i 's#src#build/pp#g' files.txt
group argfile "4 argument-file rewrite of $size MB" "cat > copy" 3 faster
rm -f master.txt files.txt copy.txt files.tx_

# 5. A small argument file, rewritten in a whole run, against a program that runs the same two
# shells and copies the file to a new one that it renames over it (and the empty capture to
# standard error), with no mapping.
echo "== 5 small argument file"
mkdir "$tmp/names"
cd "$tmp/names"
ini . true true
python3 "$repo/bench/make_input.py" names 10000 master.txt
size=$(($(stat -c %s master.txt) / 1000))
bench names --warmup 20 --runs "$overhead_runs" --prepare "ln -f master.txt files.txt" \
  -n "drosk @files.txt (10,000 names)" "$drosk -d out @files.txt" \
  -n "minimal run, plain copy" \
  "$minimal_run '${exit_fn}true||EXIT 1' '${exit_fn}true -d out @files.txt 2>__stderr__.log||EXIT 1' files.txt"
ln -f master.txt files.txt
peak_rss "drosk @files.txt (10,000 names)" "$drosk" -d out @files.txt
group names "5 whole run with an argument file of 10,000 names ($size KB)" \
  "minimal run, plain copy" 1.3 ratio

# 6. A capture of javac's messages, relayed in a whole run, against the same program copying it
# to standard error.
echo "== 6 small capture"
mkdir "$tmp/messages"
cd "$tmp/messages"
ini . true "$put_capture"  # as in 3
python3 "$repo/bench/make_input.py" messages 1000 capture.txt
size=$(($(stat -c %s capture.txt) / 1000))
bench messages --warmup 20 --runs "$overhead_runs" \
  -n "drosk relay (1,000 messages)" "$drosk -d out" \
  -n "minimal run, plain copy" \
  "$minimal_run '${exit_fn}true||EXIT 1' '${exit_fn}$put_capture -d out 2>__stderr__.log||EXIT 1'"
peak_rss "drosk relay (1,000 messages)" "$drosk" -d out
group messages "6 whole run relaying 1,000 messages ($size KB)" "minimal run, plain copy" 1.3 ratio

# 7. replace_all alone.
echo "== 7 replace_all"
"$build/bench/drosk_benchmarks" "${gbench[@]}" --benchmark_out="$results/replace_all.json" \
  --benchmark_out_format=json >"$tmp/gbench.log" 2>&1 || { cat "$tmp/gbench.log"; exit 1; }

echo
echo "== load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
if $quick; then
  python3 "$repo/bench/table.py" "$results" --quick
else
  python3 "$repo/bench/table.py" "$results"
fi
