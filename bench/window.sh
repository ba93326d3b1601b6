#!/usr/bin/env bash
# Times tovrand-window.exe under Wine, driven as in its test
# (testing/window_driver.sh), on the game-size and large data sets of the
# benchmark: the folder read and its first preview shown, as the window
# times it and from the program's start (Wine's start-up included), then
# from a changed value to its preview, then Write and the check within it
# of the bytes shown, and the window's peak working set against the size
# of the inputs.
#
#   cmake --workflow --preset windows && cmake --preset wine
#   bash bench/window.sh [--runs N]
# Builds make_bench_data with the default preset; the data sets go to
# build/bench/window. Each figure is the median of N runs (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=5
if [ "${1-}" = --runs ]; then runs=$2; fi

cmake --preset default >/dev/null
cmake --build build/default --target make_bench_data >/dev/null
cmake --build build/wine >/dev/null
wine_script=$(realpath build/wine/tovrand-wine)
window_exe=$(realpath build/windows/tovrand-window.exe)
data=build/bench/window
declare -A shapes=([game]="400 16 600" [large]="250000 16 32000")
for set in game large; do
  [ -f "$data/$set/FPools.txt" ] ||
    build/default/make_bench_data "$data/$set" ${shapes[$set]} >/dev/null
done

source testing/window_driver.sh
"$wine_script" start >/dev/null 2>&1

# The [N ms] of the last log line that begins with $1.
ms_of() { grep "^$1" "$log" | tail -n 1 | sed 's/.*\[\([0-9]*\) ms\]$/\1/'; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo "| data set | inputs | folder read and previewed | the same from the start, Wine's included | value to preview | Write | its check of the bytes shown | peak working set |"
echo "|---|---|---|---|---|---|---|---|"
for set in game large; do
  folder=$(realpath "$data/$set")
  inputs=$(cat "$folder"/{Tables.ini,FPools.txt,AlsTeams.txt,GETeams.txt} | wc -c)
  : >"$work/start" >"$work/load" >"$work/change" >"$work/memory" >"$work/write"
  for _ in $(seq "$runs"); do
    rm -f "$folder/Output/FPools.txt"
    begin=$(date +%s%N)
    start_window "$folder" g 100 80 50 60
    await_log "preview: "
    echo $(( ($(date +%s%N) - begin) / 1000000 )) >>"$work/start"
    ms_of "preview: " >>"$work/load"
    # The first value is selected: 90 takes its place, the preview of 9
    # first, then of 90.
    before=$(grep -c "^preview: " "$log")
    press 9 0
    for _ in $(seq 600); do
      [ "$(grep -c "^preview: " "$log")" -ge $((before + 2)) ] && break
      sleep 0.1
    done
    ms_of "preview: " >>"$work/change"
    # Write: the whole write, and its check of the bytes shown within it.
    press alt+w
    await_log "write took: "
    grep "^write took: " "$log" | tail -n 1 |
      sed 's/^write took: \([0-9]*\) ms, the check \([0-9]*\) ms$/\1 \2/' \
      >>"$work/write"
    close_window
    grep "^closed: peak working set" "$log" | sed 's/[^0-9]//g' >>"$work/memory"
  done
  printf '| %s | %s MiB | %s ms | %s ms | %s ms | %s ms | %s ms | %s MiB |\n' "$set" \
    "$(awk "BEGIN {printf \"%.1f\", $inputs / 1048576}")" \
    "$(median <"$work/load")" "$(median <"$work/start")" \
    "$(median <"$work/change")" \
    "$(cut -d' ' -f1 "$work/write" | median)" \
    "$(cut -d' ' -f2 "$work/write" | median)" \
    "$(median <"$work/memory")"
done
"$wine_script" stop
