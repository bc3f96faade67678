#!/usr/bin/env bash
# drosk linked statically with musl by Zig's C++ cross compiler (warnings are errors), through the
# "musl" presets: built, checked to need no shared library, then its unit tests and the whole
# end-to-end suite run against it. Zig comes from the npm registry (scripts/install_zig.sh); its
# first build for musl also builds musl and libc++, which Zig keeps in its cache.
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -f /usr/src/googletest/CMakeLists.txt ] || scripts/install_packages.sh musl googletest
zig=$(scripts/install_zig.sh)

SECONDS=0
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
cmake --preset musl -DDROSK_ZIG="$zig" >/dev/null
cmake --build --preset musl
if readelf --program-headers build-musl/drosk | grep -q INTERP; then
  echo "musl: build-musl/drosk is not linked statically" >&2
  exit 1
fi
ctest --preset musl
echo "musl: stage done in ${SECONDS}s"
