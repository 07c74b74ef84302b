#!/usr/bin/env bash
# The saver's first start under Wine on Xvfb, in a folder with nothing but
# the .scr: the wait dialog shows while the first patterns are computed, the
# ornament then runs full-screen and moves, a key ends the run, and the
# state file (the screen's size) and the settings file (without a settings
# file use_DirectX reads as on: the page-flipped path, in the one mode Xvfb
# offers) are written beside the .scr. Then a truncated and a corrupted
# state file each lead to a normal first start again, never a crash.
#
# Usage: saver_first_start.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
# A small screen keeps the three warm-ups short.
zm_saver_init "$out" saver_first_start 640x480x24
screen=$(zm_screen_size)
width=${screen%x*}
height=${screen#*x}
state_bytes=$((8 + 4 * width * height))

# The caption "Initializing...   Please wait." is one line. Wine's stand-in
# for "MS Sans Serif" is wider than the label's 147 pixels at design, so its
# ink reaches past them only when the label has grown to fit the caption
# (a label of the design width wraps it and loses "wait.").
expect_whole_caption() {
  local x y ink right
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
  # The label's row, inside the bevel; the ink's bounding box (%@).
  ink=$(convert "$2" -crop "372x16+$((x + 4))+$((y + 16))" +repage -colorspace gray \
    -threshold 50% -negate -format '%@' info:)
  right=$((4 + ${ink%%x*} + $(echo "$ink" | cut -d+ -f2)))
  [ "$right" -gt $((116 + 147)) ] || zm_fail "the caption ends at x $right: its last word is cut off"
  echo "the caption's ink ends at x $right in the dialog"
}

# The share of the progress bar's inside that shows the bar's fill colour
# (blue) in a screenshot, for the dialog window given.
bar_fill() {
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
  convert "$2" -crop "357x12+$((x + 11))+$((y + 46))" +repage -fx 'b - r > 0.2 ? 1 : 0' \
    -format '%[fx:mean]' info:
}

# Follows the wait dialog until it hides: its bar stands nearly full at the
# end of the warm-up: 99 of 100, never 100.
expect_bar_fills() {
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
  first_fill=$(bar_fill "$dialog" "$ZM_OUT/$name-wait-dialog.png")
  last_fill=$(bar_fill "$dialog" "$last")
  # (How full it is when first seen depends on how soon the screenshot came.)
  awk -v b="$last_fill" 'BEGIN { exit !(b >= 0.9 && b < 1) }' ||
    zm_fail "the wait dialog's bar went from $first_fill to $last_fill"
  echo "$name: the bar filled from $first_fill to $last_fill"
}

# A run that must start with the wait dialog and end by a key; the state
# file is written into FILES (default: beside the .scr).
first_start_run() {
  local folder=$1 name=$2 files=${3:-$1} started
  started=$(date +%s.%N)
  zm_saver_start "$folder"
  local dialog
  dialog=$(zm_expect_wait_dialog "$name-wait-dialog")
  echo "$name: the wait dialog showed"
  expect_whole_caption "$dialog" "$ZM_OUT/$name-wait-dialog.png"
  expect_bar_fills "$dialog" "$name"
  local one two
  one=$(zm_wait_picture "$name-ornament-1")
  echo "$name: drawing $(awk -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }')s after the start"
  zm_expect_full_screen_window "$screen"
  sleep 0.5
  two=$(zm_screenshot "$name-ornament-2")
  zm_expect_picture "$two"
  zm_expect_change "$one" "$two"
  zm_saver_key
  zm_saver_wait_exit 10
  echo "$name: a key ended the run with 0"
  zm_expect_size "$files/Zelk_Mirv.par" "$state_bytes"
}

folder=$(zm_saver_folder first)
first_start_run "$folder" first

# The settings: BASIC_PARAMETERS with its seven keys in order, then PATTERNS.
ini="$folder/zelk_mirv.ini"
[ -f "$ini" ] || zm_fail "no settings file after the run"
cp "$ini" "$ZM_OUT/first-zelk_mirv.ini"
layout=$(tr -d '\r' <"$ini" | sed -n 's/^\[\(.*\)\]$/[\1]/p; s/^\([^=[]*\)=.*/\1/p' | paste -sd' ')
expected="[BASIC_PARAMETERS] PATTERN_MODE SHAPE_SPEED use_DirectX Height Width RefreshRate BitPerPix [PATTERNS] Pattern Show_All"
[ "$layout" = "$expected" ] || zm_fail "settings file layout: $layout"
[ "$(zm_ini_value "$ini" use_DirectX)" = 1 ] || zm_fail "use_DirectX is not stored as on"
# Xvfb offers only its own mode, which is the default 640x480 here.
stored="$(zm_ini_value "$ini" Width)x$(zm_ini_value "$ini" Height)"
[ "$stored" = "$screen" ] || zm_fail "stored mode $stored, not the screen's $screen"
echo "settings file: $layout (mode $stored at $(zm_ini_value "$ini" BitPerPix) bits)"

# A state file cut short: treated as missing.
head -c $((state_bytes / 2)) "$folder/Zelk_Mirv.par" >"$ZM_OUT/truncated.par"
cp "$ZM_OUT/truncated.par" "$folder/Zelk_Mirv.par"
first_start_run "$folder" truncated

# A state file of the right size whose values lie outside 0..1000.
bytes=$(stat -c %s "$folder/Zelk_Mirv.par")
{ head -c 8 "$folder/Zelk_Mirv.par"; perl -e 'print "\xff\x7f" x $ARGV[0]' $(((bytes - 8) / 2)); } \
  >"$ZM_OUT/corrupted.par"
cp "$ZM_OUT/corrupted.par" "$folder/Zelk_Mirv.par"
first_start_run "$folder" corrupted

# A .scr in a folder nobody may write to (a read-only file system, which
# binds root too) keeps its files in %LOCALAPPDATA%\Zelk Mirv\ instead.
readonly_folder="$ZM_OUT/read-only"
user_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Zelk Mirv"
mkdir -p "$readonly_folder"
if mount -t tmpfs -o size=16m zm-read-only "$readonly_folder" 2>/dev/null; then
  trap 'umount "$readonly_folder" 2>/dev/null || true; zm_saver_cleanup' EXIT
  cp "$ZM_SCR" "$readonly_folder/zelk_mirv.scr"
  mount -o remount,ro "$readonly_folder"
  rm -rf "$user_folder"
  first_start_run "$readonly_folder" read-only "$user_folder"
  [ "$(ls -A "$readonly_folder")" = zelk_mirv.scr ] || zm_fail "files beside a read-only .scr"
  [ -f "$user_folder/zelk_mirv.ini" ] || zm_fail "no settings file in $user_folder"
  echo 'read-only: the files went to %LOCALAPPDATA%\Zelk Mirv\'
  umount "$readonly_folder"
else
  echo "SKIP read-only: cannot mount a file system here (needs root)"
fi
echo "saver first start passed"
