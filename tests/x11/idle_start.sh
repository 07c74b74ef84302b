#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT SUPPORT: the idle starter (-idle) on Xvfb,
# whose idle time grows while nobody types. With a test idle time of 3 s
# (ZM_IDLE_TEST_SECONDS) it starts the saver, input ends it, it starts it
# again after the next idle time; a client holding the screen saver suspended
# and an Inhibit on org.freedesktop.ScreenSaver (a private session bus) keep it
# from starting until released or until the caller leaves the bus, and so does
# another saver running on the display; a crashed
# saver is reported and the starter goes on; SIGTERM ends the starter and its
# saver with the pattern stored; the setup dialog's "Start after" turns it on
# and off; with xscreensaver's daemon on the display it says so and ends; with
# no idle source at all, status 2.
source "$(dirname "$0")/x11_lib.sh"
SUPPORT=$4
PY=/usr/bin/python3
idle=3

start_server xvfb Xvfb :@ -screen 0 640x480x24 -nolisten tcp -ac || finish
start_session

"${session[@]}" ZM_IDLE_TEST_SECONDS=$idle "$ZM" -idle >"$OUT/starter.log" 2>&1 &
starter=$!
run_pids+=($starter)

child_of_starter() { pgrep -P "$starter" -f 'zelk-mirv /s' | head -1; }
source "$SUPPORT/idle_lib.sh"
# end_by_key: a key press ends the running saver. A saver that has just
# started may not hold the keyboard yet: the key is pressed again each second.
end_by_key() {
  local _
  for _ in 1 2 3 4 5 6 7 8; do
    xdotool mousemove 10 10 key space
    gone_within "$child" 1 && return 0
  done
  fail "$1: key presses did not end the saver"
}

note "idle: the saver starts after the idle time"
wait_child 15 || fail "no saver started after ${idle} s without input"
shot_not_black idle_first 30
end_by_key "first run"
t0=$(date +%s.%N)
note "input ended it: the next start comes a full idle time later"
none_for 2 "the user had just typed"
wait_child 10 || fail "no second start"
elapsed=$(echo "$(date +%s.%N) - $t0" | bc)
note "second start ${elapsed} s after the key press"
shot_not_black idle_second 20

note "a saver ended without input (SIGTERM) is followed by one after another idle time"
kill -TERM "$child"
gone_within "$child" 10 || fail "the saver did not end on SIGTERM"
none_for 2 "the last saver had just ended"
wait_child 10 || fail "no start after a saver ended without input"

note "a saver that crashes is reported and the starter goes on"
kill -SEGV "$child"
gone_within "$child" 10 || fail "the crashed saver is still there"
wait_child 10 || fail "no start after a saver crashed"
grep -q "crashed (signal 11)" "$OUT/starter.log" || fail "the crash was not reported"
end_by_key "third run"

note "the server's saver turned off meanwhile (xset s off): set again, the saver still starts"
xset s off
wait_child 12 || fail "no start after xset s off"
end_by_key "after xset s off"

note "XScreenSaverSuspend keeps it from starting until the client leaves"
"${session[@]}" $PY "$SUPPORT/x_suspend.py" 9 >"$OUT/suspend.log" 2>&1 &
suspender=$!
run_pids+=($suspender)
none_for 8 "another client holds the screen saver suspended"
grep -q "suspended" "$OUT/starter.log" || fail "the starter did not say why it waits"
wait "$suspender"
wait_child 12 || fail "no start after the suspension ended"
end_by_key "after suspension"

note "Inhibit on org.freedesktop.ScreenSaver: until UnInhibit"
"${session[@]}" $PY "$SUPPORT/inhibit.py" 8 release >"$OUT/inhibit_release.log" 2>&1 &
holder=$!
run_pids+=($holder)
none_for 7 "a client inhibits the screen saver"
for _ in $(seq 1 50); do grep -q released "$OUT/inhibit_release.log" && break; sleep 0.1; done
grep -q released "$OUT/inhibit_release.log" || fail "UnInhibit failed"
grep -q "foreign cookie" "$OUT/inhibit_release.log" && fail "another caller's cookie was released"
wait_child 12 || fail "no start after UnInhibit"
end_by_key "after UnInhibit"
kill "$holder"

note "Inhibit on org.freedesktop.ScreenSaver: until the caller leaves the bus"
"${session[@]}" $PY "$SUPPORT/inhibit.py" 8 leave >"$OUT/inhibit_leave.log" 2>&1 &
holder=$!
none_for 7 "a client inhibits the screen saver"
wait "$holder"
wait_child 12 || fail "no start after the inhibiting caller left the bus"
grep -q "left the bus" "$OUT/starter.log" || fail "the starter did not note that the caller left"

note "another saver of this display runs (its lock is held): no second one"
kill -TERM "$child"
gone_within "$child" 10 || fail "the saver did not end on SIGTERM"
"${session[@]}" "$ZM" /s >"$OUT/other_saver.log" 2>&1 &
other=$!
run_pids+=($other)
none_for 8 "another saver runs"
grep -q "another saver runs" "$OUT/starter.log" || fail "the starter did not say another saver runs"
kill -TERM "$other"
wait "$other" 2>/dev/null
wait_child 12 || fail "no start after the other saver ended"

note "SIGTERM ends the starter and its saver; the pattern is stored"
rm -f "$home/.config/zelk-mirv/Zelk_Mirv.par"
kill -TERM "$starter"
wait_gone "$starter" 15 || fail "the starter did not end on SIGTERM"
[ "$gone_status" = 143 ] || fail "the starter's status after SIGTERM was $gone_status, not 143"
gone_within "$child" 5 || fail "the saver outlived its starter"
[ -s "$home/.config/zelk-mirv/Zelk_Mirv.par" ] || fail "the saver stored no pattern"
owner=$("${session[@]}" gdbus call --session --dest org.freedesktop.DBus \
  --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner \
  org.freedesktop.ScreenSaver)
[ "$owner" = "(false,)" ] || fail "org.freedesktop.ScreenSaver still owned after the starter ended"

note "a name owned by someone else is left alone; a second starter ends at once"
"${session[@]}" ZM_IDLE_TEST_SECONDS=$idle "$ZM" -idle >"$OUT/starter2.log" 2>&1 &
starter=$!
run_pids+=($starter)
for _ in $(seq 1 50); do grep -q "idle starter:" "$OUT/starter2.log" && break; sleep 0.1; done
"${session[@]}" ZM_IDLE_TEST_SECONDS=$idle timeout 10 "$ZM" -idle >"$OUT/starter3.log" 2>&1
[ $? = 0 ] || fail "a second starter did not end with 0"
grep -q "already runs" "$OUT/starter3.log" || fail "a second starter did not say one runs"
kill -TERM "$starter"
wait_gone "$starter" 15

note "the setup dialog's \"Start after\": ticked, the autostart entry and a starter; unticked, neither"
"${session[@]}" "$ZM" /c >"$OUT/dialog.log" 2>&1 &
dialog=$!
run_pids+=($dialog)
wait_for_viewable "Zelk Mirv Screen Saver 1.1" 30 || fail "the setup dialog did not come"
sleep 1
geometry=$(xwininfo -name "Zelk Mirv Screen Saver 1.1")
left=$(echo "$geometry" | awk '/Absolute upper-left X/ {print $4}')
top=$(echo "$geometry" | awk '/Absolute upper-left Y/ {print $4}')
entry=$home/.config/autostart/zelk-mirv.desktop
starter_runs() { pgrep -f "zelk-mirv -idle$" >/dev/null; }
xdotool mousemove $(( left + 48 )) $(( top + 287 )) click 1
for _ in $(seq 1 50); do [ -f "$entry" ] && starter_runs && break; sleep 0.1; done
shot dialog_ticked
[ -f "$entry" ] || fail "ticking \"Start after\" wrote no autostart entry"
grep -qx "Exec=zelk-mirv -idle" "$entry" 2>/dev/null || fail "the entry does not run zelk-mirv -idle"
starter_runs || fail "ticking \"Start after\" started no idle starter"
grep -q "^Enabled=1" "$home/.config/zelk-mirv/zelk_mirv.ini" || fail "IDLE_START was not stored"
xdotool mousemove $(( left + 48 )) $(( top + 287 )) click 1
for _ in $(seq 1 50); do [ ! -f "$entry" ] && ! starter_runs && break; sleep 0.1; done
[ -f "$entry" ] && fail "unticking left the autostart entry"
starter_runs && fail "unticking left the idle starter running"
kill "$dialog"

note "no idle source: a clear message and status 2"
env -i HOME="$home" XDG_RUNTIME_DIR="$WORK/run" PATH=/usr/bin:/bin DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
  timeout 10 "$ZM" -idle >"$OUT/none.log" 2>&1
status=$?
[ "$status" = 2 ] || fail "without an idle source the status was $status, not 2"
grep -q "cannot run here" "$OUT/none.log" || fail "without an idle source: no message"

note "xscreensaver's daemon on the display: -idle says so and ends"
if command -v xscreensaver >/dev/null && [ "$(id -u)" -eq 0 ]; then
  user=zmsaver
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  dhome=$WORK/daemon
  mkdir -p "$dhome"
  printf 'mode: off\nlock: False\nsplash: False\ntimeout: 0:30:00\n' >"$dhome/.xscreensaver"
  chown -R "$user" "$dhome"
  setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    env -i HOME="$dhome" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin xscreensaver -no-splash \
    >"$OUT/daemon.log" 2>&1 &
  run_pids+=($!)
  for _ in $(seq 1 100); do xprop -root _SCREENSAVER_VERSION 2>/dev/null | grep -q = && break; sleep 0.1; done
  "${session[@]}" timeout 10 "$ZM" -idle >"$OUT/with_daemon.log" 2>&1
  status=$?
  [ "$status" = 0 ] || fail "with the daemon running the status was $status"
  grep -q "xscreensaver's daemon already runs" "$OUT/with_daemon.log" ||
    fail "with the daemon running -idle did not say so"
else
  note "SKIP: the daemon needs xscreensaver and root (to make its user)"
fi

cat "$OUT/starter.log"
finish
