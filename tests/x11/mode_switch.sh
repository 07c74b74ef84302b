#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT CONF: on the X server's dummy video driver
# (several modes), a full-screen run with mode switching on puts the output
# into the configured 640x480 and gives the desktop its mode back when it
# ends: by a key, and when it is killed with SIGTERM.
source "$(dirname "$0")/x11_lib.sh"
conf=$4
[ "$(id -u)" -eq 0 ] || { echo "SKIP: the dummy X server needs root"; exit 0; }
start_server xorg Xorg :@ -config "$conf" -logfile "$OUT/xorg.log" -noreset -nolisten tcp \
  -novtswitch -sharevts || finish
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME/zelk-mirv"
printf '[BASIC_PARAMETERS]\nuse_DirectX=1\nWidth=640\nHeight=480\nBitPerPix=32\n' \
  >"$XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini"
current_mode() { xrandr | awk '/\*/ {print $1; exit}'; }
desktop=$(current_mode)
[ "$desktop" != 640x480 ] || fail "the desktop already shows 640x480"
note "desktop mode $desktop"

# switched_run LABEL HOW: a run that is ended by HOW (key or term).
switched_run() {
  "$ZM" /s &
  local pid=$!; run_pids+=("$pid")
  wait_for_viewable "Zelk Mirv" 60 || fail "$1: no saver window"
  sleep 0.5
  [ "$(current_mode)" = 640x480 ] || fail "$1: the output shows $(current_mode), not 640x480"
  shot_not_black "$1" 10
  if [ "$2" = key ]; then xdotool key Return; else kill -TERM "$pid"; fi
  wait_gone "$pid" 5 || fail "$1: the run did not end"
  [ "$(current_mode)" = "$desktop" ] || fail "$1: the desktop got $(current_mode) back, not $desktop"
  note "$1: ended with status $gone_status, mode $(current_mode)"
}
switched_run key-ends key
switched_run sigterm-ends term
[ -s "$XDG_CONFIG_HOME/zelk-mirv/Zelk_Mirv.par" ] || fail "no state stored"
finish
