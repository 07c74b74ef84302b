#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: an ending signal ends a run within 2 s
# whatever the X server does (a display that accepts and never answers, a
# stopped server), and a server lost after a first start is reported.
source "$(dirname "$0")/x11_lib.sh"

# ends_soon PID LABEL: SIGTERM ends the run within 2 s, by that signal.
ends_soon() {
  local start; start=$(now_ms)
  kill -TERM "$1"
  if wait_gone "$1" 3; then
    [ "$gone_status" -eq 143 ] || fail "$2: ended with status $gone_status, not by SIGTERM"
    local took=$(( $(now_ms) - start ))
    [ "$took" -le 2000 ] || fail "$2: SIGTERM took $took ms"
    note "$2: ended $took ms after SIGTERM"
  else
    fail "$2: still running 3 s after SIGTERM"
    kill -KILL "$1" 2>/dev/null
  fi
}

# A display that accepts the connection and never answers.
for _ in $(seq 1 20); do
  n=$(( 100 + (RANDOM % 800) ))
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
mkdir -p /tmp/.X11-unix
python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.bind(sys.argv[1]); s.listen(8)
print("ready", flush=True)
time.sleep(120)' "/tmp/.X11-unix/X$n" >"$WORK/listener.out" &
listener=$!; server_pids+=("$listener")
for _ in $(seq 1 50); do [ -s "$WORK/listener.out" ] && break; sleep 0.1; done
for mode in /s /c; do
  DISPLAY=:$n XDG_CONFIG_HOME=$WORK/silent "$ZM" $mode 2>"$OUT/silent.stderr" &
  pid=$!; run_pids+=("$pid")
  sleep 1
  ends_soon "$pid" "silent display, $mode"
done
grep -q "ending at once" "$OUT/silent.stderr" || fail "no word on the display that does not answer"
kill "$listener"; wait "$listener" 2>/dev/null
rm -f "/tmp/.X11-unix/X$n"

# A server stopped while the saver runs.
start_server xvfb Xvfb :@ -screen 0 320x240x24 -nolisten tcp -noreset || finish
export XDG_CONFIG_HOME=$WORK/config
"$ZM" /s -seed 5 2>"$OUT/stopped.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no saver window"
sleep 0.5
kill -STOP "${server_pids[-1]}"
ends_soon "$pid" "stopped server"
kill -CONT "${server_pids[-1]}"
# The next run is still served (the first one left nothing locked).
"$ZM" /s -seed 5 2>"$OUT/after-stop.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no saver window after the stopped server came back"
xdotool key Escape
wait_gone "$pid" 5 || fail "a key did not end the run after the stopped server"

# A server that goes away during a first start (GTK's wait dialog up): the
# run says why and ends with status 1.
rm -rf "$XDG_CONFIG_HOME"
"$ZM" /s 2>"$OUT/lost.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_window "Zelk Mirv" 30 || wait_for_viewable "Zelk Mirv" 30
sleep 0.3
stop_server
wait_gone "$pid" 5 || fail "the run outlived its X server"
[ "$gone_status" -eq 1 ] || fail "a lost server ended the run with status $gone_status"
grep -q "connection to the X display was lost" "$OUT/lost.stderr" ||
  fail "no message for the lost server: $(cat "$OUT/lost.stderr")"
finish
