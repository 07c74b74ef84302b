#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: every TrueColor depth shows the frame of
# a 24-bit screen, each channel scaled to its field (15 and 16 bits keep the
# high bits, 30 bits fill all ten); an 8-bit PseudoColor screen is refused
# with a message and status 2. The runs start from one seed at speed 0, so
# they all show the same still frame; the screens are read raw, as the
# server holds them.
source "$(dirname "$0")/x11_lib.sh"

# still_frame DEPTH [OPTION]: the screen's raw dump in $OUT/still-DEPTH.raw.
# 15 and 16 bits take the page-flipped path like 24 bits; 30 bits have no
# video mode, so they are compared with 24 bits drawn through the bitmap.
still_frame() {
  start_server "xvfb$1" Xvfb :@ -screen 0 320x240x"${1%-*}" -nolisten tcp -noreset || return
  export XDG_CONFIG_HOME=$WORK/config$1
  "$ZM" /s -seed 4242 -speed 0 -material 8 ${2:-} 2>"$OUT/still-$1.stderr" &
  local pid=$!; run_pids+=("$pid")
  wait_for_viewable "Zelk Mirv" 60 || fail "no saver window at depth $1"
  sleep 0.5
  "$TEST_WINDOW" dump >"$OUT/still-$1.raw" || fail "no dump at depth $1"
  shot "still-$1"
  xdotool key Escape
  wait_gone "$pid" 5 || fail "a key did not end the run at depth $1"
  stop_server
}

for depth in 24 15 16 30; do still_frame "$depth"; done
still_frame 24-bitmap -no-video-mode
python3 - "$OUT" <<'PY' || fail "the colours differ from the 24-bit frame"
import struct, sys
out = sys.argv[1]

def channels(path):
    """Per pixel, each channel's field value; and the fields' widths."""
    data = open(path, "rb").read()
    end = data.index(b"\n")
    width, height, *masks = data[:end].split()
    masks = [int(m, 16) for m in masks]
    count = int(width) * int(height)
    values = struct.unpack(f"<{count}I", data[end + 1:end + 1 + 4 * count])
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    pixels = [tuple((v & m) >> s for m, s in zip(masks, shifts)) for v in values]
    return pixels, [bin(m).count("1") for m in masks]

def widen(v, bits):
    return v >> (8 - bits) if bits <= 8 else (v << (bits - 8)) | (v >> (16 - bits))

failed = False
for depth, against in ((15, "24"), (16, "24"), (30, "24-bitmap")):
    reference, bits = channels(f"{out}/still-{against}.raw")
    assert bits == [8, 8, 8], bits
    assert sum(map(sum, reference)) > 20 * len(reference), "the 24-bit frame is black"
    pixels, bits = channels(f"{out}/still-{depth}.raw")
    assert len(pixels) == len(reference), f"depth {depth}: another size"
    bad = sum(1 for p, r in zip(pixels, reference)
              if any(p[c] != widen(r[c], bits[c]) for c in range(3)))
    print(f"depth {depth} ({'-'.join(map(str, bits))}): {len(pixels) - bad} of {len(pixels)} pixels match")
    failed |= bad > 0
sys.exit(1 if failed else 0)
PY

# 8 bits through a colour map: refused, not drawn black.
start_server xvfb8 Xvfb :@ -screen 0 320x240x8 -nolisten tcp -noreset || finish
XDG_CONFIG_HOME=$WORK/config8 timeout 20 "$ZM" /s 2>"$OUT/depth8.stderr"
status=$?
[ "$status" -eq 2 ] || fail "depth 8 ended with status $status"
grep -q "not supported" "$OUT/depth8.stderr" || fail "depth 8 gave no clear message: $(cat "$OUT/depth8.stderr")"
finish
