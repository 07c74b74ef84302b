#!/usr/bin/env bash
# End-to-end checks of zelk-mirv-render: outputs, determinism, bad arguments.
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
pass() { :; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_status STATUS COMMAND...: runs the tool, checks its exit status and
# that a failure says something on standard error.
expect_status() {
  local want=$1; shift
  "$tool" "$@" >"$work/stdout" 2>"$work/stderr"
  local got=$?
  [ "$got" -eq "$want" ] || fail "'$*' exited $got, wanted $want"
  if [ "$want" -ne 0 ] && [ ! -s "$work/stderr" ]; then fail "'$*' gave no message"; fi
}

png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1"; }

# Palettes: a strip 2016 x 16 for every material and the grey ramp.
for m in 0 1 2 3 4 5 6 7 8 grey; do
  expect_status 0 palette "$m" "$work/p$m.png"
  [ "$(png_size "$work/p$m.png")" = "2016x16" ] || fail "palette $m is $(png_size "$work/p$m.png")"
done
cmp -s "$work/p0.png" "$work/pgrey.png" && fail "material 0 looks like the grey ramp"

# Frames: one seed gives the same picture twice; another seed a different one.
expect_status 0 frames --size 96x64 --seed 42 --frames 30 --out "$work/a.png"
expect_status 0 frames --size 96x64 --seed 42 --frames 30 --out "$work/b.png"
expect_status 0 frames --size 96x64 --seed 43 --frames 30 --out "$work/c.png"
cmp -s "$work/a.png" "$work/b.png" || fail "seed 42 gave two different pictures"
cmp -s "$work/a.png" "$work/c.png" && fail "seeds 42 and 43 gave the same picture"
[ "$(png_size "$work/a.png")" = "96x64" ] || fail "frame is $(png_size "$work/a.png")"

# State file: written, read back, and continued; the size is the stored one.
expect_status 0 frames --size 40x30 --seed 7 --frames 5 --state "$work/s.par"
[ "$(stat -c %s "$work/s.par")" -eq $((8 + 4 * 40 * 30)) ] || fail "state file has the wrong size"
expect_status 0 frames --load-state "$work/s.par" --seed 7 --frames 5 --out "$work/d.png"
[ "$(png_size "$work/d.png")" = "40x30" ] || fail "loaded frame is $(png_size "$work/d.png")"
head -c 100 "$work/s.par" >"$work/torn.par"
expect_status 2 frames --load-state "$work/torn.par" --out "$work/e.png"
expect_status 2 frames --load-state "$work/missing.par" --out "$work/e.png"

# Animation and bench.
expect_status 0 frames --size 32x24 --seed 1 --frames 10 --animate "$work/a.webp"
[ "$(head -c 4 "$work/a.webp")" = "RIFF" ] || fail "animation is not a WebP file"
expect_status 0 frames --size 32x24 --seed 1 --frames 10 --bench
grep -q "frames/s" "$work/stdout" || fail "bench printed no frame rate"

# Settings: defaults of a missing key, values read through the saver's reader.
printf '[basic_parameters]\nshape_speed=0.5\nWidth=0x280\n[PATTERNS]\nPattern=5\nShow_All=0\n' >"$work/z.ini"
expect_status 0 settings "$work/z.ini"
grep -qx "SHAPE_SPEED=0.5" "$work/stdout" || fail "settings did not read SHAPE_SPEED"
grep -qx "Width=640" "$work/stdout" || fail "settings did not read a hexadecimal Width"
grep -qx "Pattern=5" "$work/stdout" || fail "settings did not read Pattern"
expect_status 0 frames --size 32x24 --seed 1 --settings "$work/z.ini" --out "$work/f.png"

# Bad arguments: a message and status 2, and nothing written.
expect_status 2
expect_status 2 bogus
expect_status 2 palette 9 "$work/x.png"
expect_status 2 palette gold "$work/x.png"
expect_status 2 palette 0
expect_status 2 palette 0 "$work/no/such/dir/x.png"
expect_status 2 frames --size 0x10 --out "$work/x.png"
expect_status 2 frames --size 640 --out "$work/x.png"
expect_status 2 frames --frames -3 --out "$work/x.png"
expect_status 2 frames --speed 2.5 --out "$work/x.png"
expect_status 2 frames --speed nan --out "$work/x.png"
expect_status 2 frames --seed 4294967296 --out "$work/x.png"
expect_status 2 frames --material 9 --out "$work/x.png"
expect_status 2 frames --animate "$work/x.gif"
expect_status 2 frames --out
expect_status 2 frames --wat 1 --out "$work/x.png"
expect_status 2 frames --size 8x8
expect_status 2 frames --size 8x8 --out "$work/no/such/dir/x.png"
expect_status 2 settings
expect_status 2 settings "$work/missing.ini"
expect_status 2 frames --settings "$work/missing.ini" --out "$work/x.png"
[ -e "$work/x.png" ] && fail "a failed run wrote an output"
expect_status 0 --help
grep -q "usage" "$work/stdout" || fail "--help printed no usage"

if [ "$failures" -eq 0 ]; then echo "render_cli: all checks passed"; exit 0; fi
echo "render_cli: $failures checks failed"; exit 1
