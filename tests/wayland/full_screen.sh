#!/usr/bin/env bash
# zelk-mirv /s on a headless sway: the full-screen saver covers every output
# (an ordinary window open on one of them) with the moving ornament, a key
# ends it with status 0 and the pattern stored, the first small pointer
# moves end nothing and a real one does, and so does a click.
# Usage: full_screen.sh ZELK_MIRV OUTDIR ZM_WL_CLICK. Exit 77 where sway
# cannot start.
set -u
ZM=$1
OUT=$2
CLICK=$3
rm -rf "$OUT"
mkdir -p "$OUT"
. "$(dirname "$0")/sway_session.sh"
command -v weston-flower >/dev/null || { echo "no weston-flower"; exit 77; }

sway_do create_output
sway_do output HEADLESS-1 mode 640x480
sway_do output HEADLESS-2 mode 800x600
"${in_session[@]}" "$CLICK" --hold >"$WORK/pointer.log" 2>&1 &
pids+=($!)
"${in_session[@]}" weston-flower >"$WORK/flower.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
  "${in_session[@]}" swaymsg -t get_tree | grep -q '"app_id": "org.freedesktop.weston.flower"' && break
  sleep 0.1
done
sleep 0.5
shot window HEADLESS-1

# saver_start LABEL: a full-screen run; its pid in $zm once both outputs
# show the moving ornament.
saver_start() {
  "${in_session[@]}" "$ZM" /s -seed 5 >"$WORK/$1.log" 2>&1 &
  zm=$!
  pids+=($zm)
  for _ in $(seq 1 60); do
    shot "$1-one-a" HEADLESS-1 && differ window "$1-one-a" && break
    sleep 0.5
  done
  wait_lit "$1-two-a" HEADLESS-2 || fail "$1: HEADLESS-2 stays dark"
  sleep 0.7
  shot "$1-one-b" HEADLESS-1
  shot "$1-two-b" HEADLESS-2
  differ "$1-one-a" "$1-one-b" || fail "$1: HEADLESS-1 does not show the moving ornament"
  differ "$1-two-a" "$1-two-b" || fail "$1: HEADLESS-2 does not show the moving ornament"
}
# saver_ends LABEL: the run ends within 3 s with status 0.
saver_ends() {
  for _ in $(seq 1 30); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$zm" 2>/dev/null; then
    fail "$1 did not end the run"
    kill -TERM "$zm"
  fi
  wait "$zm"
  local status=$?
  [ "$status" -eq 0 ] || fail "$1 ended the run with status $status"
  [ -s "$WORK/$2.log" ] && fail "$2: the run wrote: $(cat "$WORK/$2.log")"
}
move() { "${in_session[@]}" "$CLICK" --move "$1" "$2" || fail "no move to $1,$2"; sleep 0.1; }

note "the ornament covers the window on both outputs; a key ends it"
saver_start key
# The flower's middle lies under the ornament: it moves there too.
convert "$WORK/shots/key-one-a.png" -crop 200x200+220+140 "$WORK/shots/middle-a.png"
convert "$WORK/shots/key-one-b.png" -crop 200x200+220+140 "$WORK/shots/middle-b.png"
differ middle-a middle-b || fail "the window's middle is not covered by the moving ornament"
rm -f "$WORK"/config/zelk-mirv/Zelk_Mirv.par
"${in_session[@]}" wtype -s 800 a
saver_ends "a key" key
[ -s "$WORK/config/zelk-mirv/Zelk_Mirv.par" ] || fail "the run stored no pattern"

note "small pointer moves end nothing, a real one does"
saver_start moves
for at in 100 101 102 103 104 105; do move "$at" "$at"; done  # five ignored, then the reference
move 107 107   # two pixels each way
move 120 106   # along one axis only
sleep 0.5
kill -0 "$zm" 2>/dev/null || fail "a small pointer move ended the run"
move 140 140
saver_ends "a pointer move" moves

note "a click ends it"
saver_start click
"${in_session[@]}" "$CLICK" 300 200 || fail "no click"
saver_ends "a click" click

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $((failures > 0))
