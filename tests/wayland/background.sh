#!/usr/bin/env bash
# zelk-mirv as a live wallpaper on a headless sway: the ornament moves on the
# background of each output (one of them at scale 2), an output that comes
# is taken in and one that goes (a nested sway's output window closed) is let
# go, SIGTERM ends the run with the state stored (also in the middle of a
# first start on two 4K outputs), -output picks one output and an unknown one is refused,
# a -window toplevel on an output at scale 2 is drawn at its pixels;
# under the "each" layout every output shows its own ornament, whose pattern
# is kept in a file of its own.
# Usage: background.sh ZELK_MIRV OUTDIR. Exit 77 where sway cannot start.
set -u
ZM=$1
OUT=$2
rm -rf "$OUT"
mkdir -p "$OUT"
. "$(dirname "$0")/sway_session.sh"

sway_do create_output
sway_do output HEADLESS-1 mode 640x480
sway_do output HEADLESS-2 mode 1024x768 scale 2

note "the wallpaper on two outputs"
"${in_session[@]}" "$ZM" -root -seed 7 >"$WORK/run1.log" 2>&1 &
zm=$!
pids+=($zm)
wait_lit one-a HEADLESS-1 || fail "HEADLESS-1 stays dark"
wait_lit two-a HEADLESS-2 || fail "HEADLESS-2 stays dark"
sleep 1
shot one-b HEADLESS-1
shot two-b HEADLESS-2
differ one-a one-b || fail "the ornament on HEADLESS-1 does not move"
differ two-a two-b || fail "the ornament on HEADLESS-2 does not move"
# At scale 2 the buffer has the output's own pixels: a buffer of half as
# many, scaled up by the compositor, would show 2x2 blocks.
[ "$(size_of two-b)" = 1024x768 ] || fail "HEADLESS-2 shot is $(size_of two-b)"
convert "$WORK/shots/two-b.png" -sample 50% -sample 200% "$WORK/shots/two-blocks.png"
differ two-b two-blocks || fail "HEADLESS-2 (scale 2) is drawn at half its pixels"
# The pattern has the larger output's size: no black edge on HEADLESS-2.
convert "$WORK/shots/two-b.png" -crop 200x200+824+568 "$WORK/shots/two-corner.png"
lit two-corner || fail "the bottom right corner of the larger output is dark"

note "another output comes"
sway_do create_output
wait_lit three-a HEADLESS-3 || fail "the new output HEADLESS-3 stays dark"
shot one-c HEADLESS-1
differ one-b one-c || fail "HEADLESS-1 stopped moving after the change of outputs"

note "SIGTERM ends the run with the state stored"
kill -TERM "$zm"
for _ in $(seq 1 50); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
kill -0 "$zm" 2>/dev/null && fail "the run is still there after SIGTERM"
wait "$zm" 2>/dev/null
[ -n "$(find "$WORK/config" -name Zelk_Mirv.par -size +1k)" ] || fail "no state file stored"
[ -s "$WORK/run1.log" ] && fail "the run wrote: $(cat "$WORK/run1.log")"

note "-output picks one output"
"${in_session[@]}" "$ZM" -root -output HEADLESS-3 >"$WORK/run2.log" 2>&1 &
zm=$!
pids+=($zm)
wait_lit three-b HEADLESS-3 || fail "HEADLESS-3 stays dark with -output HEADLESS-3"
shot one-d HEADLESS-1
lit one-d && fail "HEADLESS-1 shows something with -output HEADLESS-3"
kill -TERM "$zm"
wait "$zm" 2>/dev/null

"${in_session[@]}" "$ZM" -root -output NOPE >"$WORK/run3.log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "-output NOPE exits with $status"
grep -q "no output 'NOPE'" "$WORK/run3.log" || fail "-output NOPE says: $(cat "$WORK/run3.log")"

note "each output its own ornament"
"${in_session[@]}" "$ZM" -root -monitors each >"$WORK/run7.log" 2>&1 &
zm=$!
pids+=($zm)
wait_lit each-one-a HEADLESS-1 || fail "each: HEADLESS-1 stays dark"
wait_lit each-three-a HEADLESS-3 || fail "each: HEADLESS-3 stays dark"
sleep 1
shot each-one-b HEADLESS-1
differ each-one-a each-one-b || fail "each: the ornament on HEADLESS-1 does not move"
kill -TERM "$zm"
wait "$zm" 2>/dev/null
[ -n "$(find "$WORK/config" -name Zelk_Mirv-HEADLESS-1.par -size +1k)" ] ||
  fail "each: no pattern stored for the smaller output HEADLESS-1"
[ -s "$WORK/run7.log" ] && fail "each: the run wrote: $(cat "$WORK/run7.log")"

note "-window: a toplevel that ends on a key"
"${in_session[@]}" "$ZM" -window >"$WORK/run5.log" 2>&1 &
zm=$!
pids+=($zm)
for _ in $(seq 1 50); do
  "${in_session[@]}" swaymsg -t get_tree | grep -q '"app_id": "zelk-mirv"' && break
  sleep 0.1
done
wait_lit window HEADLESS-1 || fail "the -window toplevel stays dark"
# On an output at scale 2 the toplevel is drawn at the output's pixels.
sway_do output HEADLESS-1 scale 2
sleep 1.5
shot window-scaled HEADLESS-1
convert "$WORK/shots/window-scaled.png" -crop 200x200+220+140 +repage "$WORK/shots/window-middle.png"
convert "$WORK/shots/window-middle.png" -sample 50% -sample 200% "$WORK/shots/window-blocks.png"
lit window-middle || fail "the -window toplevel at scale 2 is dark"
differ window-middle window-blocks || fail "the -window toplevel at scale 2 is drawn at half its pixels"
sway_do output HEADLESS-1 scale 1
# The virtual keyboard comes and goes with wtype; the pause lets the window
# take it before the key.
command -v wtype >/dev/null || fail "no wtype"
"${in_session[@]}" wtype -s 800 a
for _ in $(seq 1 30); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$zm" 2>/dev/null; then
  fail "the -window run is still there after a key"
else
  wait "$zm"
  status=$?
  [ "$status" -eq 0 ] || fail "the -window run ended with status $status"
fi

note "no compositor"
"${in_session[@]}" WAYLAND_DISPLAY=nowhere "$ZM" -root -wayland >"$WORK/run4.log" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "without a compositor the run exits with $status"
grep -q "cannot connect to the Wayland compositor" "$WORK/run4.log" ||
  fail "without a compositor the run says: $(cat "$WORK/run4.log")"

note "SIGTERM in the middle of a first start on two 4K outputs stores everything"
sway_do output HEADLESS-1 mode 3840x2160
sway_do output HEADLESS-3 mode 3840x2160
rm -f "$WORK"/config/*/*.par "$WORK"/config/*/zelk_mirv.ini
"${in_session[@]}" "$ZM" -root -monitors each -seed 5 >"$WORK/run8.log" 2>&1 &
zm=$!
pids+=($zm)
sleep 0.3
kill -TERM "$zm"
for _ in $(seq 1 300); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
kill -0 "$zm" 2>/dev/null && fail "the first start outlived SIGTERM by 30 s"
wait "$zm" 2>/dev/null
for name in Zelk_Mirv.par Zelk_Mirv-HEADLESS-2.par Zelk_Mirv-HEADLESS-3.par zelk_mirv.ini; do
  [ -n "$(find "$WORK/config" -name "$name" -size +0)" ] || fail "4K first start: no $name stored"
done
[ -z "$(find "$WORK/config" -name '*.tmp')" ] || fail "4K first start: a temporary was left"
ls -l "$WORK"/config/*/ >"$WORK/first-start-files.log"
grep -q "no orderly end" "$WORK/run8.log" && fail "4K first start was cut off: $(cat "$WORK/run8.log")"
sway_do output HEADLESS-1 mode 640x480
sway_do output HEADLESS-3 mode 640x480

note "an output goes: the window of a nested sway's output closes"
: >"$WORK/inner.conf"
chmod 644 "$WORK/inner.conf"
"${as_user[@]}" "${user_env[@]}" WAYLAND_DISPLAY=wayland-1 WLR_BACKENDS=wayland WLR_WL_OUTPUTS=2 \
  WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$WORK/inner.conf" >"$WORK/inner.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
  inner_socket=$(ls "$WORK"/run/sway-ipc.*.sock 2>/dev/null | grep -v "$socket" | head -1)
  [ -n "$inner_socket" ] && [ -e "$WORK/run/wayland-2" ] && break
  sleep 0.1
done
inner=("${as_user[@]}" "${user_env[@]}" WAYLAND_DISPLAY=wayland-2 "SWAYSOCK=$inner_socket")
"${inner[@]}" "$ZM" -root -seed 7 >"$WORK/run9.log" 2>&1 &
zm=$!
pids+=($zm)
inner_shot() { "${inner[@]}" grim -o "$2" "$WORK/shots/$1.png"; }
for _ in $(seq 1 60); do inner_shot nested-two WL-2 && lit nested-two && break; sleep 0.5; done
lit nested-two || fail "the nested output WL-2 stays dark"
sway_do '[title="wlroots - WL-2"]' kill
for _ in $(seq 1 30); do
  "${inner[@]}" swaymsg -t get_outputs | grep -q '"WL-2"' || break
  sleep 0.1
done
"${inner[@]}" swaymsg -t get_outputs | grep -q '"WL-2"' && fail "the nested output WL-2 did not go"
sleep 0.5
kill -0 "$zm" 2>/dev/null || fail "the run ended when an output went away: $(cat "$WORK/run9.log")"
inner_shot nested-one-a WL-1
sleep 1
inner_shot nested-one-b WL-1
differ nested-one-a nested-one-b || fail "WL-1 stopped moving after WL-2 went"
kill -TERM "$zm"
wait "$zm" 2>/dev/null

note "the compositor goes away"
rm -f "$WORK"/config/*/Zelk_Mirv.par
"${in_session[@]}" "$ZM" -root >"$WORK/run6.log" 2>&1 &
zm=$!
pids+=($zm)
wait_lit last HEADLESS-1 || fail "HEADLESS-1 stays dark"
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null
for _ in $(seq 1 30); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$zm" 2>/dev/null; then
  fail "the run outlived the compositor"
else
  wait "$zm"
  status=$?
  [ "$status" -eq 1 ] || fail "the run ended with status $status when the compositor went"
  grep -q "connection to the Wayland compositor was lost" "$WORK/run6.log" ||
    fail "when the compositor went the run said: $(cat "$WORK/run6.log")"
  [ -n "$(find "$WORK/config" -name Zelk_Mirv.par -size +1k)" ] ||
    fail "no state stored when the compositor went"
fi

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $((failures > 0))
