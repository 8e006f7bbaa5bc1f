#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UBSan, LeakSanitizer) and runs
# each for the given number of seconds (default 30), starting from its seed corpus in
# tests/fuzz/corpus/<target>/. New inputs go to a scratch copy, never into the repository.
# Any crash, timeout, leak, sanitizer report or failed check ends the script with an error;
# the input that caused it is kept in build/fuzz/artifacts/.
#   scripts/fuzz.sh        smoke run, as the test command does it
#   scripts/fuzz.sh 600    ten minutes per target
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
build="$root/build/fuzz"
targets=(probe color ini)

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/tunelamp-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

failed=0
for target in "${targets[@]}"; do
  corpus="$work/$target"
  mkdir -p "$corpus"
  cp "$root/tests/fuzz/corpus/$target/"* "$corpus/"
  log="$build/$target.log"
  status=0
  # Leaks are checked at the end of every run by LeakSanitizer (on by default with ASan).
  ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/${target}_fuzz" "$corpus" \
    -dict="$root/tests/fuzz/$target.dict" \
    -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/${target}-" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  units=$(find "$corpus" -type f | wc -l)
  if [ "$status" -ne 0 ]; then
    echo "fuzz $target: FAILED (exit $status) after ${runs:-?} executions; log $log"
    grep -E "ERROR|SUMMARY|check failed|gave 0x|runtime error|artifact" "$log" | head -n 20 || true
    failed=1
  else
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, corpus $units inputs, no findings"
  fi
done
exit "$failed"
