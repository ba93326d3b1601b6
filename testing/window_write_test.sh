#!/usr/bin/env bash
# Drives tovrand-window.exe under Wine as testing/window_test.sh does, for
# what its Write writes and when:
#  - a value typed and Alt+W pressed at once, while its preview is made,
#    writes that value's file, byte for byte tovrand.exe's; Enter then
#    writes again (the focus went back, not to Close);
#  - Alt+W then Esc at once: the window writes, then closes;
#  - FPools.txt replaced by the output after the preview (the guide's own
#    step): Write writes nothing and says so, the window shows the folder
#    anew, and the next Write writes tovrand.exe's file for it;
#  - a data folder without Output: Write asks to make it, and Enter there
#    makes it and writes;
#  - an Output that is a file, a read-only Output\FPools.txt, one another
#    program holds open, an Output that leads back to the data folder:
#    tovrand's line, then the window's line of why, and Output as it was;
#  - FPools.txt with part of a record at its end: the window's warnings are
#    tovdiff.exe's after that Write, word for word, Output\FPools.txt named
#    as the window names it;
#  - Write then Esc with the output held: the window stays up until the
#    write has failed, says so in a message box, then goes.
#
#   bash testing/window_write_test.sh WINE_SCRIPT WINDOW_EXE TOVRAND_EXE \
#        AT_STEP_EXE SAMPLE_DIR
# AT_STEP_EXE is the Windows tovrand_at_step.exe, which holds a file open;
# tovdiff.exe is the one beside TOVRAND_EXE.
set -euo pipefail

wine_script=$(realpath "$1") window_exe=$(realpath "$2")
tovrand_exe=$(realpath "$3") at_step_exe=$(realpath "$4") sample=$(realpath "$5")

source "$(dirname "$0")/window_driver.sh"


# tovrand.exe's output in a copy of the data folder $1 for the values
# after it, as $work/reference/$2.
reference() {
  local from=$1 name=$2
  shift 2
  local folder="$work/reference/$name"
  mkdir -p "$folder/Output"
  cp "$from/Tables.ini" "$from/FPools.txt" "$from/AlsTeams.txt" \
     "$from/GETeams.txt" "$folder/"
  (cd "$folder" && "$wine_script" exec "$tovrand_exe" "$@" \
     >"$work/tovrand.out" 2>&1) || fail "tovrand.exe $*: $(cat "$work/tovrand.out")"
}

# Waits until the window's log has $2 lines that begin with $1.
await_count() {
  for _ in $(seq 600); do
    [ "$(grep -c "^$1" "$log" 2>/dev/null)" -ge "$2" ] && return 0
    kill -0 "$window_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "not $2 lines '$1' in the window's log (within 60 s, or before it ended)"
}

# Presses $2 in the window's message box, the window named $1 on the display
# other than the window itself; $3 says what it is.
answer_box() {
  local box=
  for _ in $(seq 600); do
    box=$(xdotool search --onlyvisible --name "$1" 2>/dev/null |
            grep -vx "$window" | head -n 1) || true
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "$3 was not on the display"
  # The key may close the box before its release is sent.
  xdotool key --window "$box" "$2" 2>/dev/null || true
}

# The window started in the data folder $1 with g 100 80 50 60, its
# preview shown.
open_window() {
  start_window "$1" g 100 80 50 60
  await_log "preview: 47 quantities will change"
}

said_written() {
  grep -qx "write: New FPools.txt has been placed in Output folder" "$log" ||
    fail "$1: Write did not say tovrand's success line"
}

same_output() {
  cmp "$work/reference/$1/Output/FPools.txt" "$2/Output/FPools.txt" ||
    fail "$3: the window wrote another file than tovrand.exe"
}

# A value typed, and Write at once: the value's file.
folder="$work/typed"
data_folder "$folder"
reference "$sample" typed g 90 80 50 60
open_window "$folder"
# The first value is selected: 90 takes its place.
press 9 0 alt+w
await_log "write: "
said_written "a value typed, then Write"
same_output typed "$folder" "a value typed, then Write"
# The keys are where they were: Enter writes again, it does not close.
press Return
await_count "write: New FPools.txt has been placed in Output folder" 2
close_window
echo "ok: Write pressed while its preview came wrote the value typed; Enter then wrote again"

# Write, then Esc at once: written, then closed.
folder="$work/closed"
data_folder "$folder"
reference "$sample" closed g 100 80 50 60
open_window "$folder"
press alt+w
close_window
said_written "Write then Esc"
same_output closed "$folder" "Write then Esc"
echo "ok: Write then Esc wrote, then closed"

# FPools.txt replaced by the output after the preview: nothing written,
# the folder shown anew, then written.
folder="$work/replaced"
data_folder "$folder"
open_window "$folder"
cp "$work/reference/closed/Output/FPools.txt" "$folder/FPools.txt"
reference "$folder" replaced g 100 80 50 60
press alt+w
await_log "write: "
grep -qx "write: FPools.txt has changed since the window showed it: nothing was written" "$log" ||
  fail "Write did not say that FPools.txt changed since it was shown"
[ ! -e "$folder/Output/FPools.txt" ] ||
  fail "Write wrote a FPools.txt that changed since it was shown"
await_count "preview: " 2
press alt+w
await_log "write: New FPools.txt has been placed in Output folder"
same_output replaced "$folder" "Write after the folder was shown anew"
close_window
echo "ok: a FPools.txt changed since shown was not written; shown anew, it was"

# No Output folder: asked, made, written.
folder="$work/no output"
data_folder "$folder"
rmdir "$folder/Output"
open_window "$folder"
press alt+w
await_log "asked: make the Output folder"
# Yes is the question's default button.
answer_box '^tovrand$' Return "the question when Output was missing"
await_log "write: New FPools.txt has been placed in Output folder"
same_output closed "$folder" "Write once Output was made"
close_window
echo "ok: without an Output folder the window asked, made it and wrote"

# Output as no run can write it: tovrand's line, the window's line of why,
# and Output left as it was.
holder_pid=
hold_output() {
  mkfifo "$work/hold.in"
  (cd "$1" && exec "$wine_script" exec "$at_step_exe" hold 'Output\FPools.txt' \
     <"$work/hold.in" >"$work/hold.out" 2>&1) &
  holder_pid=$!
  exec 4>"$work/hold.in"
  for _ in $(seq 600); do
    [ -e "$1/holding" ] && return 0
    kill -0 "$holder_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "tovrand_at_step did not hold Output\FPools.txt: $(cat "$work/hold.out")"
}
let_go() {
  exec 4>&-
  wait "$holder_pid" || fail "tovrand_at_step ended $?: $(cat "$work/hold.out")"
  rm -f "$1/holding" "$work/hold.in"
}
# What Output holds in the data folder $1: names, sizes and times, and
# the checksum of FPools.txt.
output_state() {
  { ls -lR --full-time "$1/Output/" || true; md5sum <"$1/Output/FPools.txt" || true; } 2>&1
}
while IFS='|' read -r what setup cause; do
  folder="$work/$what"
  data_folder "$folder"
  echo "previous output" >"$folder/Output/FPools.txt"
  case $setup in
    file) rm -r "$folder/Output"; echo "not a folder" >"$folder/Output" ;;
    read-only) (cd "$folder" && "$wine_script" exec attrib +r 'Output\FPools.txt' \
                  >/dev/null 2>&1) || fail "attrib +r failed" ;;
    back) rm -r "$folder/Output"; ln -s . "$folder/Output" ;;
  esac
  before=$(output_state "$folder")
  open_window "$folder"
  # Held once the window runs, so that the window does not inherit the
  # holder's input, which lets it go when closed.
  [ "$setup" != held ] || hold_output "$folder"
  press alt+w
  await_log "write took: "
  [ "$setup" != held ] || let_go "$folder"
  grep -qx "write: Failed to write FPools.txt to Output folder" "$log" ||
    fail "$what: Write did not say tovrand's failure line"
  grep -qxF "write: $cause" "$log" || fail "$what: the window did not say: $cause"
  after=$(output_state "$folder")
  [ "$before" = "$after" ] || fail "$what: Output changed: $before // $after"
  close_window
  echo "ok: $what: the window said why"
done <<'CASES'
Output a file|file|Output in the data folder is a file, not a folder
read-only output|read-only|Output\FPools.txt is read-only: clear Read-only in its Properties, then Write again
held output|held|Output\FPools.txt is open in another program, which keeps it from being replaced: close it there, then Write again
Output back to the data folder|back|Output leads back to the data folder: the output would replace FPools.txt itself
CASES

# Write, then Esc, with the output held through the write's tries: the
# window stays up, saying it writes, then says in a message box that the
# write failed, and goes.
folder="$work/closed while held"
data_folder "$folder"
echo "previous output" >"$folder/Output/FPools.txt"
before=$(output_state "$folder")
open_window "$folder"
hold_output "$folder"
press alt+w Escape
await_log "failed before closing"
awk '/^closing/ {c = NR} /^write: Failed/ {w = NR} END {exit !(c && w && c < w)}' "$log" ||
  fail "Esc while the write ran did not keep the window up until it had failed"
answer_box '^tovrand: nothing was written$' Return "the message box of the failed write"
await_log closed
let_go "$folder"
[ "$(output_state "$folder")" = "$before" ] || fail "closed while held: Output changed"
kill "$window_pid" 2>/dev/null || true
wait "$window_pid" 2>/dev/null || true
echo "ok: Esc while a write ran kept the window up; its failure was said before it went"

# tovdiff's warnings, as the window says them.
folder="$work/warned"
data_folder "$folder"
printf 'ab' >>"$folder/FPools.txt"
start_window "$folder" g 100 80 50 60
await_log "preview: "
press alt+w
await_log "write: New FPools.txt has been placed in Output folder"
close_window
(cd "$folder" && "$wine_script" exec "$(dirname "$tovrand_exe")/tovdiff.exe" \
   >"$work/tovdiff.out" 2>&1) || fail "tovdiff.exe: $(cat "$work/tovdiff.out")"
said=$(grep '^warning: ' "$log" | sed 's/^warning: //')
expected=$(tr -d '\r' <"$work/tovdiff.out" | grep '^Warning: ' |
             sed 's#Output/FPools.txt#Output\\FPools.txt#')
[ -n "$said" ] || fail "the window gave no warning of a part record"
[ "$said" = "$expected" ] ||
  fail "the window's warnings are not tovdiff.exe's: '$said' // '$expected'"
grep -qxF 'warning: Warning: Output\FPools.txt: 15266 bytes are not a whole number of 424-byte records' "$log" ||
  fail "the window did not name the output Output\FPools.txt"
echo "ok: the window's warnings are tovdiff.exe's"
