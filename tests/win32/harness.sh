# Shell pieces for the end-to-end tests of the Windows build under Wine.
# Source it, then call zm_harness_init OUTDIR first: everything a test starts
# (an X server, Wine) is stopped when the test's shell exits, and its output
# (logs, screenshots) stays under OUTDIR. A failed check (zm_fail) is printed
# and counted, and the test goes on; when it exits, it fails if any check
# did. zm_abort ends it at once, for what the rest cannot go without.

ZM_HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ZM_X_PID=""
ZM_SKIP=77  # the exit status CTest reports as a skipped test

zm_harness_init() {
  ZM_OUT=$1
  rm -rf "$ZM_OUT"
  mkdir -p "$ZM_OUT"
  # A file, not a variable: checks made in a subshell count too.
  ZM_FAILURES="$ZM_OUT/failures"
  : >"$ZM_FAILURES"
  ZM_WINE=${ZM_WINE:-$(command -v /usr/lib/wine/wine64 wine64 wine | head -n 1 || true)}
  ZM_WINESERVER=${ZM_WINESERVER:-$(command -v /usr/lib/wine/wineserver64 wineserver | head -n 1 || true)}
  [ -n "$ZM_WINE" ] || zm_abort "no wine64 found"
  trap zm_cleanup EXIT
  trap 'exit 130' INT TERM
}

zm_fail() {
  echo "FAIL: $*" >&2
  echo "$*" >>"$ZM_FAILURES"
}

zm_abort() {
  zm_fail "$@"
  exit 1
}

# The exit trap's last word: a test with a failed check fails, whatever its
# own status.
zm_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${ZM_WINESERVER:-}" ]; then
    "$ZM_WINESERVER" -k >/dev/null 2>&1 || true
  fi
  zm_stop_x
  local failed
  failed=$(wc -l <"$ZM_FAILURES" 2>/dev/null || echo 0)
  if [ "$failed" -gt 0 ]; then
    echo "$failed check(s) failed" >&2
    exit 1
  fi
}

# Starts an X server given as a command (without display number), with the
# display number chosen by the server itself; exports DISPLAY.
zm_start_x() {
  local numfile="$ZM_OUT/display-number"
  : >"$numfile"
  "$@" -displayfd 5 5>"$numfile" >"$ZM_OUT/x-server.out" 2>&1 &
  ZM_X_PID=$!
  for _ in $(seq 100); do
    if [ -s "$numfile" ]; then
      export DISPLAY=":$(tr -d '\n' <"$numfile")"
      return 0
    fi
    kill -0 "$ZM_X_PID" 2>/dev/null || break
    sleep 0.1
  done
  tail -n 20 "$ZM_OUT/x-server.out" >&2
  zm_abort "X server did not start: $*"
}

# A virtual frame buffer for tests that need windows but no video modes.
zm_start_xvfb() {
  zm_start_x Xvfb -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset
}

# The Xorg server with the dummy video driver and a configuration of its own
# (a 1280x1024 desktop and smaller modes reachable through XRandR). Xorg
# accepts a configuration file from an absolute path only for root; without
# root the test is skipped.
zm_start_xorg_dummy() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the dummy-driver Xorg server needs root" >&2
    exit "$ZM_SKIP"
  fi
  zm_start_x Xorg -config "$ZM_HARNESS_DIR/../support/dummy_xorg.conf" -noreset -nolisten tcp \
    -logfile "$ZM_OUT/xorg.log"
}

# The dummy-driver server at 1024x768 whose output switches between modes of
# that size at other refresh rates (tests/support/refresh_modes.sh). Needs
# root as zm_start_xorg_dummy does.
zm_start_xorg_refresh() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the dummy-driver Xorg server needs root" >&2
    exit "$ZM_SKIP"
  fi
  zm_start_x Xorg -config "$ZM_HARNESS_DIR/../support/dummy_xorg_refresh.conf" -noreset \
    -nolisten tcp -logfile "$ZM_OUT/xorg.log"
}

# The dummy-driver server with two monitors of different sizes: 1024x768,
# the primary, and 640x480 to its right (the screen is 1664x768). Needs root
# as zm_start_xorg_dummy does.
zm_start_xorg_two_monitors() {
  zm_start_xorg_dummy
  xrandr --addmode DUMMY1 640x480
  zm_second_monitor on
  # NOTE: Wine started right after the change saw only the primary monitor
  # (a 1024x768 virtual screen); once a client has listed the monitors it
  # sees both.
  [ "$(xrandr --listmonitors | head -n 1)" = "Monitors: 2" ] ||
    zm_fail "no two monitors: $(xrandr --listmonitors)"
}

# Turns the second monitor of zm_start_xorg_two_monitors on or off.
zm_second_monitor() {
  if [ "$1" = on ]; then
    xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary \
      --output DUMMY1 --mode 640x480 --pos 1024x0
  else
    xrandr --output DUMMY1 --off
  fi
}

zm_stop_x() {
  [ -n "$ZM_X_PID" ] || return 0
  kill "$ZM_X_PID" 2>/dev/null || true
  wait "$ZM_X_PID" 2>/dev/null || true
  ZM_X_PID=""
}

# A Wine prefix of the test's own, initialised on first use and kept.
zm_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
  if [ ! -f "$WINEPREFIX/.zm-ready" ]; then
    mkdir -p "$WINEPREFIX"
    "$ZM_WINE" wineboot -i >"$ZM_OUT/wineboot.log" 2>&1 || zm_abort "wineboot failed"
    # NOTE: Wine draws DirectDraw through OpenGL by default; on Xvfb's software
    # OpenGL (Mesa 22.3.6-1+deb12u2) the page-flipped setup-dialog preview then
    # often stays black for seconds. Its GDI renderer draws every frame.
    "$ZM_WINE" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f \
      >>"$ZM_OUT/wineboot.log" 2>&1 || zm_abort "the Direct3D renderer cannot be set"
    "$ZM_WINESERVER" -w
    touch "$WINEPREFIX/.zm-ready"
  fi
}

zm_wine() {
  "$ZM_WINE" "$@"
}

# The Windows name of a Unix path (Wine maps drive Z: to the root).
zm_windows_path() {
  echo "Z:$1"
}

# The X screen's size, WIDTHxHEIGHT.
zm_screen_size() {
  xdpyinfo | awk '/dimensions:/ { print $2 }'
}

# Takes a screenshot of the whole X screen into OUTDIR/NAME.png; prints the path.
zm_screenshot() {
  local file="$ZM_OUT/$1.png"
  import -window root "$file" || zm_abort "screenshot $1"
  echo "$file"
}

# Prints "MEAN COLOURS" of an image: its mean brightness (0..1) and the
# number of distinct colours.
zm_image_stats() {
  convert "$1" -format '%[fx:mean] %k' info:
}

# Fails unless the image shows a picture: not black, many colours.
zm_expect_picture() {
  local stats mean colours
  stats=$(zm_image_stats "$1")
  read -r mean colours <<<"$stats"
  awk -v m="$mean" -v c="$colours" 'BEGIN { exit !(m > 0.02 && c >= 64) }' ||
    zm_fail "$1 shows no picture (mean $mean, $colours colours)"
}

# Waits until a window with the title exists; prints its id.
zm_wait_window() {
  local title=$1 seconds=${2:-30} id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --name "$title" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  zm_abort "no window \"$title\" within ${seconds}s"
}

# Waits until a line of FILE matches the extended regular expression; prints it.
zm_wait_line() {
  local file=$1 pattern=$2 seconds=${3:-30} line
  for _ in $(seq $((seconds * 10))); do
    line=$(grep -E -m 1 "$pattern" "$file" 2>/dev/null) || true
    if [ -n "$line" ]; then
      echo "$line"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
