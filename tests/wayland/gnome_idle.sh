#!/usr/bin/env bash
# The idle starter (-idle) under a headless GNOME compositor (mutter) on a
# private session bus: it chooses org.gnome.Mutter.IdleMonitor, starts nothing
# while the session manager (a stand-in) says idleness is inhibited, and its
# idle watch starts the saver once that ends (a fullscreen toplevel there, as
# mutter has no layer shell).
# Usage: gnome_idle.sh ZELK_MIRV OUTDIR SUPPORT. Exit 77 where mutter cannot run.
set -u
ZM=$1
OUT=$2
SUPPORT=$3
PY=/usr/bin/python3
rm -rf "$OUT"
mkdir -p "$OUT"
command -v mutter >/dev/null || { echo "no mutter"; exit 77; }
. "$(dirname "$0")/unprivileged_work.sh"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  cp "$WORK"/*.log "$OUT"/ 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "-- $*"; }
source "$SUPPORT/idle_lib.sh"

user_env=(env -i "HOME=$WORK/home" "XDG_RUNTIME_DIR=$WORK/run" "XDG_CONFIG_HOME=$WORK/config"
          PATH=/usr/bin:/bin)
"${as_user[@]}" "${user_env[@]}" dbus-daemon --session --nofork --print-address=1 \
  >"$WORK/bus" 2>"$WORK/bus.log" &
pids+=($!)
for _ in $(seq 1 50); do [ -s "$WORK/bus" ] && break; sleep 0.1; done
session=("${as_user[@]}" "${user_env[@]}" "DBUS_SESSION_BUS_ADDRESS=$(head -1 "$WORK/bus")")
"${session[@]}" mutter --headless --wayland --no-x11 --virtual-monitor 640x480 \
  >"$WORK/mutter.log" 2>&1 &
pids+=($!)
monitor() {
  "${session[@]}" gdbus call --session --dest org.gnome.Mutter.IdleMonitor \
    --object-path /org/gnome/Mutter/IdleMonitor/Core --method org.gnome.Mutter.IdleMonitor.GetIdletime
}
for _ in $(seq 1 100); do monitor >/dev/null 2>&1 && break; sleep 0.1; done
monitor >/dev/null 2>&1 || { echo "mutter did not start"; cat "$WORK/mutter.log"; exit 77; }
display=$(ls "$WORK/run" | grep -E '^wayland-[0-9]+$' | head -1)

"${session[@]}" $PY "$SUPPORT/session_manager.py" >"$WORK/session_manager.log" 2>&1 &
manager=$!
pids+=($manager)
for _ in $(seq 1 50); do grep -q owned "$WORK/session_manager.log" && break; sleep 0.1; done

"${session[@]}" WAYLAND_DISPLAY="$display" ZM_IDLE_TEST_SECONDS=3 "$ZM" -idle \
  >"$WORK/starter.log" 2>&1 &
starter=$!
pids+=($starter)
started() { grep -c "saver started" "$WORK/starter.log"; }

note "the session manager inhibits idleness: nothing starts"
end=$(( $(now_ms) + 8000 ))
while [ "$(now_ms)" -lt "$end" ]; do
  [ "$(started)" = 0 ] || { fail "a saver started although idleness is inhibited"; break; }
  sleep 0.2
done
grep -q "org.gnome.Mutter.IdleMonitor" "$WORK/starter.log" || fail "the idle monitor was not chosen"
grep -q "session manager says idleness is inhibited" "$WORK/starter.log" ||
  fail "the starter did not say why it waits"

note "the inhibition ends: the idle watch starts the saver"
kill "$manager"
end=$(( $(now_ms) + 12000 ))
while [ "$(now_ms)" -lt "$end" ] && [ "$(started)" = 0 ]; do sleep 0.2; done
[ "$(started)" -ge 1 ] || fail "no saver started after the inhibition ended"
sleep 1
kill -0 "$starter" 2>/dev/null || fail "the starter ended with its saver"
kill -TERM "$starter"
for _ in $(seq 1 100); do kill -0 "$starter" 2>/dev/null || break; sleep 0.1; done
kill -0 "$starter" 2>/dev/null && fail "the starter did not end on SIGTERM"
cat "$WORK/starter.log"
[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $(( failures > 0 ))
