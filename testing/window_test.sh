#!/usr/bin/env bash
# Drives tovrand-window.exe under Wine on a virtual X display as a modder
# would, with its keys, and checks what it does:
#  - started with tovrand's five values in a copy of the sample data (in a
#    folder named outside ASCII), it previews; Alt+W writes
#    Output\FPools.txt, byte for byte what tovrand.exe writes for the same
#    values, and the window says tovrand's success line; a screenshot of
#    its preview is not blank; Esc closes it;
#  - started with a negative value, it says tovrand's lines for it, and
#    Alt+W writes nothing.
# testing/window_driver.sh starts and drives it.
#
#   bash testing/window_test.sh WINE_SCRIPT WINDOW_EXE TOVRAND_EXE SAMPLE_DIR
#        [--screenshot FILE]
# WINE_SCRIPT is the tests' tovrand-wine (its prefix started); with
# --screenshot the window previewing the sample data is saved to FILE (how
# docs/window.png is made). Needs Xvfb, xdotool and ImageMagick.
set -euo pipefail

wine_script=$(realpath "$1") window_exe=$(realpath "$2")
tovrand_exe=$(realpath "$3") sample=$(realpath "$4")
shot_out=
if [ "${5-}" = --screenshot ]; then shot_out=$(realpath -m "$6"); fi

source "$(dirname "$0")/window_driver.sh"

data_folder() {
  mkdir -p "$1/Output"
  cp "$sample/Tables.ini" "$sample/FPools.txt" "$sample/AlsTeams.txt" \
     "$sample/GETeams.txt" "$1/"
}

# tovrand's own output for the values, as the reference.
reference="$work/reference"
data_folder "$reference"
(cd "$reference" && "$wine_script" exec "$tovrand_exe" g 100 80 50 60 \
   >"$work/tovrand.out" 2>&1) || fail "tovrand.exe: $(cat "$work/tovrand.out")"

# Alt+W writes what tovrand writes.
folder="$work/Spiel ü"
data_folder "$folder"
start_window "$folder" g 100 80 50 60
await_log "preview: 47 quantities will change"
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
[ -z "$shot_out" ] || cp "$work/window.png" "$shot_out"
press alt+w
await_log "write: "
grep -qx "write: New FPools.txt has been placed in Output folder" "$log" ||
  fail "Write did not say tovrand's success line"
cmp "$reference/Output/FPools.txt" "$folder/Output/FPools.txt" ||
  fail "the window wrote another file than tovrand.exe"
close_window
echo "ok: Alt+W wrote tovrand's FPools.txt; screenshot of $colours colours"

# A negative value: tovrand's lines, and nothing written.
folder="$work/negative"
data_folder "$folder"
start_window "$folder" g -1 80 50 60
await_log "refused: Given percent factors cannot be negative"
grep -qx "refused: Aborted" "$log" || fail "no Aborted line"
press alt+w
press Return
close_window
! grep -q "^write: " "$log" || fail "the window wrote with a negative value"
[ -z "$(ls -A "$folder/Output")" ] || fail "Output is not empty: $(ls "$folder/Output")"
echo "ok: a negative value is refused in tovrand's words; nothing was written"
