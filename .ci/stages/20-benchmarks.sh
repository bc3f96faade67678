#!/usr/bin/env bash
# Builds the benchmarks through the "bench" preset (warnings are errors), so that they never rot,
# and runs each of them once on small inputs: bench/run.sh --quick, a few seconds in all. Timings
# are printed, never judged; docs/performance.md says how to take real figures.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh --tests  # Google Benchmark, javac, unifdef, python3; run.sh adds hyperfine, time
cmake --preset bench --log-level=WARNING
cmake --build --preset bench
bench/run.sh --quick --build build-bench
