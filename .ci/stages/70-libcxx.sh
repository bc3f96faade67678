#!/usr/bin/env bash
# drosk and its unit tests built with clang 14 and libc++ (Debian 12's), warnings are errors, then
# the unit tests run, through the "libcxx" workflow preset. GoogleTest is built from its sources
# with libc++, since Debian's libgtest is built for libstdc++. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v clang++-14 >/dev/null 2>&1 || missing+=(clang-14)
[ -f /usr/lib/llvm-14/include/c++/v1/version ] || missing+=(libc++-dev libc++abi-dev)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
scripts/install_packages.sh libcxx ${missing[@]+"${missing[@]}"}

SECONDS=0
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
cmake --workflow --preset libcxx
echo "libcxx: stage done in ${SECONDS}s"
