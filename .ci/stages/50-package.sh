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

# The .deb carries the documents that cmake --install puts beside the program, Debian's copyright
# file and changelog in place of LICENSE.
docs=usr/share/doc/drosk
installed=$(mktemp -d)
trap 'rm -rf "$installed"' EXIT
cmake --install "$dir" --prefix "$installed/usr" >/dev/null
expected=$( (cd "$installed" && find "$docs" -type f ! -name LICENSE; \
             echo "$docs/copyright"; echo "$docs/changelog.gz") | sort)
packed=$(dpkg-deb -c "$dir"/drosk-*.deb | awk '$1 ~ /^-/ {print $6}' | sed 's|^\./||' \
         | grep "^$docs/" | sort)
if [ "$packed" != "$expected" ]; then
  echo "package: the .deb's documents differ from what cmake --install puts there:" >&2
  diff <(echo "$expected") <(echo "$packed") >&2 || true
  exit 1
fi
echo "package: the .deb carries $(echo "$packed" | wc -l) files under /$docs"
