#!/usr/bin/env bash
# Times tovrand against its memory floor and copy floor on synthetic data
# sets and checks the performance targets (see bench/README.md).
#   bash bench/run.sh [--runs N]
# Builds first with the default preset; the data sets (about 330 MB) are
# made in build/bench/data. Exits non-zero when a target is missed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! { cmake --preset default &&
       cmake --build --preset default --target tovrand memory_floor tovrand_bench; } \
     >"$log" 2>&1; then
  cat "$log"
  echo "Build failed"
  exit 1
fi

mkdir -p build/bench/data
exec build/default/tovrand_bench "$@" build/bench/data
