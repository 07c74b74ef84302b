#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT CONF: runs follow their window's size.
# A -window-id run and a -root run in the daemon's window keep the picture
# filling a host window made larger and smaller mid-run; on the dummy X
# server, a full-screen run takes the screen's new size when RandR changes it.
source "$(dirname "$0")/x11_lib.sh"
conf=$4

# The host windows' background: magenta shows where nobody drew.
export TEST_WINDOW_BACKGROUND=ff00ff

corner() {
  convert "$OUT/$1.png" -gravity SouthEast -crop 15%x15%+0+0 +repage -depth 8 rgb:-
}

# size_is LABEL WIDTH HEIGHT
size_is() {
  local size; size=$(identify -format '%wx%h' "$OUT/$1.png")
  [ "$size" = "$2x$3" ] || fail "$1: a picture of $size, not $2x$3"
}

# window_filled LABEL WIDTH HEIGHT: no background shows anywhere.
window_filled() {
  size_is "$@"
  local bare
  bare=$(convert "$OUT/$1.png" -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' \
    -format '%[fx:mean*w*h]' info: | cut -d. -f1)
  [ "$bare" -eq 0 ] || fail "$1: $bare pixels of the window are not drawn"
}

# screen_filled LABEL WIDTH HEIGHT: the far corner, where an older smaller
# frame would not reach, moves within two seconds.
screen_filled() {
  size_is "$@"
  local i
  for i in 1 2 3 4; do
    sleep 0.5
    shot "$1-$i"
    cmp -s <(corner "$1") <(corner "$1-$i") || return 0
  done
  fail "$1: the far corner stands still"
}

# resized_host LABEL ARGS...: the run draws into a 320x240 window ("@" is
# its id) that grows to 560x420, then shrinks to 200x150.
resized_host() {
  local label=$1; shift
  mkfifo "$WORK/$label.fifo"
  "$TEST_WINDOW" 320 240 <"$WORK/$label.fifo" >"$WORK/$label.id" &
  local helper=$!
  exec 7>"$WORK/$label.fifo"
  for _ in $(seq 1 50); do [ -s "$WORK/$label.id" ] && break; sleep 0.1; done
  local id; id=$(cat "$WORK/$label.id")
  local args=("${@//@/$id}")
  "${args[@]}" 7>&- 2>"$OUT/$label.stderr" &
  local pid=$!; run_pids+=("$pid")
  shot_not_black "$label-320" 20 "$id"
  local size
  for size in 560x420 200x150 480x360; do
    xdotool windowsize "$id" "${size%x*}" "${size#*x}"
    sleep 1
    shot "$label-$size" "$id"
    window_filled "$label-$size" "${size%x*}" "${size#*x}"
  done
  kill -0 "$pid" 2>/dev/null || fail "$label: the run ended while its window changed size"
  exec 7>&-
  wait "$helper"
  wait_gone "$pid" 5 || fail "$label: the run outlived its window"
  [ "$gone_status" -eq 0 ] || fail "$label: ended with status $gone_status"
  [ -s "$OUT/$label.stderr" ] && fail "$label: said $(cat "$OUT/$label.stderr")"
}

start_server xvfb Xvfb :@ -screen 0 800x600x24 -nolisten tcp || finish
export XDG_CONFIG_HOME=$WORK/config
note "-window-id into a window that changes its size"
resized_host window-id "$ZM" -window-id @
note "-root into the daemon's window that changes its size"
resized_host daemon-window env XSCREENSAVER_WINDOW=@ "$ZM" -root
stop_server

[ "$(id -u)" -eq 0 ] || { echo "SKIP: the dummy X server needs root"; finish; }
note "a full-screen run while the screen changes its size"
start_server xorg Xorg :@ -config "$conf" -logfile "$OUT/xorg.log" -noreset -nolisten tcp \
  -novtswitch -sharevts || finish
mkdir -p "$XDG_CONFIG_HOME/zelk-mirv"
printf '[BASIC_PARAMETERS]\nuse_DirectX=0\n' >"$XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini"
output=$(xrandr | awk '/ connected/ {print $1; exit}')
xrandr --output "$output" --mode 800x600
"$ZM" /s 2>"$OUT/full-screen.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no saver window"
shot_not_black full-800x600 20
for mode in 1024x768 640x480; do
  xrandr --output "$output" --mode "$mode" --fb "$mode"
  sleep 1.5
  shot "full-$mode"
  screen_filled "full-$mode" "${mode%x*}" "${mode#*x}"
done
xdotool key Return
wait_gone "$pid" 5 || fail "the full-screen run did not end on a key"
[ "$gone_status" -eq 0 ] || fail "the full-screen run ended with status $gone_status"
finish
