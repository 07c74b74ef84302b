#!/usr/bin/env bash
# The idle starter (-idle) over ext-idle-notify-v1, which none of the test
# hosts' compositors offers: a server of a seat and that protocol alone
# (zm-wl-idle-notify-server) makes every notification idle its timeout after
# it was asked for. The starter chooses the protocol, asks for the idle time
# (1 s, ZM_IDLE_TEST_SECONDS), starts the saver when idle; the saver finds no
# shell to cover the screen with and ends with status 2, which the starter
# reports before it asks for a new notification and starts again an idle
# time later; SIGTERM ends the starter, and the server sees its notification go.
# Usage: idle_notify.sh ZELK_MIRV SERVER OUTDIR
set -u
ZM=$1
SERVER=$2
OUT=$3
rm -rf "$OUT"
mkdir -p -m 700 "$OUT/runtime"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# wait_for FILE PATTERN COUNT SECONDS: until FILE has COUNT lines matching.
wait_for() {
  local end=$(( $(now_ms) + $4 * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    [ "$(grep -c -- "$2" "$1" 2>/dev/null)" -ge "$3" ] && return 0
    sleep 0.05
  done
  return 1
}

export XDG_RUNTIME_DIR=$OUT/runtime
"$SERVER" zm-idle >"$OUT/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; kill "$starter" 2>/dev/null; wait 2>/dev/null' EXIT
wait_for "$OUT/server.log" serving 1 5 || { cat "$OUT/server.log"; echo "FAIL: no server"; exit 1; }

env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY=zm-idle ZM_IDLE_TEST_SECONDS=1 \
  HOME="$OUT" XDG_CONFIG_HOME="$OUT/config" "$ZM" -idle >"$OUT/starter.log" 2>&1 &
starter=$!

wait_for "$OUT/starter.log" "(ext-idle-notify-v1)" 1 5 || fail "ext-idle-notify-v1 was not chosen"
wait_for "$OUT/server.log" "idle notification ms 1000" 1 5 || fail "no notification of 1000 ms"
wait_for "$OUT/starter.log" "saver started" 1 5 || fail "no saver started when idle"
wait_for "$OUT/starter.log" "exit status 2; waiting again" 1 5 || fail "the saver's end not reported"
ended=$(now_ms)
wait_for "$OUT/starter.log" "saver started" 2 5 || fail "no second start"
again=$(( $(now_ms) - ended ))
[ "$again" -ge 800 ] || fail "the second start came $again ms after the first saver ended"
echo "second start $again ms after the first saver ended"
[ "$(grep -c "idle notification ms" "$OUT/server.log")" -ge 2 ] ||
  fail "no new notification after the saver ended"

kill -TERM "$starter"
wait "$starter"
status=$?
# Its orderly end done, the starter ends as the signal ends a process.
[ "$status" -eq 143 ] || fail "the starter ended with status $status on SIGTERM"
wait_for "$OUT/server.log" "notification destroyed" "$(grep -c "idle notification ms" "$OUT/server.log")" 3 ||
  fail "a notification was left behind"

if [ "$failures" -ne 0 ]; then
  echo "--- starter"; cat "$OUT/starter.log"; echo "--- server"; cat "$OUT/server.log"
  exit 1
fi
echo "PASS"
