#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT DEPTH: the full-screen saver on a private
# Xvfb of this depth: it animates, a key ends it, it stores its files, and a
# second run continues the stored pattern without the wait dialog.
source "$(dirname "$0")/x11_lib.sh"
depth=$4
start_server xvfb Xvfb :@ -screen 0 800x600x"$depth" -nolisten tcp || finish
export XDG_CONFIG_HOME=$WORK/config
files=$XDG_CONFIG_HOME/zelk-mirv

note "first run at depth $depth (warm-up under the wait dialog)"
start=$(now_ms)
"$ZM" /s &
pid=$!; run_pids+=("$pid")
wait_for_window "ZELK MIRV" 10 || fail "no wait dialog on a first start"
shot wait-dialog
wait_for_viewable "Zelk Mirv" 60 || fail "the saver window never came"
sleep 0.5
shot frame-a
sleep 1
shot frame-b
not_black frame-a
not_black frame-b
differ frame-a frame-b
xdotool key space
wait_gone "$pid" 5 || fail "a key did not end the run"
[ "$gone_status" -eq 0 ] || fail "the run ended with status $gone_status"
note "first run: $(( $(now_ms) - start )) ms"
[ -s "$files/Zelk_Mirv.par" ] || fail "no pattern state file"
[ -s "$files/zelk_mirv.ini" ] || fail "no settings file"
grep -q "^BitPerPix=$([ "$depth" = 16 ] && echo 16 || echo 32)$" "$files/zelk_mirv.ini" ||
  fail "the settings do not name the server's bits per pixel: $(grep BitPerPix "$files/zelk_mirv.ini")"
cp "$files/zelk_mirv.ini" "$OUT/settings-after-first-run.ini"

note "second run continues the stored pattern"
stored=$(stat -c "%i %y" "$files/Zelk_Mirv.par")
"$ZM" -s &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 10 || fail "the second run showed no window"
xwininfo -root -tree | grep -q '"ZELK MIRV"' && fail "the second run showed the wait dialog"
sleep 1
shot second-run
not_black second-run
xdotool mousemove 10 10 mousemove 400 300 click 1
wait_gone "$pid" 5 || fail "a click did not end the second run"
[ "$(stat -c "%i %y" "$files/Zelk_Mirv.par")" != "$stored" ] || fail "the second run did not store its state"
finish
