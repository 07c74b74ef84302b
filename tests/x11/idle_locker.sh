#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT SUPPORT: the idle starter hands its saver
# over to the locker of its settings (IDLE_START, Locker) on Xvfb, with a
# black root so that the desktop shows as black. The fake locker takes a
# screenshot and notes whether the saver's window is mapped as it starts and
# as it exits, 0.5 s later, with status 0 (as a locker that daemonises once
# it has locked): the screen never shows the desktop, the saver goes right
# after the exit (long before the bound), and the starter goes on, starting
# no saver over the lock while it holds the keyboard. With a
# locker that keeps running, SIGTERM still ends the starter and its saver at
# once with the pattern stored, and the locker stays.
source "$(dirname "$0")/x11_lib.sh"
SUPPORT=$4
idle=3

start_server xvfb Xvfb :@ -screen 0 640x480x24 -br -nolisten tcp -ac || finish
start_session
mkdir -p "$home/.config/zelk-mirv"

marks=$WORK/marks
locker=$WORK/locker.sh
cat >"$locker" <<SCRIPT
#!/bin/sh
mapped() { xwininfo -name "Zelk Mirv" 2>/dev/null | grep -q IsViewable && echo mapped || echo gone; }
ms() { echo \$(( \$(date +%s%N) / 1000000 )); }
n=1
[ -f "$marks" ] && n=\$(( \$(wc -l <"$marks") / 2 + 1 ))
echo "start \$n \$(mapped) \$(ms)" >>"$marks"
import -window root "$OUT/locker_start_\$n.png"
if [ -f "$WORK/stay" ]; then echo \$\$ >"$WORK/stayed"; exec sleep 60; fi
# The lock it leaves behind holds the keyboard for 6 s.
[ "\$n" = 1 ] && { python3 "$SUPPORT/x_grab.py" 6 >"$WORK/grab.log" 2>&1 & }
sleep 0.5
echo "exit \$n \$(mapped) \$(ms)" >>"$marks"
exit 0
SCRIPT
chmod +x "$locker"
printf '[IDLE_START]\nMinutes=10\nLocker=%s\n' "$locker" >"$home/.config/zelk-mirv/zelk_mirv.ini"

"${session[@]}" ZM_IDLE_TEST_SECONDS=$idle "$ZM" -idle >"$OUT/starter.log" 2>&1 &
starter=$!
run_pids+=($starter)
source "$SUPPORT/idle_lib.sh"
key_until_locker() {
  local _
  for _ in 1 2 3 4 5 6 7 8; do
    xdotool mousemove 10 10 key space
    for _ in $(seq 1 10); do grep -q "^start $1 " "$marks" 2>/dev/null && return 0; sleep 0.1; done
  done
  fail "key presses did not start the locker ($1)"
  return 1
}
# The time in ms of mark WHAT N, and whether the saver's window was mapped then.
mark_ms() { awk -v w="$1" -v n="$2" '$1 == w && $2 == n {print $4}' "$marks"; }
mark_state() { awk -v w="$1" -v n="$2" '$1 == w && $2 == n {print $3}' "$marks"; }

note "the saver starts; the locker of the settings runs only once a key ended it"
wait_child 15 || fail "no saver started after ${idle} s without input"
tr '\0' ' ' <"/proc/$child/cmdline" | grep -q -- "-locker $locker" || fail "the saver was not told the locker"
# While the server's own saver is on, the saver's window is not found by
# its name; a key turns that off, and the locker looks for it then.
shot_not_black saver 60
[ -e "$marks" ] && fail "the locker ran before any input"
key_until_locker 1
for _ in $(seq 1 30); do grep -q "^exit 1 " "$marks" && break; sleep 0.1; done
gone_within "$child" 10 || fail "the saver did not end after the locker locked"
ended=$(now_ms)
cat "$marks"
[ "$(mark_state start 1)" = mapped ] || fail "the saver's window was gone when the locker started"
[ "$(mark_state exit 1)" = mapped ] || fail "the saver's window went before the locker exited"
not_black locker_start_1
left=$(( ended - $(mark_ms exit 1) ))
note "the saver ended ${left} ms after the locker's exit (measured by polling)"
[ "$left" -lt 3000 ] || fail "the saver waited ${left} ms after the locker had locked"
kill -0 "$starter" 2>/dev/null || fail "the starter ended with its saver"
grep -q grabbed "$WORK/grab.log" || fail "the lock did not get the keyboard"
none_for 4 "the lock holds the keyboard"
grep -q "holds the keyboard" "$OUT/starter.log" || fail "the starter did not say why it waits"

note "the starter goes on: another saver after the next idle time; SIGTERM while the locker keeps running"
touch "$WORK/stay"
wait_child 15 || fail "no second saver"
shot_not_black saver_2 60
key_until_locker 2
[ "$(mark_state start 2)" = mapped ] || fail "the second saver's window was gone when its locker started"
rm -f "$home/.config/zelk-mirv/Zelk_Mirv.par"
sleep 0.5
kill -TERM "$starter"
wait_gone "$starter" 5 || fail "the starter did not end at once on SIGTERM while its saver waited"
[ "$gone_status" = 143 ] || fail "the starter's status after SIGTERM was $gone_status, not 143"
gone_within "$child" 3 || fail "the saver outlived its starter"
[ -s "$home/.config/zelk-mirv/Zelk_Mirv.par" ] || fail "the saver stored no pattern"
stayed=$(cat "$WORK/stayed" 2>/dev/null)
if [ -n "$stayed" ] && kill -0 "$stayed" 2>/dev/null; then
  kill "$stayed"
else
  fail "the locker did not outlive the saver"
fi
grep -q "locker" "$OUT/starter.log" || fail "the starter did not name its locker"
grep -q "failed\|could not be started" "$OUT/starter.log" && fail "a locker was reported as failed"

cat "$OUT/starter.log"
finish
