#!/usr/bin/env bash
# Builds everything, tests and fuzz targets, with clang's address and
# undefined-behaviour sanitizers (any finding is fatal) and runs the whole
# test suite in that build. scripts/fuzz.sh then uses the same build.
# Usage: scripts/sanitize.sh [ctest arguments]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$root" -B "$root/build-fuzz" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize-coverage=inline-8bit-counters,indirect-calls,pc-table -fno-sanitize-recover=undefined" \
  -DWHIRLIGONS_BUILD_TESTS=ON -DWHIRLIGONS_BUILD_BENCHMARKS=OFF \
  -DWHIRLIGONS_BUILD_FUZZER=ON -DWHIRLIGONS_TEST_TIME_SCALE=5 >/dev/null
cmake --build "$root/build-fuzz"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks in the libraries we load (fontconfig, Qt's plugin cache) are theirs.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir "$root/build-fuzz" --output-on-failure --no-tests=error --parallel "$(nproc)" "$@"
