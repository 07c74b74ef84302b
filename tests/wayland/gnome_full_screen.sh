#!/usr/bin/env bash
# zelk-mirv /s on GNOME's compositor (Mutter, headless, one 1024x768 virtual
# monitor, under a session bus of its own): with no layer shell there, the
# full-screen saver is a fullscreen toplevel that covers the monitor and
# draws frames. Its own report (ZELK_MIRV_SURFACE_REPORT) tells what it
# showed; a client of Mutter's screencast would need PipeWire.
# Usage: gnome_full_screen.sh ZELK_MIRV OUTDIR. Exit 77 where Mutter cannot
# start.
set -u
ZM=$1
OUT=$2
rm -rf "$OUT"
mkdir -p "$OUT"
command -v mutter >/dev/null && command -v dbus-run-session >/dev/null ||
  { echo "no mutter or dbus-run-session"; exit 77; }

. "$(dirname "$0")/unprivileged_work.sh"
trap 'cp "$WORK"/*.log "$OUT"/ 2>/dev/null; rm -rf "$WORK"' EXIT

# Inside the session bus: Mutter, then the saver for a few seconds.
cat >"$WORK/session.sh" <<EOS
mutter --headless --wayland --no-x11 --virtual-monitor 1024x768 --wayland-display=wayland-gnome \\
  >"$WORK/mutter.log" 2>&1 &
mutter=\$!
for _ in \$(seq 1 100); do [ -e "$WORK/run/wayland-gnome" ] && break; sleep 0.1; done
if [ ! -e "$WORK/run/wayland-gnome" ]; then echo "mutter did not start"; kill \$mutter; exit 77; fi
WAYLAND_DISPLAY=wayland-gnome ZELK_MIRV_SURFACE_REPORT=1 "$ZM" /s -seed 5 >"$WORK/saver.log" 2>&1 &
saver=\$!
sleep 6
kill -TERM \$saver
wait \$saver
kill \$mutter
wait \$mutter 2>/dev/null
exit 0
EOS
chmod 755 "$WORK/session.sh"
timeout 60 "${as_user[@]}" env -i "HOME=$WORK/home" "XDG_RUNTIME_DIR=$WORK/run" \
  "XDG_CONFIG_HOME=$WORK/home" PATH=/usr/bin:/bin dbus-run-session -- bash "$WORK/session.sh"
status=$?
[ "$status" -eq 77 ] && { cat "$WORK/mutter.log"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
report=$(grep "surface toplevel" "$WORK/saver.log")
echo "${report:-no report}"
frames=$(sed -n 's/.* 1024x768, \([0-9]*\) frames.*/\1/p' <<<"$report")
[ "${frames:-0}" -gt 60 ] || fail "/s showed no fullscreen toplevel of 1024x768: $(cat "$WORK/saver.log")"
[ "$(grep -c "surface" "$WORK/saver.log")" -eq 1 ] || fail "/s showed other surfaces or said: $(cat "$WORK/saver.log")"
[ -n "$(find "$WORK/home" -name Zelk_Mirv.par -size +1k)" ] || fail "no pattern stored"

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $((failures > 0))
