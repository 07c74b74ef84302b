#!/usr/bin/env bash
# The saver's frames are paced to the display under Wine on an Xvfb of
# 320x240, which Wine reports as a 60 Hz display: on a stored pattern, the
# bitmap path delivers a frame rate near the display's (30 to 90 frames per
# second, counted with the DAMAGE extension on the root window over three
# seconds), not as many as the processor allows (an unpaced run of so small
# a screen gives well over 100); and a key still ends the paced run at once
# (its window leaves the screen).
#
# Usage: saver_frame_rate.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
zm_saver_init "$out" saver_frame_rate 320x240x24

counter="$ZM_OUT/damage_frames"
cc -O2 -o "$counter" "$ZM_HARNESS_DIR/damage_frames.c" -lXdamage -lXfixes -lX11 ||
  zm_abort "cannot build the frame counter (scripts/deps.sh installs libxdamage-dev)"

folder=$(zm_saver_folder paced)
zm_write_ini "$folder/zelk_mirv.ini" use_DirectX=0 SHAPE_SPEED=1.7
# Two maps of ramps of the screen's size: the run starts drawing at once.
perl -e 'my ($w, $h) = @ARGV; print pack("l<l<", $w, $h);
  for my $m (0, 1) { for my $y (0 .. $h - 1) {
    print pack("s<*", map { (($_ * 3 + $y * (5 + $m)) % 1000) } 0 .. $w - 1) } }' \
  "${ZM_SCREEN%x*}" "${ZM_SCREEN#*x}" >"$folder/Zelk_Mirv.par"
zm_saver_start "$folder"
zm_wait_picture paced-start 60 >/dev/null
sleep 1
result=$("$counter" 3 60)
echo "bitmap path: $result"
fps=$(sed 's/.*fps=\([0-9.]*\).*/\1/' <<<"$result")
awk -v f="$fps" 'BEGIN { exit !(f >= 30 && f <= 90) }' ||
  zm_fail "$fps frames per second at a 60 Hz display (expected 30 to 90)"
zm_screenshot paced-end >/dev/null
# The waits for the display's frames leave the message loop free: the window
# shrinks away 20 ms after the key (the process then stores the pattern).
zm_saver_key
started=$(date +%s%N)
for _ in $(seq 50); do
  zm_full_screen_window_shown "$ZM_SCREEN" || break
  sleep 0.02
done
zm_full_screen_window_shown "$ZM_SCREEN" && zm_fail "the saver's window still covers the screen 1 s after a key"
echo "the window left the screen $((($(date +%s%N) - started) / 1000000)) ms after the key"
zm_saver_wait_exit 10
echo "saver frame rate passed"
