#!/usr/bin/env bash
# The DirectDraw layer under Wine, on an Xorg server with the dummy video
# driver: the probe lists the modes, switches to 640x480 at 32 and 16 bits,
# draws the ornament by page flipping, and restores the desktop. Meanwhile
# this script checks the X screen's size and compares a screenshot per depth
# with the frame the engine drew.
#
# What Wine 8 does here: it lists every XRandR mode at 32 and 16 bits (and
# 8, which the layer drops; never 24), each refresh rate as its own entry;
# SetDisplayMode really switches the X screen through XRandR, at 16 bits too
# (the X screen stays at depth 24 and Wine converts); Flip, Lock and
# GetFlipStatus work. Leaving the exclusive level restores the desktop mode.
# A Wine process that is killed does not restore the mode.
#
# Usage: ddraw_probe.sh OUTDIR PROBE_EXE
set -euo pipefail
out=$1
probe=$2
source "$(dirname "$0")/harness.sh"
zm_harness_init "$out/ddraw_probe"
zm_start_xorg_dummy
desktop=$(zm_screen_size)
zm_wine_prefix "$out/wineprefix"

handshake="$ZM_OUT/handshake"
mkdir -p "$handshake"
log="$ZM_OUT/probe.log"
zm_wine "$probe" "$(zm_windows_path "$handshake")" >"$log" 2>"$ZM_OUT/probe.err" &
probe_pid=$!

for bits in 32 16; do
  line=$(zm_wait_line "$log" "^(holding 640x480x$bits|not listed $bits)$" 120) ||
    { cat "$log"; zm_abort "the probe never drew at $bits bits"; }
  if [ "$line" = "not listed $bits" ]; then
    [ "$bits" != 32 ] || zm_fail "640x480 at 32 bits is not listed"
    echo "Wine lists no 640x480 at $bits bits"
    continue
  fi
  zm_wait_window "Zelk Mirv DirectDraw probe" >/dev/null
  size=$(zm_screen_size)
  [ "$size" = 640x480 ] || zm_fail "X screen is $size at $bits bits, not 640x480"
  shot=$(zm_screenshot "ddraw-640x480x$bits")
  zm_expect_picture "$shot"
  # The screen shows exactly the engine's frame; at 16 bits each channel
  # lost its low bits on the way (5-6-5), so a small difference is allowed.
  engine="$ZM_OUT/engine-640x480x$bits.png"
  convert -size 640x480 -depth 8 "bgra:$handshake/frame-$bits.bgra" -alpha off "$engine"
  fuzz=0
  [ "$bits" = 32 ] || fuzz=3%
  differ=$(compare -metric AE -fuzz "$fuzz" "$shot" "$engine" null: 2>&1) || true
  [ "$differ" = 0 ] || zm_fail "$differ pixels on screen differ from the engine's frame at $bits bits"
  echo "$bits bits: the screen shows the engine's frame"
  touch "$handshake/next-$bits"
done

status=0
wait "$probe_pid" || status=$?
cat "$log"
[ "$status" -eq 0 ] && grep -qx "probe passed" "$log" || zm_fail "the probe failed ($status)"
[ "$(grep -c '^mode 640x480x32@' "$log")" -ge 2 ] ||
  zm_fail "640x480x32 at two refresh rates should be two entries"
awk '/^mode / && !/x(16|24|32)@/ { other = 1 } END { exit other }' "$log" ||
  zm_fail "a mode of another depth is listed"
# The X server applies the restored mode a moment after the probe ends.
for _ in $(seq 50); do
  size=$(zm_screen_size)
  [ "$size" = "$desktop" ] && break
  sleep 0.1
done
[ "$size" = "$desktop" ] || zm_fail "desktop mode not restored: $size, was $desktop"
echo "desktop back at $desktop"
