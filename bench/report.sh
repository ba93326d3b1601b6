#!/usr/bin/env bash
# Times tovdiff's report written to a file, to /dev/null and to a terminal,
# and checks that neither of the last two takes more than twice as long as
# the file (see bench/README.md).
#   bash bench/report.sh [--runs N] [--wine SCRIPT EXE]
# With --wine, SCRIPT is a build's Wine wrapper (build/wine/tovrand-wine once
# the wine preset is configured) and EXE a Windows tovdiff.exe
# (build/windows/tovdiff.exe): it is timed too, under Wine. Builds first
# with the default preset; the data sets and the reports (about 500 MB) are
# made in build/bench/report. Exits non-zero when a ratio exceeds 2.0.
set -euo pipefail

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
       cmake --build --preset default --target tovrand tovdiff tovdiff_bench; } \
     >"$log" 2>&1; then
  cat "$log"
  echo "Build failed"
  exit 1
fi

rm -f "$log"
mkdir -p build/bench/report
exec build/default/tovdiff_bench "${args[@]}" build/bench/report
