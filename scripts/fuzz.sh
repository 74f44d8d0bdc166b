#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (build/fuzz) and runs each, one after another, for a number of
# seconds (default 60; the test run uses 20).
#   scripts/fuzz.sh [SECONDS] [TARGET...]     targets: the fuzz/*_fuzz.cpp names without _fuzz
# Each target starts from its seed corpus (fuzz/corpus/TARGET) and keeps what it learns in
# build/fuzz/corpus/TARGET; a crashing input is written to build/fuzz/crashes/TARGET/. The
# exit status is 1 when any target found a crash, a leak or a timeout.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=build/fuzz

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%_fuzz}")
  done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  crashes=$build/crashes/$target
  log=$build/logs/$target.log
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  status=0
  nice "$build/${target}_fuzz" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  summary=$(grep -E '^#[0-9]+' "$log" | tail -1 | awk '{print $1, $2, $3, $4, $5, $6}')
  runs=$(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    echo "$target: FAILED (exit $status; log $log, inputs in $crashes)"
    grep -E 'ERROR:|runtime error|fuzz check failed|Test unit written' "$log" | head -5 || true
  else
    echo "$target: ok, ${runs:-?} runs in ${seconds}s, last: $summary"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets with findings: ${failed[*]}"
  exit 1
fi
