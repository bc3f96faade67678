#!/usr/bin/env bash
# drosk.exe: cross-built with MinGW-w64 (warnings are errors), then its unit tests and the
# end-to-end cases (the shared ones and the Windows ones) run under Wine, through the "windows"
# workflow preset. Installs the compilers and Wine when they are missing. Wine gets one fresh prefix
# for this run, made once here and removed at the end, and one wineserver kept running for all the
# tests (the test run starts and stops it).
set -euo pipefail
cd "$(dirname "$0")/../.."
loader=/usr/lib/wine/wine64  # Debian's wine64 keeps its loader off PATH

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64)
[ -x "$loader" ] || missing+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
scripts/install_packages.sh windows ${missing[@]+"${missing[@]}"}

export WINEDEBUG=-all
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/drosk-wine.XXXXXX")
export WINEPREFIX
cleanup() {
  sh tests/support/wine_server.sh stop "$loader"
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

SECONDS=0
sh tests/support/wine_server.sh create "$loader"
echo "windows: Wine prefix made in ${SECONDS}s"
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
cmake --workflow --preset windows
echo "windows: stage done in ${SECONDS}s"
