#!/usr/bin/env bash
# Builds the benchmarks (warnings are errors), so that they never rot, and runs each of them once
# on small inputs: bench/run.sh --quick, a few seconds in all. Timings are printed, never judged;
# docs/performance.md says how to take real figures.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh --tests  # Google Benchmark, javac, unifdef, python3; run.sh adds hyperfine, time
build=build-bench
cmake -S . -B "$build" --log-level=WARNING -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROSK_WERROR=ON \
  -DDROSK_TESTS=OFF -DDROSK_BENCHMARKS=ON
bench/run.sh --quick --build "$build"
