#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined-behaviour
# sanitizers) and runs each for a while on its seeds. Any crash, sanitizer
# report or hang ends the run with a non-zero status.
# Usage: scripts/fuzz.sh [seconds] [target...]   (default 60 s, every target)
# Seeds: tests/fuzz/corpus/TARGET/ (pattern targets also get the samples);
# dictionary: tests/fuzz/TARGET.dict when there is one. Findings and the
# grown corpus stay in build-fuzz/findings/TARGET and build-fuzz/corpus/TARGET.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
shift || true

"$root/scripts/install-deps.sh"

all_targets=(pattern_parse_fuzz pipeline_fuzz solid_table_fuzz settings_fuzz exporter_args_fuzz)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# The same build as scripts/sanitize.sh, whose tests stay in it when it ran first.
tests=OFF
grep -q '^WHIRLIGONS_BUILD_TESTS:BOOL=ON' "$root/build-fuzz/CMakeCache.txt" 2>/dev/null && tests=ON
cmake -S "$root" -B "$root/build-fuzz" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize-coverage=inline-8bit-counters,indirect-calls,pc-table -fno-sanitize-recover=undefined" \
  -DWHIRLIGONS_BUILD_TESTS=$tests -DWHIRLIGONS_BUILD_BENCHMARKS=OFF \
  -DWHIRLIGONS_BUILD_FUZZER=ON >/dev/null
cmake --build "$root/build-fuzz" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1
# Findings, not allocation stacks, are what the runs are for.
export ASAN_OPTIONS=malloc_context_size=5
run_one() {
  local t="$1" corpus="$root/build-fuzz/corpus/$1" findings="$root/build-fuzz/findings/$1"
  mkdir -p "$corpus" "$findings"
  cp -n "$root/tests/fuzz/corpus/$t"/* "$corpus/" 2>/dev/null || true
  case "$t" in pattern*|pipeline*) cp -n "$root"/data/patterns/*.wlg "$corpus/" ;; esac
  local dict=() extra=()
  # The pipeline keeps one designer open across inputs, as a user does, so
  # what it holds is not a leak; -entropic=0 spares a per-input cost.
  case "$t" in pipeline*|settings*|exporter*) extra=(-detect_leaks=0 -entropic=0) ;; esac
  [ -f "$root/tests/fuzz/$t.dict" ] && dict=(-dict="$root/tests/fuzz/$t.dict")
  "$root/build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" "${extra[@]}" "$corpus" \
    >"$root/build-fuzz/$t.log" 2>&1
}

# Two at a time, one per core.
failed=0
pids=()
names=()
reap() {
  for i in "${!pids[@]}"; do
    if ! wait "${pids[$i]}"; then
      failed=1
      echo "fuzz: ${names[$i]} FAILED" >&2
      tail -40 "$root/build-fuzz/${names[$i]}.log" >&2
    fi
  done
  pids=()
  names=()
}
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  names+=("$t")
  [ ${#pids[@]} -lt 2 ] || reap
done
reap
for t in "${targets[@]}"; do
  echo "fuzz: $t: $(grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec' "$root/build-fuzz/$t.log" | tr '\n' ' ')$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9a-zA-Z]+' "$root/build-fuzz/$t.log" | tail -1)"
done
exit "$failed"
