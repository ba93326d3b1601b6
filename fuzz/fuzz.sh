#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz: clang, with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for a bounded time from the
# committed seed corpus, side by side.
#   bash fuzz/fuzz.sh [SECONDS]        (default 60 for each target)
# Inputs the fuzzers add go to a scratch copy of the corpus, never into
# fuzz/corpus. An input that crashes a target or breaks one of its rules is
# kept in build/fuzz/findings/ and fails the script; replay it with
#   build/fuzz/fuzz_run build/fuzz/findings/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
targets=(layout run)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d)"
# The whole-run target writes its files each run: on a memory file system
# when there is one, which is several times faster.
scratch_parent="$work"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch_parent=/dev/shm; fi
scratch="$(mktemp -d "$scratch_parent/tovrand-fuzz.XXXXXX")"
trap 'rm -rf "$work" "$scratch"' EXIT

findings="$PWD/build/fuzz/findings"
rm -rf "$findings"
mkdir -p "$findings"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1

declare -A pids
for target in "${targets[@]}"; do
  mkdir "$work/$target"
  cp fuzz/corpus/"$target"/* "$work/$target/"
  TMPDIR="$scratch" "build/fuzz/fuzz_$target" \
    -max_total_time="$seconds" -timeout=10 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "$work/$target" >"$work/$target.log" 2>&1 &
  pids[$target]=$!
done

failed=0
for target in "${targets[@]}"; do
  status=0
  wait "${pids[$target]}" || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")"
  added="$(sed -n 's/^stat::new_units_added: *//p' "$work/$target.log")"
  if [ "$status" -eq 0 ]; then
    echo "fuzz_$target: ${runs:-?} executions in ${seconds} s," \
         "${added:-?} new inputs, no finding"
  else
    failed=1
    echo "fuzz_$target: FAILED (status $status); the end of its log:"
    tail -n 60 "$work/$target.log"
    echo "Findings in $findings:"
    ls -l "$findings"
  fi
done
exit "$failed"
