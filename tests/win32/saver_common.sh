# Shell pieces for the saver's end-to-end tests, on top of harness.sh: a
# fresh folder per run with its own copy of the .scr (its files go beside
# it), starting and ending runs, and what the X server shows of them.
# Source harness.sh first.

ZM_SAVER_PID=""
ZM_WAIT_DIALOG_SIZE=380x70

# The test's X server and the shared Wine prefix. The server is Xvfb with a
# screen WIDTHxHEIGHTxDEPTH (1024x768x24 unless given), xorg-dummy or
# two-monitors (the dummy driver with two monitors) or xorg-refresh (the
# dummy driver at 1024x768 with modes of other refresh rates to come).
# Usage: zm_saver_init OUTDIR NAME [SCREEN|xorg-dummy|two-monitors|xorg-refresh]
zm_saver_init() {
  zm_harness_init "$1/$2"
  if [ "${3:-}" = xorg-dummy ]; then
    zm_start_xorg_dummy
  elif [ "${3:-}" = two-monitors ]; then
    zm_start_xorg_two_monitors
  elif [ "${3:-}" = xorg-refresh ]; then
    zm_start_xorg_refresh
  else
    zm_start_xvfb "${3:-1024x768x24}"
  fi
  ZM_SCREEN=$(zm_screen_size)
  zm_wine_prefix "$1/wineprefix"
  # Wine has no saver-password library; a stand-in that a killed password
  # test left behind must not ask the other tests for a password.
  rm -f "$WINEPREFIX/drive_c/windows/system32/PASSWORD.CPL"
  trap zm_saver_cleanup EXIT
}

zm_saver_cleanup() {
  if [ -n "$ZM_SAVER_PID" ]; then kill "$ZM_SAVER_PID" 2>/dev/null || true; fi
  zm_cleanup
}

# Makes OUTDIR/NAME with a copy of the saver in it; prints the folder.
zm_saver_folder() {
  local folder="$ZM_OUT/$1"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$ZM_SCR" "$folder/zelk_mirv.scr"
  echo "$folder"
}

# Starts the saver of FOLDER with the arguments given (default /s) in the
# background; its output goes to FOLDER.log.
zm_saver_start() {
  local folder=$1
  shift
  [ $# -gt 0 ] || set -- /s
  zm_wine "$folder/zelk_mirv.scr" "$@" >"$folder.log" 2>&1 &
  ZM_SAVER_PID=$!
}

zm_saver_alive() {
  kill -0 "$ZM_SAVER_PID" 2>/dev/null
}

# Waits up to SECONDS for the run to end; fails if it does not. Leaves the
# exit status in ZM_SAVER_STATUS.
zm_saver_wait_exit() {
  local seconds=${1:-10} started
  started=$(date +%s%N)
  for _ in $(seq $((seconds * 50))); do
    zm_saver_alive || break
    sleep 0.02
  done
  zm_saver_alive && zm_abort "the saver still runs ${seconds}s later"
  echo "the saver ended $((($(date +%s%N) - started) / 1000000)) ms after the input"
  ZM_SAVER_STATUS=0
  wait "$ZM_SAVER_PID" || ZM_SAVER_STATUS=$?
  ZM_SAVER_PID=""
  [ "$ZM_SAVER_STATUS" -eq 0 ] || zm_fail "the saver ended with $ZM_SAVER_STATUS"
}

# Fails unless the run is still going after SECONDS.
zm_saver_expect_alive() {
  sleep "${1:-0.5}"
  zm_saver_alive || zm_fail "the saver ended: $2"
}

# Sends a key press to the window that has the focus (the saver's).
zm_saver_key() {
  xdotool key "${1:-space}"
}

# Moves the pointer to X Y (one motion event) and fails if that ended the
# run; WHY says what the move is. The pause lets Wine deliver the event
# before the next one (it merges motion events that queue up).
zm_saver_move() {
  xdotool mousemove "$1" "$2"
  sleep 0.3
  zm_saver_alive || zm_fail "the saver ended at the move to $1,$2: $3"
}

# The X windows (mapped or not) of a size WIDTHxHEIGHT, one id a line.
zm_windows_of_size() {
  xwininfo -root -tree | awk -v size="$1" '$1 ~ /^0x/ && index($0, " " size "+") { print $1 }'
}

# Whether a viewable window covers the whole screen (WIDTHxHEIGHT at 0,0).
zm_full_screen_window_shown() {
  local id
  for id in $(xwininfo -root -tree | awk -v size="$1" '$1 ~ /^0x/ && index($0, " " size "+0+0") { print $1 }'); do
    zm_window_viewable "$id" && return 0
  done
  return 1
}

zm_expect_full_screen_window() {
  zm_full_screen_window_shown "$1" || zm_fail "no window covers the screen ($1)"
}

# Whether the window is mapped and viewable.
zm_window_viewable() {
  xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# Waits for the wait dialog (a borderless window of 380 x 70, which Wine
# leaves unnamed) to show, takes a screenshot NAME of it and prints its
# window id. Fails if it never shows within SECONDS.
zm_expect_wait_dialog() {
  local name=$1 seconds=${2:-30} id
  for _ in $(seq $((seconds * 50))); do
    for id in $(zm_windows_of_size "$ZM_WAIT_DIALOG_SIZE"); do
      if zm_window_viewable "$id"; then
        zm_screenshot "$name" >/dev/null
        echo "$id"
        return 0
      fi
    done
    zm_saver_alive || zm_abort "the saver ended before its wait dialog showed"
    sleep 0.02
  done
  zm_abort "no wait dialog within ${seconds}s"
}

# Waits until the screen shows the ornament (a picture, not black); takes
# the screenshot NAME and prints its path.
zm_wait_picture() {
  local name=$1 seconds=${2:-60} shot stats mean colours
  for _ in $(seq $((seconds * 4))); do
    zm_saver_alive || zm_abort "the saver ended before it drew"
    shot=$(zm_screenshot "$name")
    read -r mean colours <<<"$(zm_image_stats "$shot")"
    if awk -v m="$mean" -v c="$colours" 'BEGIN { exit !(m > 0.02 && c >= 64) }'; then
      echo "$shot"
      return 0
    fi
    sleep 0.25
  done
  zm_abort "the screen shows no ornament within ${seconds}s"
}

# Fails unless two screenshots differ.
zm_expect_change() {
  local differ
  differ=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [ "$differ" != 0 ] || zm_fail "$1 and $2 are the same picture"
  echo "the picture changed: $differ pixels differ"
}

# Fails unless FILE's size is BYTES.
zm_expect_size() {
  local size
  [ -f "$1" ] || { zm_fail "$1 does not exist"; return 0; }
  size=$(stat -c %s "$1")
  [ "$size" -eq "$2" ] || zm_fail "$1 has $size bytes, not $2"
}

# The value of KEY in the settings file (the first occurrence, no CR).
zm_ini_value() {
  tr -d '\r' <"$1" | awk -F= -v key="$2" '$1 == key { print substr($0, length(key) + 2); exit }'
}

# Writes a settings file: BASIC_PARAMETERS with the KEY=VALUE arguments.
zm_write_ini() {
  local file=$1
  shift
  { printf '[BASIC_PARAMETERS]\r\n'; printf '%s\r\n' "$@"; } >"$file"
}

# Writes a pattern state file of WIDTH x HEIGHT whose two maps hold VALUE
# everywhere.
zm_write_state() {
  perl -e 'my ($w, $h, $v) = @ARGV; print pack("l<l<", $w, $h), pack("s<", $v) x (2 * $w * $h)' \
    "$2" "$3" "$4" >"$1"
}

# The size of a state file of the screen's size: 8 + 4 x width x height.
zm_state_bytes() {
  echo $((8 + 4 * ${ZM_SCREEN%x*} * ${ZM_SCREEN#*x}))
}

# The caption "Initializing...   Please wait." is one line. Wine's stand-in
# for "MS Sans Serif" is wider than the label's 147 pixels at design, so a
# label of the design width would wrap it and lose "wait.": the ink would end
# some 25 pixels short of the design's right edge. The real face (which the
# dialog tests copy into the shared prefix) fits the design and ends within a
# pixel or two of it, so the check allows 12 pixels.
zm_expect_whole_caption() {
  local x y ink right
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
  # The label's row, inside the bevel; the ink's bounding box (%@).
  ink=$(convert "$2" -crop "372x16+$((x + 4))+$((y + 16))" +repage -colorspace gray \
    -threshold 50% -negate -format '%@' info:)
  right=$((4 + ${ink%%x*} + $(echo "$ink" | cut -d+ -f2)))
  [ "$right" -gt $((116 + 147 - 12)) ] || zm_fail "the caption ends at x $right: its last word is cut off"
  echo "the caption's ink ends at x $right in the dialog"
}

# The share of the progress bar's inside that shows the bar's fill colour
# (blue) in a screenshot, for the dialog window given.
zm_bar_fill() {
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
  convert "$2" -crop "357x12+$((x + 11))+$((y + 46))" +repage -fx 'b - r > 0.2 ? 1 : 0' \
    -format '%[fx:mean]' info:
}

# Follows the wait dialog until it hides: its bar stands nearly full at the
# end of the warm-up: 99 of 100, never 100.
zm_expect_bar_fills() {
  local dialog=$1 name=$2 last="" shot first_fill last_fill
  while zm_window_viewable "$dialog"; do
    shot=$(zm_screenshot "$name-wait-dialog-now")
    if zm_window_viewable "$dialog"; then
      mv "$shot" "$ZM_OUT/$name-wait-dialog-last.png"
      last="$ZM_OUT/$name-wait-dialog-last.png"
    fi
    sleep 0.1
  done
  rm -f "$ZM_OUT/$name-wait-dialog-now.png"
  [ -n "$last" ] || zm_fail "the wait dialog hid at once"
  first_fill=$(zm_bar_fill "$dialog" "$ZM_OUT/$name-wait-dialog.png")
  last_fill=$(zm_bar_fill "$dialog" "$last")
  # (How full it is when first seen depends on how soon the screenshot came.)
  awk -v b="$last_fill" 'BEGIN { exit !(b >= 0.9 && b < 1) }' ||
    zm_fail "the wait dialog's bar went from $first_fill to $last_fill"
  echo "$name: the bar filled from $first_fill to $last_fill"
}

# A first start: the saver of FOLDER must show the wait dialog (its whole
# caption, its bar at 99 at the end), then the ornament full-screen and
# moving, and end by a key, with a state file of the screen's size in FILES
# (default: beside the .scr). Screenshots are named after NAME.
zm_first_start_run() {
  local folder=$1 name=$2 files=${3:-$1} started
  started=$(date +%s.%N)
  zm_saver_start "$folder"
  local dialog
  dialog=$(zm_expect_wait_dialog "$name-wait-dialog")
  local at
  at=$(xwininfo -id "$dialog" | awk '/-geometry/ { print $2 }')
  [ "$at" = "380x70+$(((${ZM_SCREEN%x*} - 380) / 2))+$(((${ZM_SCREEN#*x} - 70) / 2))" ] ||
    zm_fail "the wait dialog is not centred: $at on $ZM_SCREEN"
  echo "$name: the wait dialog showed, centred ($at)"
  zm_expect_whole_caption "$dialog" "$ZM_OUT/$name-wait-dialog.png"
  zm_expect_bar_fills "$dialog" "$name"
  local one two
  one=$(zm_wait_picture "$name-ornament-1")
  echo "$name: drawing $(awk -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }')s after the start"
  zm_expect_full_screen_window "$ZM_SCREEN"
  sleep 0.5
  two=$(zm_screenshot "$name-ornament-2")
  zm_expect_picture "$two"
  zm_expect_change "$one" "$two"
  zm_saver_key
  zm_saver_wait_exit 10
  echo "$name: a key ended the run with 0"
  zm_expect_size "$files/Zelk_Mirv.par" "$(zm_state_bytes)"
}
