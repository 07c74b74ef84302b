#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: -window-id (and /p) draw into a window
# made here, write no file, and end when that window is destroyed (-window-id
# waits while it is unmapped); a window
# id that names no window, a display without MIT-SHM, no display and bad
# arguments give clear messages and the right exit status.
source "$(dirname "$0")/x11_lib.sh"
start_server xvfb Xvfb :@ -screen 0 640x480x24 -nolisten tcp || finish
export XDG_CONFIG_HOME=$WORK/config

# draw_into COMMAND LABEL: runs COMMAND on a fresh window ("@" stands for
# its id in hexadecimal, "%" in decimal) until the window is destroyed.
draw_into() {
  local form=$1 label=$2
  mkfifo "$WORK/$label.fifo"
  "$TEST_WINDOW" 320 240 <"$WORK/$label.fifo" >"$WORK/$label.id" &
  local helper=$!
  exec 7>"$WORK/$label.fifo"
  for _ in $(seq 1 50); do [ -s "$WORK/$label.id" ] && break; sleep 0.1; done
  local id; id=$(cat "$WORK/$label.id")
  local form=${form//@/$id}
  local args=(${form//%/$((id))})
  "${args[@]}" -fps 7>&- 2>"$OUT/$label.stderr" &
  local pid=$!; run_pids+=("$pid")
  shot_not_black "$label-a" 20 "$id"
  sleep 0.5
  shot "$label-b" "$id"
  not_black "$label-a"
  differ "$label-a" "$label-b"
  if [ "$label" = window-id-hex ]; then
    # Its host may hide the window for a moment: the drawing waits for it.
    xdotool windowunmap "$id"
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "$label: the run ended when its window was unmapped"
    xdotool windowmap "$id"
    shot_not_black "$label-c" 10 "$id"
  fi
  exec 7>&-  # the helper destroys its window
  wait "$helper"
  local start; start=$(now_ms)
  wait_gone "$pid" 5 || fail "$label: the run outlived its window"
  [ "$gone_status" -eq 0 ] || fail "$label: ended with status $gone_status"
  note "$label: ended $(( $(now_ms) - start )) ms after its window"
}

draw_into "$ZM -window-id @" window-id-hex
draw_into "$ZM /p %" preview-decimal
[ -e "$XDG_CONFIG_HOME" ] && fail "a drawing into someone else's window wrote files: $(find "$XDG_CONFIG_HOME")"

note "-root into the daemon's window: a first start, and the state stored at the end"
export XDG_CONFIG_HOME=$WORK/root-config
draw_into "env XSCREENSAVER_WINDOW=@ $ZM -root" daemon-window
[ -s "$XDG_CONFIG_HOME/zelk-mirv/Zelk_Mirv.par" ] || fail "-root stored no state when its window went"

note "a window id that names no window"
"$ZM" --window-id 0x7fffff0 2>"$WORK/err"; status=$?
[ "$status" -eq 1 ] || fail "a missing window gave status $status"
grep -q "no window 0x7fffff0" "$WORK/err" || fail "no clear message for a missing window: $(cat "$WORK/err")"

note "bad arguments and no display"
for bad in "-bogus" "-speed 9 /s" "-window-id zz" "/p notanumber" "-root -window"; do
  "$ZM" $bad 2>"$WORK/err"; status=$?
  [ "$status" -eq 2 ] || fail "'$bad' gave status $status"
  [ -s "$WORK/err" ] || fail "'$bad' said nothing"
done
DISPLAY= "$ZM" /s 2>"$WORK/err"; status=$?
[ "$status" -eq 2 ] && grep -q "no X display" "$WORK/err" || fail "no display: status $status, $(cat "$WORK/err")"
DISPLAY=:1999 "$ZM" -root 2>"$WORK/err"; status=$?
[ "$status" -eq 2 ] || fail "an unreachable display gave status $status"
"$ZM" /a 1234 || fail "the password change did not end with 0"
stop_server

note "a display without MIT-SHM: plain images"
start_server noshm Xvfb :@ -screen 0 320x240x24 -nolisten tcp -extension MIT-SHM || finish
"$ZM" -window 2>"$OUT/noshm.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no window without MIT-SHM"
sleep 1
shot noshm
not_black noshm
xdotool search --name "^Zelk Mirv$" windowfocus --sync key q 2>/dev/null || xdotool key q
wait_gone "$pid" 5 || fail "the windowed run did not end on a key"
finish
