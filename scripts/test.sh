#!/usr/bin/env bash
# Builds Whirligons and runs every test; exits non-zero when any test fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/build.sh"

# The windows' tests need no display.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure --no-tests=error --parallel "$(nproc)" "$@"
