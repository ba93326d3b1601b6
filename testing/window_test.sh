#!/usr/bin/env bash
# Drives tovrand-window.exe under Wine on a virtual X display of 1366x768
# as a modder would, with its keys, at 96 dpi and at 144 (Wine's scale, set
# in its prefix for the run and set back after), and checks at each what
# it does:
#  - started with tovrand's five values in a copy of the sample data (in a
#    data folder named as a modder's is, at 144 dpi outside ASCII), it
#    previews, at the scale, with Write and Close on the screen; a
#    screenshot of its preview is not blank; Alt+W writes
#    Output\FPools.txt, byte for byte what tovrand.exe writes for the same
#    values, and the window says tovrand's success line; its corner
#    dragged to its top left, it is at its smallest size, within 1280x720
#    and with Write and Close in it; Esc closes it;
#  - started with a negative value, it says tovrand's lines for it, and
#    Alt+W writes nothing.
# testing/window_driver.sh starts and drives it.
#
#   bash testing/window_test.sh WINE_SCRIPT WINDOW_EXE TOVRAND_EXE SAMPLE_DIR
#        [--screenshot FILE]
# WINE_SCRIPT is the tests' tovrand-wine (its prefix started); with
# --screenshot the window previewing the sample data is saved to FILE at
# 96 dpi and, at 144, to FILE with -144dpi before its .png (how
# docs/window.png and docs/window-144dpi.png are made). Needs Xvfb,
# xdotool and ImageMagick.
set -euo pipefail

wine_script=$(realpath "$1") window_exe=$(realpath "$2")
tovrand_exe=$(realpath "$3") sample=$(realpath "$4")
shot_out=
if [ "${5-}" = --screenshot ]; then shot_out=$(realpath -m "$6"); fi

source "$(dirname "$0")/window_driver.sh"


# Wine's scale: the prefix's, set back when the test ends.
desktop='HKCU\Control Panel\Desktop'
wine_reg() {
  "$wine_script" exec reg "$@" >"$work/reg.out" 2>&1
}
if wine_reg query "$desktop" /v LogPixels; then
  prefix_dpi=$(awk '$1 == "LogPixels" { print $3 }' "$work/reg.out" |
                 tr -d '\r')
else
  prefix_dpi=
fi
set_dpi() {
  wine_reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f ||
    fail "Wine's scale could not be set to $1 dpi: $(cat "$work/reg.out")"
}
# The data folders are in the prefix's drive C:, as a modder's are.
drive_c=$(unix_path 'C:\')
[ -d "$drive_c" ] || fail "winepath gave no folder for C: ('$drive_c')"
leave() {
  rm -rf "$drive_c/Games" "$drive_c/users/Jürgen"
  if [ -n "$prefix_dpi" ]; then
    wine_reg add "$desktop" /v LogPixels /t REG_DWORD /d "$((prefix_dpi))" /f
  else
    wine_reg delete "$desktop" /v LogPixels /f
  fi || echo "Wine's scale could not be set back: $(cat "$work/reg.out")"
}

# The corners of the window and of Write and Close, its size, its
# smallest size and its scale, from the last line of the window's log that
# begins with $1 ("layout: window L,T R,B size WxH smallest WxH dpi N
# Write L,T R,B Close L,T R,B", on the screen).
read_layout() {
  local line n='(-?[0-9]+)'
  line=$(grep "^$1" "$log" | tail -n 1) || true
  local pattern="^layout: window $n,$n $n,$n size ${n}x$n smallest ${n}x$n"
  pattern+=" dpi $n Write $n,$n $n,$n Close $n,$n $n,$n\$"
  [[ $line =~ $pattern ]] ||
    fail "no layout line (layout: window L,T R,B size WxH smallest WxH dpi N Write L,T R,B Close L,T R,B) in the window's log"
  window_rect=("${BASH_REMATCH[@]:1:4}")
  smallest_size="${BASH_REMATCH[7]}x${BASH_REMATCH[8]}"
  layout_dpi=${BASH_REMATCH[9]}
  write_rect=("${BASH_REMATCH[@]:10:4}")
  close_rect=("${BASH_REMATCH[@]:14:4}")
}

# Fails unless the rectangle $2..$5 (left, top, right, bottom) lies within
# $7..$10, which $6 names; $1 names the first.
within() {
  (($2 >= $7 && $3 >= $8 && $4 <= $9 && $5 <= ${10})) ||
    fail "$1 ($2,$3 $4,$5) is not within $6 ($7,$8 ${9},${10})"
}

# Write and Close within the window, and on the screen.
buttons_shown() {
  local screen=(0 0 "$screen_width" "$screen_height")
  within "$1, Write" "${write_rect[@]}" "the window" "${window_rect[@]}"
  within "$1, Close" "${close_rect[@]}" "the window" "${window_rect[@]}"
  within "$1, Write" "${write_rect[@]}" "the screen" "${screen[@]}"
  within "$1, Close" "${close_rect[@]}" "the screen" "${screen[@]}"
}

# tovrand's own output for the values, as the reference.
reference="$work/reference"
data_folder "$reference"
(cd "$reference" && "$wine_script" exec "$tovrand_exe" g 100 80 50 60 \
   >"$work/tovrand.out" 2>&1) || fail "tovrand.exe: $(cat "$work/tovrand.out")"

# $1 dpi, $2 the data folder (under C:), $3 the screenshot's file or "".
write_at() {
  local dpi=$1 folder=$2 shot=$3
  data_folder "$folder"
  start_window "$folder" g 100 80 50 60
  await_log "preview: 47 quantities will change"
  read_layout "layout: "
  [ "$layout_dpi" = "$dpi" ] ||
    fail "the window is laid out at $layout_dpi dpi, not at $dpi"
  buttons_shown "at the start, at $dpi dpi"
  # The display may show the window's last strokes a moment after it has
  # made them: the screenshot is the first that the next one equals.
  import -window "$window" "$work/window.png"
  for _ in $(seq 50); do
    import -window "$window" "$work/again.png"
    cmp -s "$work/window.png" "$work/again.png" && break
    mv "$work/again.png" "$work/window.png"
  done
  colours=$(convert "$work/window.png" -format %k info:)
  [ "$colours" -gt 50 ] || fail "the screenshot is blank ($colours colours)"
  [ -z "$shot" ] || cp "$work/window.png" "$shot"
  press alt+w
  await_log "write: "
  grep -qx "write: New FPools.txt has been placed in Output folder" "$log" ||
    fail "Write did not say tovrand's success line"
  cmp "$reference/Output/FPools.txt" "$folder/Output/FPools.txt" ||
    fail "the window wrote another file than tovrand.exe"
  # Its bottom right corner dragged past its top left: no smaller than its
  # smallest, which it then is.
  mark_log
  xdotool mousemove $((window_rect[2] - 2)) $((window_rect[3] - 2)) \
    mousedown 1 mousemove $((window_rect[0] + 4)) $((window_rect[1] + 4)) \
    mouseup 1 || fail "xdotool could not drag the window's corner"
  await_log 'layout: window [-0-9,]* [-0-9,]* size \([0-9]*x[0-9]*\) smallest \1 ' \
    "layout line of the window at its smallest size, once its corner was dragged past its top left"
  read_layout 'layout: window [-0-9,]* [-0-9,]* size \([0-9]*x[0-9]*\) smallest \1 '
  within "at $dpi dpi, the smallest window" 0 0 \
    $((window_rect[2] - window_rect[0])) $((window_rect[3] - window_rect[1])) \
    "1280x720" 0 0 1280 720
  buttons_shown "at its smallest, at $dpi dpi"
  close_window
  echo "ok: at $dpi dpi Alt+W wrote tovrand's FPools.txt; screenshot of $colours colours; smallest window $smallest_size"
}

# $1 dpi: a negative value, tovrand's lines, and nothing written.
refuse_at() {
  local dpi=$1 folder="$work/negative-$1"
  data_folder "$folder"
  start_window "$folder" g -1 80 50 60
  await_log "refused: Given percent factors cannot be negative"
  grep -qx "refused: Aborted" "$log" || fail "no Aborted line"
  press alt+w
  press Return
  close_window
  ! grep -q "^write: " "$log" || fail "the window wrote with a negative value"
  [ -z "$(ls -A "$folder/Output")" ] ||
    fail "Output is not empty: $(ls "$folder/Output")"
  echo "ok: at $dpi dpi a negative value is refused in tovrand's words; nothing was written"
}

set_dpi 96
write_at 96 "$drive_c/Games/Wargame/Data" "$shot_out"
refuse_at 96
set_dpi 144
write_at 144 "$drive_c/users/Jürgen/Games/Wargame/Data" \
  "${shot_out:+${shot_out%.png}-144dpi.png}"
refuse_at 144
