#!/usr/bin/env bash
# Builds drosk and runs every test. In CI, warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
preset=default
[ -n "${CI:-}" ] && preset=ci
cmake --workflow --preset "$preset"
