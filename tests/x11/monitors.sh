#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT CONF: on the dummy X server with two
# monitors of different sizes (1024x768 primary, 640x480 to its right), a
# full-screen run under "primary" draws the ornament on the primary monitor
# and leaves the other black; under "each" every monitor shows its own moving
# ornament, whose pattern the next run continues; under "span" both show one
# moving picture; a monitor taken away mid-run is no error.
source "$(dirname "$0")/x11_lib.sh"
conf=$4
[ "$(id -u)" -eq 0 ] || { echo "SKIP: the dummy X server needs root"; exit 0; }
start_server xorg Xorg :@ -config "$conf" -logfile "$OUT/xorg.log" -noreset -nolisten tcp \
  -novtswitch -sharevts || finish
xrandr --addmode DUMMY1 640x480
xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary \
  --output DUMMY1 --mode 640x480 --pos 1024x0
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || fail "no two monitors: $(xrandr --listmonitors)"
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME/zelk-mirv"
printf '[BASIC_PARAMETERS]\nuse_DirectX=0\n[MONITORS]\nLayout=span\n' \
  >"$XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini"

# area LABEL GEOMETRY NAME: a part of a screenshot as a picture of its own.
area() { convert "$OUT/$1.png" -crop "$2" +repage "$OUT/$1-$3.png"; }

# layout_run LAYOUT [LABEL]: a full-screen run with -monitors LAYOUT, two
# screenshots; $waited tells whether the first start's wait dialog showed.
layout_run() {
  "$ZM" /s -monitors "$1" 2>"$OUT/$1.stderr" &
  pid=$!; run_pids+=("$pid")
  set -- "${2:-$1}"
  waited=no
  for _ in $(seq 1 600); do
    xwininfo -root -tree 2>/dev/null | grep -q '"ZELK MIRV"' && waited=yes
    xwininfo -name "Zelk Mirv" 2>/dev/null | grep -q IsViewable && break
    sleep 0.1
  done
  wait_for_viewable "Zelk Mirv" 1 || fail "$1: no saver window"
  shot_not_black "$1-a" 20
  sleep 0.7
  shot "$1-b"
  for label in "$1-a" "$1-b"; do
    area "$label" 1024x768+0+0 primary
    area "$label" 640x480+1024+0 second
  done
  not_black "$1-a-primary"
  differ "$1-a-primary" "$1-b-primary"
}

# second_not_black LABEL: the second monitor's part of shot LABEL is not
# black (a dark part of a picture is not: a deep blue there measured 11), shot
# again for up to 5 s, as under load its first frames may come late.
second_not_black() {
  local _
  for _ in $(seq 1 10); do
    [ "$(mean_of "$OUT/$1-second.png")" -gt 2 ] && return 0
    sleep 0.5
    shot "$1"
    area "$1" 640x480+1024+0 second
  done
  fail "$1-second is black"
}

end_run() {
  xdotool key Return
  wait_gone "$pid" 5 || fail "$1: the run did not end on a key"
  [ "$gone_status" -eq 0 ] || fail "$1: ended with status $gone_status"
  [ -s "$OUT/$1.stderr" ] && fail "$1: said $(cat "$OUT/$1.stderr")"
}

note "primary: the ornament on the primary monitor, the other black"
layout_run primary
[ "$(mean_of "$OUT/primary-a-second.png")" -eq 0 ] || fail "primary: the second monitor is not black"
end_run primary

note "each: every monitor its own moving picture, its pattern in a file of its own"
state=$XDG_CONFIG_HOME/zelk-mirv/Zelk_Mirv.par
second_state=$XDG_CONFIG_HOME/zelk-mirv/Zelk_Mirv-DUMMY1.par
layout_run each
note "each: first run waited: $waited"
second_not_black "each-a"
differ "each-a-second" "each-b-second"
end_run each
[ -s "$second_state" ] || fail "each: no state file for the second monitor"
[ $(( $(stat -c %s "$state") - $(stat -c %s "$second_state") )) -eq $(( 4 * (1024 * 768 - 640 * 480) )) ] ||
  fail "each: the state files do not hold patterns of the monitors' sizes"
layout_run each each-again
[ "$waited" = no ] || fail "each: the second run warmed up again"
second_not_black "each-again-a"
end_run each

note "span (from the settings file's value, given again for the run): one picture over both"
layout_run span
second_not_black "span-a"
differ "span-a-second" "span-b-second"
note "the second monitor goes mid-run"
xrandr --output DUMMY1 --off
sleep 1.5
shot span-one-monitor
[ "$(identify -format '%wx%h' "$OUT/span-one-monitor.png")" = 1024x768 ] ||
  fail "the screen did not shrink to the primary monitor"
not_black span-one-monitor
kill -0 "$pid" 2>/dev/null || fail "span: the run ended when a monitor went"
end_run span
finish
