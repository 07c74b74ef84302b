#!/usr/bin/env bash
# A compositor without the layer shell: a headless weston, which has none.
# The wallpaper run says so and exits with status 2; the full-screen saver
# shows a fullscreen toplevel instead; -window still opens its toplevel there.
# Usage: no_layer_shell.sh ZELK_MIRV OUTDIR. Exit 77 where weston cannot start.
set -u
ZM=$1
OUT=$2
rm -rf "$OUT"
mkdir -p "$OUT"
command -v weston >/dev/null || { echo "no weston"; exit 77; }

. "$(dirname "$0")/unprivileged_work.sh"
user_env=(env -i "HOME=$WORK/home" "XDG_RUNTIME_DIR=$WORK/run" "XDG_CONFIG_HOME=$WORK/home"
          PATH=/usr/bin:/bin WAYLAND_DISPLAY=wayland-test)
"${as_user[@]}" "${user_env[@]}" weston --backend=headless-backend.so --socket=wayland-test \
  --idle-time=0 --width=800 --height=600 >"$WORK/weston.log" 2>&1 &
weston=$!
trap 'kill $weston 2>/dev/null; wait $weston 2>/dev/null; cp "$WORK"/*.log "$OUT"/; rm -rf "$WORK"' EXIT
for _ in $(seq 1 50); do [ -e "$WORK/run/wayland-test" ] && break; sleep 0.1; done
[ -e "$WORK/run/wayland-test" ] || { echo "weston did not start"; cat "$WORK/weston.log"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"${as_user[@]}" "${user_env[@]}" "$ZM" -root >"$WORK/root.log" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "without a layer shell -root exits with $status"
grep -q "offers no layer shell" "$WORK/root.log" || fail "without a layer shell -root says: $(cat "$WORK/root.log")"

# The full-screen saver is a fullscreen toplevel there. Its own report tells
# what it showed (weston's headless screenshots do not complete).
"${as_user[@]}" "${user_env[@]}" ZELK_MIRV_SURFACE_REPORT=1 "$ZM" /s -seed 5 >"$WORK/full.log" 2>&1 &
zm=$!
sleep 4
kill -TERM "$zm" 2>/dev/null
wait "$zm" 2>/dev/null
report=$(grep "surface toplevel" "$WORK/full.log")
frames=$(sed -n 's/.* 800x600, \([0-9]*\) frames.*/\1/p' <<<"$report")
[ "${frames:-0}" -gt 30 ] || fail "/s showed no fullscreen toplevel of 800x600: $(cat "$WORK/full.log")"
grep -qv "surface toplevel" "$WORK/full.log" && fail "/s said: $(cat "$WORK/full.log")"

"${as_user[@]}" "${user_env[@]}" "$ZM" -window >"$WORK/window.log" 2>&1 &
zm=$!
sleep 2
kill -0 "$zm" 2>/dev/null || fail "-window did not stay open: $(cat "$WORK/window.log")"
kill -TERM "$zm" 2>/dev/null
wait "$zm" 2>/dev/null

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $((failures > 0))
