#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and the sanitizers, runs each for a bounded time
# (DROSK_FUZZ_SECONDS, 30 by default) on a copy of its seed corpus, and reports how many inputs each
# ran. A finding (a crash, a sanitizer report, a broken check, a leak, a hang) fails the stage; the
# input that caused it is kept in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${DROSK_FUZZ_SECONDS:-30}
build=build-fuzz
targets=(split_command_line parse_settings replace_all rewrite_arg_lines join_for_shell
         map_message_lines)

have_libfuzzer() {
  command -v clang++-14 >/dev/null 2>&1 || return 1
  compgen -G "$(clang++-14 --print-runtime-dir)/libclang_rt.fuzzer-*.a" >/dev/null
}
have_libfuzzer || scripts/install_packages.sh fuzz clang-14 libclang-rt-14-dev

cmake -S . -B "$build" --log-level=WARNING -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROSK_FUZZ=ON -DDROSK_SANITIZE=ON -DDROSK_TESTS=OFF
if ! cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1; then
  cat "$build/build.log"
  exit 1
fi

rm -rf "$build/fuzz-run" "$build/findings"
mkdir -p "$build/fuzz-run" "$build/findings"
passed=0
failed=0
report=()
for target in "${targets[@]}"; do
  corpus=$build/fuzz-run/$target
  cp -r "fuzz/corpus/$target" "$corpus"
  log=$build/fuzz-run/$target.log
  # drosk.ini is read in pieces of 16383 characters: its inputs must be able to get past one.
  max_len=4096
  [ "$target" = parse_settings ] && max_len=20000
  if "$build/fuzz/fuzz_$target" "$corpus" -max_total_time="$seconds" -max_len="$max_len" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
    result="no findings"
    passed=$((passed + 1))
  else
    result="FINDING: $(ls "$build/findings" | grep "^$target-" | tr '\n' ' ')"
    failed=$((failed + 1))
    echo "== fuzz_$target failed; the end of its log:"
    tail -n 40 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  report+=("$(printf '%-20s %12s executions in %ss, corpus %s inputs: %s' "$target" \
    "${runs:-?}" "$seconds" "$(ls "$corpus" | wc -l)" "$result")")
done

echo "== fuzz results"
printf '%s\n' "${report[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
