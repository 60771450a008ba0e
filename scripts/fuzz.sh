#!/usr/bin/env bash
# Builds the pattern loader's fuzzer with clang (address and undefined-
# behaviour sanitizers) and runs it for a while on the sample patterns.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-60}"

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DWHIRLIGONS_BUILD_TESTS=OFF -DWHIRLIGONS_BUILD_BENCHMARKS=OFF \
  -DWHIRLIGONS_BUILD_FUZZER=ON >/dev/null
cmake --build "$root/build-fuzz" --target pattern_fuzz

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp "$root"/data/patterns/*.wlg "$corpus/"

export QT_QPA_PLATFORM=offscreen
# Any crash or sanitizer report ends the run with a non-zero status.
"$root/build-fuzz/tests/fuzz/pattern_fuzz" -max_total_time="$seconds" -timeout=20 \
  -rss_limit_mb=4096 -print_final_stats=1 "$corpus"
