#!/usr/bin/env bash
# Times tovrand-window.exe under Wine, driven as in its test
# (testing/window_driver.sh), on the game-size and large data sets of the
# benchmark: the folder read and its first preview shown, as the window
# times it and from the program's start (Wine's start-up included), then
# from a changed value to its preview, then Write and the check within it
# of the bytes shown, the list sorted by a click on Old's header and every
# row copied (each with the longest the window went without repainting
# meanwhile), the window's peak working set against the size of the
# inputs, and a start with the folder and values it remembers, to its
# first preview.
#
#   cmake --workflow --preset windows && cmake --preset wine
#   bash bench/window.sh [--runs N] [--set game|large]
# Builds make_bench_data with the default preset; the data sets go to
# build/bench/window. Each figure is the median of N runs (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=5 sets="game large"
if [ "${1-}" = --runs ]; then runs=$2; shift 2; fi
if [ "${1-}" = --set ]; then sets=$2; fi

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

"$wine_script" start >/dev/null 2>&1
source testing/window_driver.sh

# The [N ms] of the last log line that begins with $1.
ms_of() { grep "^$1" "$log" | tail -n 1 | sed 's/.*\[\([0-9]*\) ms\]$/\1/'; }
# "N M" of the last line "$1: N ms, the longest pause M ms".
took_of() {
  grep "^$1: " "$log" | tail -n 1 |
    sed 's/^.*: \([0-9]*\) ms, the longest pause \([0-9]*\) ms$/\1 \2/'
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo "| data set | inputs | folder read and previewed | the same from the start, Wine's included | value to preview | Write | its check of the bytes shown | sorted by Old (longest pause) | Ctrl+A: every row selected | Ctrl+C: every row copied (longest pause) | pasted elsewhere: the window's hand-over | peak working set | remembered start to preview, as the window times it and with Wine's start-up |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
for set in $sets; do
  folder=$(realpath "$data/$set")
  inputs=$(cat "$folder"/{Tables.ini,FPools.txt,AlsTeams.txt,GETeams.txt} | wc -c)
  : >"$work/start" >"$work/load" >"$work/change" >"$work/memory" >"$work/write"
  : >"$work/sort" >"$work/copy" >"$work/again" >"$work/paste"
  : >"$work/select" >"$work/again_window"
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
    # The list sorted by Old, then every row copied.
    click_header 6 0
    await_log "sort took: "
    took_of "sort took" >>"$work/sort"
    press alt+c ctrl+a ctrl+c
    await_log "selected: "
    ms_of "selected: " >>"$work/select"
    await_log "copy took: "
    took_of "copy took" >>"$work/copy"
    # A program pastes it: the window hands the text over.
    "$wine_script" exec build/windows/shell_stub.exe clipboard >/dev/null
    await_log "pasted: "
    ms_of "pasted: " >>"$work/paste"
    close_window
    grep "^closed: peak working set" "$log" | sed 's/[^0-9]//g' >>"$work/memory"
    # Started again with nothing given: the folder and values remembered.
    begin=$(date +%s%N)
    start_window "$work"
    await_log "preview: "
    echo $(( ($(date +%s%N) - begin) / 1000000 )) >>"$work/again"
    ms_of "preview: " >>"$work/again_window"
    close_window
  done
  printf '| %s | %s MiB | %s ms | %s ms | %s ms | %s ms | %s ms | %s ms (%s ms) | %s ms | %s ms (%s ms) | %s ms | %s MiB | %s ms, %s ms |\n' "$set" \
    "$(awk "BEGIN {printf \"%.1f\", $inputs / 1048576}")" \
    "$(median <"$work/load")" "$(median <"$work/start")" \
    "$(median <"$work/change")" \
    "$(cut -d' ' -f1 "$work/write" | median)" \
    "$(cut -d' ' -f2 "$work/write" | median)" \
    "$(cut -d' ' -f1 "$work/sort" | median)" "$(cut -d' ' -f2 "$work/sort" | median)" \
    "$(median <"$work/select")" \
    "$(cut -d' ' -f1 "$work/copy" | median)" "$(cut -d' ' -f2 "$work/copy" | median)" \
    "$(median <"$work/paste")" \
    "$(median <"$work/memory")" "$(median <"$work/again_window")" "$(median <"$work/again")"
done
"$wine_script" stop
