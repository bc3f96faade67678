#!/usr/bin/env bash
# drosk for 32-bit x86 Linux: cross-built with Debian's i686 compilers (warnings are errors), then
# its unit tests and the end-to-end cases run through qemu-i386 (a kernel without IA-32 emulation
# runs no 32-bit program itself), through the "i686" workflow preset. Among the cases is a capture
# past 2 GiB, on a sparse file, which a build without 64-bit file offsets cannot open. The build
# tools' runs are left out, since they take minutes under qemu-user. Installs the compilers and
# qemu-user when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v i686-linux-gnu-g++ >/dev/null 2>&1 || missing+=(g++-i686-linux-gnu)
command -v qemu-i386 >/dev/null 2>&1 || missing+=(qemu-user)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
scripts/install_packages.sh i686 ${missing[@]+"${missing[@]}"}

SECONDS=0
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
cmake --workflow --preset i686
echo "i686: stage done in ${SECONDS}s"
