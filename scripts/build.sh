#!/usr/bin/env bash
# Installs what is missing, then configures and builds Whirligons into ./build.
# Extra arguments go to the CMake configure step, e.g. -DWHIRLIGONS_BUILD_BENCHMARKS=OFF.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$root/build"
