#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT FRAME_COUNTER: frames stop when nobody
# needs them. A still picture (speed 0) is drawn and then no more images are
# sent; a window fully covered by another gets no frames and takes them up
# again, from where it stood, when it is uncovered (also when frames go
# through Present).
source "$(dirname "$0")/x11_lib.sh"
COUNTER=$4
start_server xvfb Xvfb :@ -screen 0 640x480x24 -br -nolisten tcp || finish
export XDG_CONFIG_HOME=$WORK/config

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
frames_in() { "$COUNTER" count "$1" | awk '$1 == "frames" {print $2}'; }

# A still picture: shown, then no images over two seconds (once the first
# start's dialog has gone).
"$ZM" /s -no-video-mode -speed 0 2>"$OUT/still.stderr" &
still=$!; run_pids+=("$still")
shot_not_black still 30
sleep 1.5
ticks=$(cpu_ticks "$still")
frames=$(frames_in 2)
used=$(( $(cpu_ticks "$still") - ticks ))
note "still picture: $frames frames, $used CPU ticks in 2 s"
[ "$frames" -eq 0 ] || fail "a still picture sent $frames images in 2 s"
[ "$used" -le 4 ] || fail "a still picture used $used CPU ticks in 2 s"
kill "$still"; wait "$still"

# A covered window: no frames (nor work) until it is uncovered; the saver's
# window of its own, and someone else's window that it draws into.
covered() {
  local label=$1; shift
  "$@" 2>"$OUT/$label.stderr" &
  local run=$!; run_pids+=("$run")
  shot_not_black "$label" 20
  local uncovered; uncovered=$(frames_in 1)
  mkfifo "$WORK/$label.fifo"
  "$TEST_WINDOW" 640 480 0 0 <"$WORK/$label.fifo" >"$WORK/$label.id" 7>&- &
  local cover=$!
  exec 8>"$WORK/$label.fifo"
  for _ in $(seq 1 50); do [ -s "$WORK/$label.id" ] && break; sleep 0.1; done
  sleep 0.3
  local ticks; ticks=$(cpu_ticks "$run")
  sleep 2
  local used=$(( $(cpu_ticks "$run") - ticks ))
  exec 8>&-  # the cover goes: counted once its window is gone
  wait "$cover" 2>/dev/null
  sleep 0.3
  local resumed; resumed=$(frames_in 1)
  note "$label: $uncovered frames/s before, $used CPU ticks in 2 s covered, $resumed frames/s after"
  [ "$uncovered" -ge 20 ] || fail "$label: only $uncovered frames in a second before the cover"
  [ "$used" -le 2 ] || fail "$label: a covered window used $used CPU ticks in 2 s"
  [ "$resumed" -ge 20 ] || fail "$label: only $resumed frames in a second after the cover went"
  kill "$run" 2>/dev/null; wait "$run" 2>/dev/null
}
covered own-window "$ZM" -window
# The same through Present, which a virtual framebuffer only gets on request.
covered own-window-present env ZELK_MIRV_PRESENT=1 "$ZM" -window

mkfifo "$WORK/target.fifo"
"$TEST_WINDOW" 320 240 <"$WORK/target.fifo" >"$WORK/target.id" &
exec 7>"$WORK/target.fifo"
for _ in $(seq 1 50); do [ -s "$WORK/target.id" ] && break; sleep 0.1; done
covered window-id "$ZM" -window-id "$(cat "$WORK/target.id")"
exec 7>&-
finish
