#!/usr/bin/env bash
# The whole unit and end-to-end suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer. The sanitize test preset makes any report abort the process that
# made it (drosk, the stand-in tool or a unit test), so the case it happens in fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh --tests
cmake --workflow --preset sanitize
