# Starts tovrand-window.exe under Wine on a virtual X display of its own
# and drives it by its keys, for testing/window_test.sh and
# bench/window.sh. Sourced, with these set:
#   wine_script  the tests' tovrand-wine, its prefix started
#   window_exe   tovrand-window.exe
# Defines fail, await_log, mark_log, start_window FOLDER ARGS...,
# press KEYS... and close_window; $work is a scratch folder, removed at the
# end, after the caller's function leave if it defines one. The display is
# a screen of $screen_width x $screen_height pixels.
# The window says what it shows in the file TOVRAND_WINDOW_LOG names
# (window/view_win32.cc), so that each key is pressed once the window is
# ready for it, never after a guessed wait.

# Each window gets a display of its own, so that it is the one window
# there named tovrand.
log=
log_mark=0  # the lines of the log that await_log passes over
screen_width=1366 screen_height=768
work=$(mktemp -d "${TMPDIR:-/tmp}/tovrand window.XXXXXX")
xvfb_pid=
stop_display() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=
}
trap 'stop_display; if declare -F leave >/dev/null; then leave; fi; rm -rf "$work"' EXIT
# A command that fails ends the test with what it was, never silently.
set -E
trap 'fail "line $LINENO of ${BASH_SOURCE[0]##*/}: \"$BASH_COMMAND\" ended $?"' ERR
start_display() {
  stop_display
  rm -f "$work/display"
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
}

fail() {
  trap - ERR
  echo "FAILED: $*"
  if [ -f "$log" ]; then sed 's/^/  log: /' "$log"; fi
  if [ -f "$work/wine.out" ]; then sed 's/^/  wine: /' "$work/wine.out"; fi
  exit 1
}

# Waits until the window's log has a line that begins with $1 (a basic
# regular expression), after the lines mark_log passed over; $2 says what
# such a line is, when $1 is not plain text.
await_log() {
  for _ in $(seq 600); do
    grep -q "^$1" <(tail -n "+$((log_mark + 1))" "$log" 2>/dev/null) &&
      return 0
    kill -0 "$window_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "no ${2:-"'$1'"} in the window's log (within 60 s, or before it ended)"
}

# From now on, await_log waits for lines the window writes after this.
mark_log() {
  log_mark=$(wc -l <"$log")
}

# Starts the window in the data folder $1 with the values after it.
start_window() {
  local folder=$1
  shift
  log="$work/window.log"
  rm -f "$log"
  log_mark=0
  start_display
  # Wine's desktop fills the display: the window's screen is the display.
  (cd "$folder" && TOVRAND_WINDOW_LOG="$log" \
     TOVRAND_WINE_DESKTOP="${screen_width}x${screen_height}" \
     "$wine_script" show "$window_exe" "$@" >"$work/wine.out" 2>&1) &
  window_pid=$!
  await_log active
  # The window takes keys before Wine has mapped it on the display.
  window=
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name '^tovrand$' 2>/dev/null |
               head -n 1) || true
    [ -n "$window" ] && return 0
    kill -0 "$window_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "no window named tovrand was mapped on the display (within 60 s, or before it ended)"
}

# Presses keys in the window. With no window manager on the display,
# xdotool warns of the input focus on every key: not a failure.
press() {
  xdotool key --window "$window" "$@" 2>/dev/null ||
    fail "xdotool could not press $* in the window"
}

# Esc, then the window's end: its last line, once its jobs are done too.
# Esc may end the window before xdotool sends the key's release, which
# xdotool then reports as a failure (BadWindow): the log tells whether
# the window closed.
close_window() {
  xdotool key --window "$window" Escape 2>/dev/null || true
  await_log closed
  # Wine's launcher of the window's desktop may linger a moment.
  kill "$window_pid" 2>/dev/null || true
  wait "$window_pid" 2>/dev/null || true
}
