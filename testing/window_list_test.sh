#!/usr/bin/env bash
# Drives tovrand-window.exe under Wine as testing/window_test.sh does, for
# the folder a modder types or drops, what the window remembers, and the
# list sorted and copied:
#  - a folder's path typed in the folder's box and Enter, or pasted there
#    and the box left: that folder loads; a path that cannot be read says
#    tovrand's line, and the folder shown before stays;
#  - a click on Old's header sorts the list by it, smallest first, a
#    second largest first: the first row has the least, then the most;
#  - Ctrl+A and Ctrl+C in the list: the clipboard holds the header line
#    and every row as the list shows them, in its order, tab-separated;
#  - a row clicked, then Copy in the list's menu: the header and that row;
#  - FPools.txt of another folder dropped on the window: that folder
#    loads, its columns fit its rows but for one whose width was dragged;
#  - a copy made just before the window closes stays on the clipboard;
#  - Write: the window remembers the folder, the side and the values, in
#    its own file under %APPDATA%, and the next start (with no values, in
#    another folder) starts with them; a folder given as the one argument
#    starts there; a remembered folder that is gone is said, and the
#    window starts as on a first start.
# tovdiff.exe's report gives what the list should hold.
#
#   bash testing/window_list_test.sh WINE_SCRIPT WINDOW_EXE TOVRAND_EXE \
#        SHELL_STUB_EXE SAMPLE_DIR
set -euo pipefail

wine_script=$(realpath "$1") window_exe=$(realpath "$2")
tovrand_exe=$(realpath "$3") stub_exe=$(realpath "$4") sample=$(realpath "$5")
tovdiff_exe="$(dirname "$tovrand_exe")/tovdiff.exe"

source "$(dirname "$0")/window_driver.sh"

# await_log for the line that begins with the text $1, as it is.
await_text() {
  await_log "$(printf '%s' "$1" | sed 's/[][\.*^$]/\\&/g')" "'$1'"
}

drive_c=$(unix_path 'C:\')
leave() { rm -rf "$drive_c/Mods"; }
first='C:\Mods\First' second='C:\Mods\Second' third='C:\Mods\Zwölf'
gone='C:\Mods\Gone'
data_folder "$drive_c/Mods/First"
data_folder "$drive_c/Mods/Second"
data_folder "$drive_c/Mods/Zwölf"
data_folder "$drive_c/Mods/Gone"

# tovdiff's report of the values' run, as the list's rows: tab-separated,
# CR LF ended, in file order.
reference="$work/reference"
data_folder "$reference"
(cd "$reference" && "$wine_script" exec "$tovrand_exe" g 100 80 50 60 &&
   "$wine_script" exec "$tovdiff_exe") >"$work/report" 2>&1 ||
  fail "tovrand.exe or tovdiff.exe: $(cat "$work/report")"
tab=$'\t'
sed -n "s/^\(.*\) (\(.*\), date \(.*\)), slot \([0-9]*\), \(.*\) (\(.*\)): \(-*[0-9]*\) -> \(-*[0-9]*\)\r*\$/\1$tab\2$tab\3$tab\4$tab\5$tab\6$tab\7$tab\8/p" \
  "$work/report" >"$work/rows"
rows=$(wc -l <"$work/rows")
[ "$rows" -eq 47 ] || fail "tovdiff.exe's report has $rows changes, not 47"
least=$(sort -t "$tab" -k7,7n -s "$work/rows" | head -n 1)
most=$(sort -t "$tab" -k7,7nr -s "$work/rows" | head -n 1)

# Types the ASCII text $1 in the window, key by key, as press does.
type_keys() {
  local keys=() c i
  for ((i = 0; i < ${#1}; i++)); do
    c=${1:i:1}
    case $c in
      [A-Z]) keys+=("shift+${c,,}") ;;
      [a-z0-9]) keys+=("$c") ;;
      ' ') keys+=(space) ;;
      '\') keys+=(backslash) ;;
      :) keys+=(shift+semicolon) ;;
      *) fail "type_keys has no key for '$c'" ;;
    esac
  done
  press "${keys[@]}"
}

# Puts $1 on the clipboard, as a copy from Explorer's address bar does.
copy_text() {
  "$wine_script" exec "$stub_exe" copy "$1" 2>"$work/stub.out" ||
    fail "shell_stub: $(cat "$work/stub.out")"
}

start_window "$drive_c/Mods/First" g 100 80 50 60
await_text "folder: $first"
await_log "preview: 47 quantities will change"
await_log "remembered: saved"
grep -qxF "folder=$first"$'\r' "$remembered" ||
  fail "the folder that loaded is not remembered: $(cat "$remembered" 2>&1)"

# A path typed, then Enter; one pasted; then one that cannot be read.
mark_log
press alt+d
type_keys "$second"
press Return
await_text "folder: $second"
await_log "preview: 47 quantities will change"
mark_log
copy_text "$third"
press alt+d ctrl+v Tab
await_text "folder: $third"
await_log "preview: 47 quantities will change"
mark_log
press alt+d
type_keys 'C:\Mods\Nowhere'
press Return
await_text "kept: The window still shows $third"
grep -qxF 'kept: Cannot open Tables.ini in C:\Mods\Nowhere' "$log" ||
  fail "a folder that cannot be read is not said in tovrand's words"
echo "ok: a folder typed, or pasted, loads; one that cannot be read is said, and the last stays"

# Old's header clicked once, then again.
mark_log
click_header 6 -6
await_log "sorted: 6 up"
grep -qxF "sorted: 6 up, first row ${least//$tab/ | }" "$log" ||
  fail "sorted by Old, the first row is not the least: $(grep '^sorted' "$log")"
mark_log
click_header 6 6
await_log "sorted: 6 down"
grep -qxF "sorted: 6 down, first row ${most//$tab/ | }" "$log" ||
  fail "sorted by Old the other way, the first row is not the most"
echo "ok: a click on Old sorts by it, a second the other way"

# Every row copied, in the list's order.
mark_log
press alt+c ctrl+a ctrl+c
await_log "copied: 47 rows"
"$wine_script" exec "$stub_exe" clipboard >"$work/clipboard" 2>"$work/stub.out" ||
  fail "shell_stub: $(cat "$work/stub.out")"
{
  printf 'Pool\tSide\tDate\tSlot\tTeam\tType\tOld\tNew\r\n'
  sort -t "$tab" -k7,7nr -s "$work/rows" | sed 's/$/\r/'
} >"$work/every row"
cmp "$work/every row" "$work/clipboard" ||
  fail "the clipboard is not the list: $(head -c 300 "$work/clipboard" | od -c | head -n 12)"
echo "ok: Ctrl+A, Ctrl+C copies the header and every row, in the list's order"

# The first row clicked, then Copy in the list's menu: that row.
mark_log
header_rect
xdotool mousemove $((header[0] + 20)) $((header[3] + 6)) click 1 click 3 ||
  fail "xdotool could not click the list"
await_log "menu"
press c
await_log "copied: 1 row"
"$wine_script" exec "$stub_exe" clipboard >"$work/clipboard" 2>"$work/stub.out" ||
  fail "shell_stub: $(cat "$work/stub.out")"
printf 'Pool\tSide\tDate\tSlot\tTeam\tType\tOld\tNew\r\n%s\r\n' "$most" >"$work/expected"
cmp -s "$work/expected" "$work/clipboard" ||
  fail "the clipboard is not the row clicked: $(cat -A "$work/clipboard")"
echo "ok: a row clicked, Copy in the list's menu copies the header and that row"

# Type's width dragged 40 pixels narrower: kept when the next folder's
# columns fit its rows.
header_rect
type_width=${widths[5]}
x=${header[0]}
for i in 0 1 2 3 4 5; do x=$((x + widths[i])); done
y=$(((header[1] + header[3]) / 2))
xdotool mousemove $((x - 1)) "$y" mousedown 1 mousemove $((x - 21)) "$y" \
  mousemove $((x - 41)) "$y" mouseup 1 || fail "xdotool could not drag Type's edge"

# A file of the first folder dropped on the window.
mark_log
"$wine_script" exec "$stub_exe" drop "$first"'\fpools.TXT' 2>"$work/stub.out" ||
  fail "shell_stub: $(cat "$work/stub.out")"
await_text "folder: $first"
await_log "preview: 47 quantities will change"
await_log "columns: "
header_rect
[ "${widths[5]}" -eq $((type_width - 40)) ] ||
  fail "Type's width dragged from $type_width to $((type_width - 40)) is ${widths[5]} on the next folder"
echo "ok: FPools.txt dropped on the window loads its folder; a width dragged is kept"

# Written, then remembered.
mark_log
press alt+w
await_log "remembered: saved"
printf 'tovrand-window remembers\r\nfolder=%s\r\nside=g\r\ndate 0 tanks=100\r\ndate 0 infantry=80\r\nother dates tanks=50\r\nother dates infantry=60\r\nend\r\n' \
  "$first" >"$work/remembered"
cmp "$work/remembered" "$remembered" ||
  fail "the window remembers another text: $(cat -A "$remembered")"
# Every row copied, then the window closed before any paste: the copy stays.
mark_log
press alt+c ctrl+a ctrl+c
await_log "copied: 47 rows"
close_window
"$wine_script" exec "$stub_exe" clipboard >"$work/clipboard" 2>"$work/stub.out" ||
  fail "shell_stub: $(cat "$work/stub.out")"
cmp -s "$work/every row" "$work/clipboard" ||
  fail "what the window copied went when it closed"

start_window "$work"
await_text "folder: $first"
await_log "preview: 47 quantities will change"
close_window
start_window "$work" "$third"
await_text "folder: $third"
await_log "preview: 47 quantities will change"
close_window
echo "ok: a copy outlasts the window; the next start has the folder and values last written, or the folder given"

sed -i "s/^folder=.*/folder=${gone//\\/\\\\}\r/" "$remembered"
rm -rf "$drive_c/Mods/Gone"
data_folder "$work/start"
start_window "$work/start"
await_log "preview: "
grep -qxF "messages: The data folder last used is gone: $gone" "$log" ||
  fail "a remembered folder that is gone is not said"
close_window
echo "ok: a remembered folder that is gone is said, and the window starts where it is"
