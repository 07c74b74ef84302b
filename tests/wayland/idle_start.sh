#!/usr/bin/env bash
# The idle starter (-idle) on a headless sway 1.7 (the KDE idle protocol; no
# input devices, so the session is idle from the start), with a test idle
# time of 3 s (ZM_IDLE_TEST_SECONDS): the saver starts after it, the starter
# starts it again an idle time after it ended, an idle inhibitor held by a
# test client keeps it from starting until released, SIGTERM ends the starter
# and its saver; a key (wtype) ends the saver, which takes the keyboard.
# Usage: idle_start.sh ZELK_MIRV OUTDIR INHIBIT_CLIENT SUPPORT. Exit 77 where sway cannot start.
set -u
ZM=$1
OUT=$2
INHIBIT=$3
SUPPORT=$4
rm -rf "$OUT"
mkdir -p "$OUT"
. "$(dirname "$0")/sway_session.sh"
sway_do output HEADLESS-1 mode 640x480
idle=3

"${in_session[@]}" ZM_IDLE_TEST_SECONDS=$idle "$ZM" -idle >"$WORK/starter.log" 2>&1 &
starter=$!
pids+=($starter)

source "$SUPPORT/idle_lib.sh"

note "idle from the start: the saver comes after the idle time"
t0=$(now_ms)
wait_child 15 || fail "no saver started"
note "started $(( $(now_ms) - t0 )) ms after the starter"
grep -q "org_kde_kwin_idle" "$WORK/starter.log" || fail "the KDE idle protocol was not chosen"
wait_lit first HEADLESS-1 || fail "the saver shows nothing"

note "a key press (wtype) ends the saver"
# The pause lets the saver take the virtual keyboard before the key.
"${in_session[@]}" wtype -s 800 x 2>>"$WORK/wtype.log"
if ! gone_within "$child" 4; then
  fail "the key press did not end the saver"
  kill -TERM "$child"
  gone_within "$child" 10 || fail "the saver did not end on SIGTERM"
fi

note "the next start comes an idle time after the saver ended"
t0=$(now_ms)
none_for 2 "the saver had just ended"
wait_child 10 || fail "no second start"
note "second start $(( $(now_ms) - t0 )) ms after the end"

note "an idle inhibitor keeps it from starting"
"${in_session[@]}" "$INHIBIT" >"$WORK/inhibit.log" 2>&1 &
holder=$!
pids+=($holder)
for _ in $(seq 1 50); do grep -q inhibiting "$WORK/inhibit.log" && break; sleep 0.1; done
grep -q inhibiting "$WORK/inhibit.log" || fail "the inhibiting client did not start"
kill -TERM "$child"
gone_within "$child" 10 || fail "the saver did not end on SIGTERM"
none_for 9 "an idle inhibitor is held"
kill -TERM "$holder"
wait "$holder" 2>/dev/null
wait_child 12 || fail "no start after the inhibitor was released"

note "SIGTERM ends the starter and its saver; the pattern is stored"
rm -f "$WORK/home/.config/zelk-mirv/Zelk_Mirv.par" "$WORK/config/zelk-mirv/Zelk_Mirv.par"
sleep 1
kill -TERM "$starter"
gone_within "$starter" 15 || fail "the starter did not end on SIGTERM"
gone_within "$child" 5 || fail "the saver outlived its starter"
ls "$WORK"/config/zelk-mirv/Zelk_Mirv.par >/dev/null 2>&1 || fail "the saver stored no pattern"
cat "$WORK/starter.log"
[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $(( failures > 0 ))
