#!/usr/bin/env bash
# Runs tovrand on a copy of the bundled sample data, then tovdiff to show
# what it changed.
#   bash sample/try.sh [side tankpercent0 infpercent0 tankpercentN infpercentN]
# Without arguments it runs "g 100 80 50 60". Builds first (incrementally)
# with the default preset; sample/data itself is never modified. On a fresh
# Debian 12 machine it installs the build's tools first, with apt-get, when
# run as root.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# What the build needs (GoogleTest is only for the tests).
missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
command -v make >/dev/null || missing+=(make)
if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Needs ${missing[*]}: apt-get install ${missing[*]} (as root)"
    exit 1
  fi
  echo "Installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

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
