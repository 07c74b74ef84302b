#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: at depth 16 the saver draws through a
# back buffer of 16 bits per pixel whose colours are the 32-bit rendering's
# within the 5-6-5 rounding. Both runs start from one seed at speed 0, so
# they show the same still frame.
source "$(dirname "$0")/x11_lib.sh"

# still_frame DEPTH: a run on its own server and settings; the screenshot
# goes to still-DEPTH.png.
still_frame() {
  start_server "xvfb$1" Xvfb :@ -screen 0 320x240x"$1" -nolisten tcp || return
  export XDG_CONFIG_HOME=$WORK/config$1
  "$ZM" /s -seed 4242 -speed 0 -material 8 &
  local pid=$!; run_pids+=("$pid")
  wait_for_viewable "Zelk Mirv" 60 || fail "no saver window at depth $1"
  sleep 0.5
  shot "still-$1"
  xdotool key Escape
  wait_gone "$pid" 5 || fail "a key did not end the run at depth $1"
  grep -q '^use_DirectX=1$' "$XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini" ||
    fail "the run at depth $1 did not draw through the back buffer"
  grep -q "^BitPerPix=$([ "$1" = 16 ] && echo 16 || echo 32)$" \
    "$XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini" || fail "depth $1: wrong bits per pixel stored"
  stop_server
}

still_frame 24
still_frame 16
not_black still-24
convert "$OUT/still-24.png" -depth 8 rgb:"$WORK/24.rgb"
convert "$OUT/still-16.png" -depth 8 rgb:"$WORK/16.rgb"
python3 - "$WORK/24.rgb" "$WORK/16.rgb" <<'PY' || fail "the 16-bit colours differ from the 32-bit ones"
import sys
full, packed = (open(p, "rb").read() for p in sys.argv[1:3])
assert len(full) == len(packed) > 0, "pictures of different sizes"
bits = (5, 6, 5)
bad = 0
for i in range(0, len(full), 3):
    for c in range(3):
        # The 16-bit pixel keeps the top bits of the 32-bit one; the
        # screenshot widens them back to 8 bits.
        kept = full[i + c] >> (8 - bits[c])
        shown = round(packed[i + c] * ((1 << bits[c]) - 1) / 255)
        if kept != shown:
            bad += 1
            break
pixels = len(full) // 3
print(f"{pixels - bad} of {pixels} pixels match within the 5-6-5 rounding")
sys.exit(0 if bad == 0 else 1)
PY
finish
