#!/usr/bin/env bash
# drosk for 64-bit Arm Linux: cross-built with Debian's aarch64 compilers (warnings are errors),
# then its unit tests and the end-to-end cases run through qemu-aarch64, through the "aarch64"
# workflow preset; the cases that qemu-user cannot show are skipped and say why. The runs through
# the real JDK and the build tools are left out: under qemu-user they take minutes, and the i686
# stage runs the JDK's cases through an emulator already. Installs the compilers and qemu-user
# when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v aarch64-linux-gnu-g++ >/dev/null 2>&1 || missing+=(g++-aarch64-linux-gnu)
command -v qemu-aarch64 >/dev/null 2>&1 || missing+=(qemu-user)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
scripts/install_packages.sh aarch64 ${missing[@]+"${missing[@]}"}

SECONDS=0
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
cmake --workflow --preset aarch64
echo "aarch64: stage done in ${SECONDS}s"
