#!/usr/bin/env bash
# The Debian package, as a release makes it: the program alone, built in a directory of its own
# with warnings as errors and a maintainer set for the test, packed with cpack -G DEB, then checked
# with lintian, which must show no error and no warning (notes may stay). Installs lintian when it
# is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
command -v lintian >/dev/null 2>&1 || scripts/install_packages.sh package lintian

dir=build-package
cmake --preset ci -B "$dir" -DDROSK_TESTS=OFF \
  -DDROSK_PACKAGE_MAINTAINER="drosk CI <ci@example.org>" >/dev/null
cmake --build "$dir" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
rm -f "$dir"/drosk-*.deb
(cd "$dir" && cpack -G DEB)
lintian --fail-on error,warning "$dir"/drosk-*.deb
echo "package: lintian shows no error and no warning for $(basename "$dir"/drosk-*.deb)"
