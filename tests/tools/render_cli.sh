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
# that a failure says something on standard error. A run that hangs is killed
# (status 124).
expect_status() {
  local want=$1; shift
  timeout 120 "$tool" "$@" >"$work/stdout" 2>"$work/stderr"
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
expect_status 0 frames --size 96x64 --seed 42 --frames 30 --speed 2 --out "$work/fast.png"
cmp -s "$work/a.png" "$work/fast.png" && fail "speed 2 gave the picture of speed 1"
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
expect_status 2 frames --size 8x8 --out "$work/x.png" --state "$work/./x.png"
expect_status 2 settings
expect_status 2 settings "$work/missing.ini"
expect_status 2 frames --settings "$work/missing.ini" --out "$work/x.png"
[ -e "$work/x.png" ] && fail "a failed run wrote an output"
expect_status 0 --help
grep -q "usage" "$work/stdout" || fail "--help printed no usage"

# Outputs go through the safe writer: through a link, never over a read-only
# file, a FIFO or a directory; a failure says why.
expect_status 0 frames --size 16x8 --seed 3 --out "$work/real.png"
ln -s real.png "$work/link.png"
expect_status 0 frames --size 24x8 --seed 3 --out "$work/link.png"
[ -L "$work/link.png" ] || fail "--out replaced a symbolic link"
[ "$(png_size "$work/real.png")" = "24x8" ] || fail "--out did not write through the link"
chmod 444 "$work/real.png"
expect_status 2 frames --size 32x8 --seed 3 --out "$work/real.png"
grep -q "Permission denied" "$work/stderr" || fail "no reason for a read-only --out: $(cat "$work/stderr")"
[ "$(png_size "$work/real.png")" = "24x8" ] || fail "a read-only --out was replaced"
expect_status 2 frames --size 8x8 --out "$work/no/such/dir/x.png"
grep -q "No such file or directory" "$work/stderr" || fail "no reason for a missing directory"
mkfifo "$work/fifo"
expect_status 2 frames --size 8x8 --state "$work/fifo"
expect_status 2 frames --size 8x8 --animate "$work/fifo.webp" --out "$work/fifo"
[ -p "$work/fifo" ] || fail "a FIFO was replaced"
[ -e "$work/fifo.webp" ] && fail "a run that failed left an animation"  # written after --out
ls "$work" | grep -q '\.tmp$' && fail "a temporary file was left behind"

# Input that is not a readable regular file is refused at once, never waited for.
expect_status 2 frames --load-state "$work/fifo" --out "$work/y.png"
expect_status 2 frames --settings "$work/fifo" --out "$work/y.png"
grep -q "not a regular file" "$work/stderr" || fail "no reason for a FIFO as --settings"
expect_status 2 settings "$work/fifo"
head -c 1048577 /dev/zero | tr '\0' '\n' >"$work/large.ini"
expect_status 2 settings "$work/large.ini"
expect_status 2 frames --size 8x8 --settings "$work/large.ini" --out "$work/y.png"
[ -e "$work/y.png" ] && fail "a run with unusable input wrote an output"

# Limits: an animation side above 16383 is refused before rendering; a map too
# large for the memory there is ends with a message, not an abort. A 1 MiB
# settings file of empty lines reads within 60 MB.
expect_status 2 frames --size 16384x8 --animate "$work/wide.webp"
grep -q "16383" "$work/stderr" || fail "no reason for a wide animation"
if [ -z "${ZM_SANITIZED:-}" ]; then
  head -c 1048570 /dev/zero | tr '\0' '\n' >"$work/blank.ini"
  (ulimit -v 60000; "$tool" settings "$work/blank.ini" >"$work/stdout" 2>"$work/stderr")
  [ $? -eq 0 ] || fail "1 MiB of empty lines did not read within 60 MB: $(cat "$work/stderr")"
  (ulimit -v 1000000; "$tool" frames --size 16384x16384 --seed 1 --out "$work/huge.png" \
     >"$work/stdout" 2>"$work/stderr")
  [ $? -eq 2 ] || fail "a map too large for the memory limit did not exit 2"
  grep -q "not enough memory for 16384 x 16384" "$work/stderr" \
    || fail "no message for a map too large: $(cat "$work/stderr")"
fi

if [ "$failures" -eq 0 ]; then echo "render_cli: all checks passed"; exit 0; fi
echo "render_cli: $failures checks failed"; exit 1
