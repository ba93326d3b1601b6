#!/usr/bin/env bash
# Runs a benchmark (see bench/README.md); exits non-zero when a target is
# missed. Builds first with the default preset.
#   bash bench/run.sh [--runs N]
#       tovrand against its memory floor and copy floor, on data sets of
#       about 330 MB made in build/bench/data
#   bash bench/run.sh report [--runs N] [--wine SCRIPT EXE]
#       tovdiff's report to a file, to /dev/null and to a terminal, on data
#       sets and reports of about 500 MB made in build/bench/report; with
#       --wine, SCRIPT is a build's Wine wrapper (build/wine/tovrand-wine once
#       the wine preset is configured) and EXE a Windows tovdiff.exe
#       (build/windows/tovdiff.exe), timed too, under Wine
set -euo pipefail

bench=tovrand_bench
data=build/bench/data
if [ "${1-}" = report ]; then
  bench=tovdiff_bench
  data=build/bench/report
  shift
fi
# The --wine paths as given from here, before the cd.
args=()
while [ $# -gt 0 ]; do
  if [ "$1" = --wine ] && [ $# -ge 3 ]; then
    args+=(--wine "$(realpath "$2")" "$(realpath "$3")")
    shift 3
  else
    args+=("$1")
    shift
  fi
done

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! { cmake --preset default &&
       cmake --build --preset default --target tovrand tovdiff memory_floor \
         "$bench"; } >"$log" 2>&1; then
  cat "$log"
  echo "Build failed"
  exit 1
fi

rm -f "$log"
mkdir -p "$data"
exec "build/default/$bench" ${args[@]+"${args[@]}"} "$data"
