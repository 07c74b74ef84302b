#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: windows that misbehave. A preview into
# an unmapped window waits without spinning, ends at SIGTERM or when the
# window is destroyed, and says why; an InputOnly window is refused by name;
# a resized one goes on; window ids beyond 32 bits are refused. The
# full-screen saver comes back when someone unmaps it, and the wheel is no
# input.
source "$(dirname "$0")/x11_lib.sh"
start_server xvfb Xvfb :@ -screen 0 640x480x24 -nolisten tcp -noreset || finish
export XDG_CONFIG_HOME=$WORK/config

# window LABEL KIND: a helper window (kept until fd 7 closes: the runs must
# not inherit it); its id in $id.
window() {
  mkfifo "$WORK/$1.fifo"
  "$TEST_WINDOW" 200 150 $2 <"$WORK/$1.fifo" >"$WORK/$1.id" &
  helper=$!
  exec 7>"$WORK/$1.fifo"
  for _ in $(seq 1 50); do [ -s "$WORK/$1.id" ] && break; sleep 0.1; done
  id=$(cat "$WORK/$1.id")
}

# Processor seconds (user + system) a process has used so far.
cpu_seconds() { awk '{ printf "%.2f", ($14 + $15) / 100 }' "/proc/$1/stat"; }

# An unmapped window: calm waiting, and SIGTERM is honoured.
window unmapped unmapped
"$ZM" /p $((id)) 7>&- 2>"$OUT/unmapped.stderr" &
pid=$!; run_pids+=("$pid")
sleep 2
used=$(cpu_seconds "$pid")
awk -v u="$used" 'BEGIN { exit !(u < 1.0) }' || fail "waiting for an unmapped window used $used s of CPU in 2 s"
note "unmapped: $used s of CPU in 2 s of waiting"
kill -TERM "$pid"
wait_gone "$pid" 2 || fail "SIGTERM did not end the wait for an unmapped window"
exec 7>&-; wait "$helper"

# Destroyed while unmapped: the wait ends at once and says so.
window destroyed unmapped
"$ZM" -window-id "$id" 7>&- 2>"$OUT/destroyed.stderr" &
pid=$!; run_pids+=("$pid")
sleep 1
exec 7>&-; wait "$helper"
wait_gone "$pid" 2 || fail "the wait outlived its destroyed window"
[ "$gone_status" -eq 1 ] || fail "a destroyed window ended with status $gone_status"
grep -q "destroyed before it became visible" "$OUT/destroyed.stderr" ||
  fail "no word on the destroyed window: $(cat "$OUT/destroyed.stderr")"

# InputOnly: refused at once, naming the cause.
window input-only input-only
start=$(now_ms)
"$ZM" /p $((id)) 7>&- 2>"$OUT/input-only.stderr"
status=$?
[ "$status" -eq 1 ] || fail "an InputOnly window ended with status $status"
[ $(( $(now_ms) - start )) -lt 3000 ] || fail "the InputOnly window took $(( $(now_ms) - start )) ms"
grep -q "input-only" "$OUT/input-only.stderr" ||
  fail "the InputOnly window's message does not say so: $(cat "$OUT/input-only.stderr")"
exec 7>&-; wait "$helper"

# Resized while drawn into: the preview goes on.
window resized ""
"$ZM" -window-id "$id" 7>&- 2>"$OUT/resized.stderr" &
pid=$!; run_pids+=("$pid")
shot_not_black resized-a 20 "$id"
xdotool windowsize "$id" 300 60
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the preview ended when its window was resized"
exec 7>&-; wait "$helper"
wait_gone "$pid" 5 || fail "the resized window's preview outlived it"

# Window ids beyond 32 bits would be cut to another window (here the root).
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
: >"$OUT/big.stderr"
for big in $(( (1 << 32) + root )) "0x1$(printf %08x $((root)))"; do
  "$ZM" /p "$big" 2>>"$OUT/big.stderr" && fail "/p $big ran"
  "$ZM" -window-id "$big" 2>>"$OUT/big.stderr" && fail "-window-id $big ran"
done
XSCREENSAVER_WINDOW=$(( (1 << 32) + root )) "$ZM" -root 2>>"$OUT/big.stderr" &&
  fail "-root ran with a window id beyond 32 bits"
[ "$(grep -c "not a window id" "$OUT/big.stderr")" -ge 3 ] || fail "window ids beyond 32 bits: $(cat "$OUT/big.stderr")"

# The full-screen saver: unmapped by someone else, it comes back; the wheel
# ends nothing; a button does.
"$ZM" /s -seed 9 2>"$OUT/saver.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || { fail "no saver window"; finish; }
saver=$(xwininfo -name "Zelk Mirv" | awk '/Window id:/ { print $4 }')
xdotool windowunmap "$saver"
sleep 1
xwininfo -id "$saver" | grep -q IsViewable || fail "the unmapped saver window stayed unmapped"
sleep 0.5
for button in 4 5 6 7; do xdotool click "$button"; done
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the mouse wheel ended the run"
xdotool click 1
wait_gone "$pid" 5 || fail "a button did not end the run"
finish
