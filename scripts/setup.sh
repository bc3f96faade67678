#!/usr/bin/env bash
# Installs what drosk's build and tests need, when it is missing: with apt-get when run as root,
# otherwise by saying what to install. Usage: scripts/setup.sh [--tests]
set -euo pipefail

# command-or-file  Debian package
needs=(
  "cmake cmake"
  "g++ g++"
  "make make"
  "javac default-jdk-headless"
  "unifdef unifdef"
  # the default preset builds the tests too
  "/usr/include/gtest/gtest.h libgtest-dev"
  "python3 python3"
)
if [ "${1:-}" = "--tests" ]; then
  needs+=(
    "/usr/include/benchmark/benchmark.h libbenchmark-dev"
    "ant ant"
    "gradle gradle"
    "mvn maven"
    "vim vim"
    "node nodejs"
    "/usr/share/maven-repo/org/apache/maven/plugins/maven-compiler-plugin/3.10.1 libmaven-compiler-plugin-java"
    "/usr/share/maven-repo/org/apache/maven/plugins/maven-resources-plugin/3.3.0 libmaven-resources-plugin-java"
    "/usr/share/maven-repo/org/junit/junit-bom junit5"
  )
fi

missing=()
for need in "${needs[@]}"; do
  what=${need% *}
  package=${need#* }
  if [[ $what == /* ]]; then
    [ -e "$what" ] || missing+=("$package")
  else
    command -v "$what" >/dev/null 2>&1 || missing+=("$package")
  fi
done

"$(dirname "$0")/install_packages.sh" setup ${missing[@]+"${missing[@]}"}
