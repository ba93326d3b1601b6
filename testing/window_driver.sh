# Starts tovrand-window.exe under Wine on a virtual X display of its own
# and drives it by its keys, for testing/window_test.sh and
# bench/window.sh. Sourced, with these set:
#   wine_script  the tests' tovrand-wine, its prefix started
#   window_exe   tovrand-window.exe
# Defines fail, await_log, mark_log, start_window FOLDER ARGS...,
# press KEYS..., close_window, click_header COLUMN OFFSET, unix_path
# WINDOWS_PATH and data_folder
# FOLDER (a copy of $sample's four files there, and an Output folder);
# $work is a scratch folder, removed at the end, after the caller's
# function leave if it defines one. The display is a screen of
# $screen_width x $screen_height pixels. What the window remembers
# ($remembered, in the prefix's %APPDATA%) is removed first and last:
# each test starts as on a first start.
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
trap 'stop_display; if declare -F leave >/dev/null; then leave; fi; rm -f "${remembered-}"; rm -rf "$work"' EXIT
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

# The Linux path of a path in the Wine prefix.
unix_path() {
  local path
  path=$("$wine_script" exec winepath -u "$1" 2>"$work/winepath.out") ||
    fail "winepath gave no path for $1: $(cat "$work/winepath.out")"
  [ -n "$path" ] || fail "winepath gave no path for $1"
  printf '%s\n' "$path"
}

data_folder() {
  mkdir -p "$1/Output"
  cp "$sample/Tables.ini" "$sample/FPools.txt" "$sample/AlsTeams.txt" \
     "$sample/GETeams.txt" "$1/"
}

app_data=$("$wine_script" exec cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r') ||
  fail "Wine's cmd said no %APPDATA%"
remembered="$(unix_path "$app_data")/tovrand/tovrand-window.txt"
rm -f "$remembered"

# The header's corners on the screen, and the columns' widths, from the
# window's log.
header_rect() {
  local line
  line=$(grep '^header: ' "$log" | tail -n 1)
  [[ $line =~ ^header:\ (-?[0-9]+),(-?[0-9]+)\ (-?[0-9]+),(-?[0-9]+)$ ]] ||
    fail "no header line in the window's log"
  header=("${BASH_REMATCH[@]:1:4}")
  read -r -a widths <<<"$(grep '^columns: ' "$log" | tail -n 1 | cut -d' ' -f2-)"
  [ "${#widths[@]}" -eq 8 ] || fail "no columns line in the window's log"
}
# Clicks the header of column $1 (from 0), $2 pixels right of its middle:
# a click at another spot than the last is never taken for a double one.
click_header() {
  header_rect
  local x=$((header[0] + widths[$1] / 2 + $2)) i
  for ((i = 0; i < $1; i++)); do x=$((x + widths[i])); done
  xdotool mousemove "$x" $(((header[1] + header[3]) / 2)) click 1 ||
    fail "xdotool could not click the header"
}
