#!/usr/bin/env bash
# A run that continues a stored pattern, under Wine on Xvfb: a state file of
# the screen's size whose two maps are all 500, with SHAPE_SPEED=0 and
# use_DirectX=0 (the bitmap path), shows one uniform colour at once and no
# wait dialog. While it runs, a second instance ends at once with 0 and the
# password change (/a 0, which takes no single-instance lock) calls the
# system's service and ends with 0. Then the pointer: the first five moves
# end nothing, the sixth is the reference, purely horizontal or vertical
# moves and a move of 2 pixels on both axes end nothing, and a move of 3
# pixels on both axes ends the run: the window shrinks to 10 x 10 and
# closes. The maps are stored unchanged. Then a run without DirectDraw.
#
# Usage: saver_second_run.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
zm_saver_init "$out" saver_second_run
screen=$(zm_screen_size)

folder=$(zm_saver_folder stored)
zm_write_state "$folder/Zelk_Mirv.par" "${screen%x*}" "${screen#*x}" 500
cp "$folder/Zelk_Mirv.par" "$ZM_OUT/written.par"
zm_write_ini "$folder/zelk_mirv.ini" SHAPE_SPEED=0 use_DirectX=0

xdotool mousemove 10 10
zm_saver_start "$folder"
for _ in $(seq 600); do
  zm_full_screen_window_shown "$screen" && break
  zm_saver_alive || zm_abort "the saver ended before its window showed"
  sleep 0.05
done
zm_expect_full_screen_window "$screen"
sleep 1
[ -z "$(zm_windows_of_size "$ZM_WAIT_DIALOG_SIZE")" ] || zm_fail "a wait dialog was created"
shot=$(zm_screenshot uniform)
read -r mean colours <<<"$(zm_image_stats "$shot")"
[ "$colours" -eq 1 ] || zm_fail "the stored pattern shows $colours colours, not one"
awk -v m="$mean" 'BEGIN { exit !(m > 0) }' || zm_fail "the screen is black"
echo "no wait dialog; the stored pattern shows one colour: $(convert "$shot" -format '%[pixel:p{0,0}]' info:)"

# A second instance while this one runs.
started=$(date +%s%N)
status=0
timeout 30 "$ZM_WINE" "$folder/zelk_mirv.scr" /s >"$ZM_OUT/second-instance.log" 2>&1 || status=$?
took=$((($(date +%s%N) - started) / 1000000))
[ "$status" -eq 0 ] || zm_fail "the second instance ended with $status"
zm_saver_alive || zm_fail "the first instance ended"
windows=$(xwininfo -root -tree | grep -c '"MainScreen"') || true
[ "$windows" -eq 1 ] || zm_fail "$windows saver windows"
echo "a second instance ended with 0 after $took ms (wine start included), without a window"

# The password change: Wine's MPR.DLL answers PwdChangePasswordA with a
# stub that reports the call and its arguments.
status=0
WINEDEBUG=+mpr timeout 30 "$ZM_WINE" "$folder/zelk_mirv.scr" /a 0 >"$ZM_OUT/change-password.log" 2>&1 ||
  status=$?
[ "$status" -eq 0 ] || zm_fail "the password change ended with $status"
grep -i 'PwdChangePasswordA\|SCRSAVE' "$ZM_OUT/change-password.log" ||
  zm_fail "no call of PwdChangePasswordA in the trace"
echo "the password change called the system's service and ended with 0"

# The pointer.
for i in 1 2 3 4 5; do zm_saver_move $((100 * i)) $((80 * i)) "move $i of the first five"; done
zm_saver_move 600 400 "the sixth move only sets the reference"
zm_saver_move 900 400 "a purely horizontal move"
zm_saver_move 100 400 "a purely horizontal move"
zm_saver_move 600 700 "a purely vertical move"
zm_saver_move 602 402 "a move of 2 pixels on both axes"
screen_window=$(xwininfo -root -tree | awk '/"MainScreen"/ { print $1; exit }')
[ -n "$screen_window" ] || zm_abort "no window named MainScreen"
started=$(date +%s%N)
xdotool mousemove 603 403
# The close timer (20 ms) shrinks the window to 10 x 10 and closes it; Wine
# then waits 2 s for a window manager to withdraw it (there is none here).
for _ in $(seq 500); do
  xwininfo -id "$screen_window" 2>/dev/null | grep -q -- '-geometry 10x10+' && break
  sleep 0.005
done
xwininfo -id "$screen_window" | grep -q -- '-geometry 10x10+' || zm_fail "the window did not shrink"
echo "the window shrank to 10x10 $((($(date +%s%N) - started) / 1000000)) ms after the move"
zm_saver_wait_exit 10
echo "five moves, horizontal and vertical moves and a 2-pixel move ended nothing; 3 pixels ended the run"

cmp -s "$folder/Zelk_Mirv.par" "$ZM_OUT/written.par" || zm_fail "the stored maps changed"
[ "$(zm_ini_value "$folder/zelk_mirv.ini" use_DirectX)" = 0 ] || zm_fail "use_DirectX changed"
echo "the state file was stored with the same maps"

# Without DirectDraw (Wine told not to load DDRAW.DLL) use_DirectX=1 runs on
# the bitmap path over the whole screen, and is stored as off.
zm_write_ini "$folder/zelk_mirv.ini" SHAPE_SPEED=0 use_DirectX=1
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw=d" zm_saver_start "$folder"
for _ in $(seq 600); do
  zm_full_screen_window_shown "$screen" && break
  zm_saver_alive || zm_abort "the saver ended before its window showed"
  sleep 0.05
done
sleep 1
shot=$(zm_screenshot no-directdraw)
read -r mean colours <<<"$(zm_image_stats "$shot")"
[ "$colours" -eq 1 ] && awk -v m="$mean" 'BEGIN { exit !(m > 0) }' ||
  zm_fail "without DirectDraw the screen shows $colours colours (mean $mean)"
zm_saver_key
zm_saver_wait_exit 10
[ "$(zm_ini_value "$folder/zelk_mirv.ini" use_DirectX)" = 0 ] || zm_fail "use_DirectX not stored as off"
echo "without DirectDraw: the bitmap path ran, and use_DirectX was stored as off"
echo "saver second run passed"
