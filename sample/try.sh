#!/usr/bin/env bash
# Runs tovrand on a copy of the bundled sample data, then tovdiff to show
# what it changed.
#   bash sample/try.sh [side tankpercent0 infpercent0 tankpercentN infpercentN]
# Without arguments it runs "g 100 80 50 60". Builds first (incrementally)
# with the default preset; sample/data itself is never modified.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if [ "$#" -eq 0 ]; then
  set -- g 100 80 50 60
fi

log="$(mktemp)"
work="$(mktemp -d)"
trap 'rm -rf "$work" "$log"' EXIT

# Build quietly; show the build's output only when it fails.
if ! { cmake --preset default &&
       cmake --build --preset default --target tovrand tovdiff; } \
     >"$log" 2>&1; then
  cat "$log"
  echo "Build failed"
  exit 1
fi

for name in Tables.ini FPools.txt AlsTeams.txt GETeams.txt; do
  cp "sample/data/$name" "$work/"
done
mkdir "$work/Output"

echo "\$ tovrand $*    (in a copy of sample/data)"
status=0
(cd "$work" && "$root/build/default/tovrand" "$@") || status=$?
echo "tovrand exited with status $status"

if [ "$status" -eq 0 ]; then
  echo
  echo "\$ tovdiff"
  (cd "$work" && "$root/build/default/tovdiff") || status=$?
fi
exit "$status"
