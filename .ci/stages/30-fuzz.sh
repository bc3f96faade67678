#!/usr/bin/env bash
# The libFuzzer targets of fuzz/, built with clang and the sanitizers and run as CTest tests for a
# bounded time each (DROSK_FUZZ_SECONDS, 30 by default), through the "fuzz" workflow preset. A
# finding fails the stage; the input that caused it is kept in build-fuzz/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."

have_libfuzzer() {
  command -v clang++-14 >/dev/null 2>&1 || return 1
  compgen -G "$(clang++-14 --print-runtime-dir)/libclang_rt.fuzzer-*.a" >/dev/null
}
have_libfuzzer || scripts/install_packages.sh fuzz clang-14 libclang-rt-14-dev

rm -rf build-fuzz/fuzz/fuzz-run build-fuzz/fuzz/findings
if [ -n "${DROSK_FUZZ_SECONDS:-}" ]; then
  cmake --preset fuzz -DDROSK_FUZZ_SECONDS="$DROSK_FUZZ_SECONDS" >/dev/null
fi
CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)} cmake --workflow --preset fuzz
