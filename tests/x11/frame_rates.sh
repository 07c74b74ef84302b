#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT CONF FRAME_COUNTER: on the dummy video
# driver at 1024x768, switched between 60 and 144 Hz modes, the ornament
# moves as fast at 144 Hz as at 60 (the picture's change a second from pairs
# of screenshots), a limit of 30 gives 28.8 frames a second on the 144 Hz
# grid, and on battery (a fake UPower on a private system bus) frames keep
# to 30 a second until the power comes back. Every run starts from the same
# stored pattern; frames go without Present, whose fake refreshes on this
# driver come at 60 a second whatever the mode.
source "$(dirname "$0")/x11_lib.sh"
conf=$4
COUNTER=$5
[ "$(id -u)" -eq 0 ] || { echo "SKIP: the dummy X server needs root"; exit 0; }
start_server xorg Xorg :@ -config "$conf" -logfile "$OUT/xorg.log" -noreset -nolisten tcp \
  -novtswitch -sharevts || finish
export XDG_CONFIG_HOME=$WORK/config ZELK_MIRV_NO_PRESENT=1
source "$(dirname "$0")/../support/refresh_modes.sh"
add_refresh_modes 60 144 || fail "no 60 and 144 Hz modes"
mode() { refresh_mode "$1" || fail "cannot switch to $1 Hz"; }
fps_over() { "$COUNTER" count "$1" | awk '$1 == "fps" {print $2}'; }
state=$XDG_CONFIG_HOME/zelk-mirv/Zelk_Mirv.par

"$ZM" /s -no-video-mode -seed 77 2>"$OUT/first.stderr" &
first=$!; run_pids+=("$first")
shot_not_black first 60
sleep 1
kill "$first"; wait "$first"
[ -s "$state" ] || fail "the first run stored no pattern"
cp "$state" "$WORK/pattern.par"

# start_run LABEL ARGS...: a run from the stored pattern; leaves $run.
start_run() {
  local label=$1; shift
  cp "$WORK/pattern.par" "$state"
  "$ZM" /s -no-video-mode -seed 77 "$@" 2>"$OUT/$label.stderr" &
  run=$!; run_pids+=("$run")
  sleep 3
}

mode 60
start_run at60
change60=$(change_per_second "$WORK"); fps60=$(fps_over 3)
kill "$run"; wait "$run"
mode 144
start_run at144
change144=$(change_per_second "$WORK"); fps144=$(fps_over 3)
shot at144
not_black at144
kill "$run"; wait "$run"
note "60 Hz: $fps60 fps, change $change60/s; 144 Hz: $fps144 fps, change $change144/s"
awk -v f="$fps144" 'BEGIN { exit !(f > 120) }' || fail "144 Hz drew $fps144 frames a second"
awk -v a="$change60" -v b="$change144" 'BEGIN { r = b / a; exit !(r > 0.75 && r < 1.33) }' ||
  fail "the picture changes $change144/s at 144 Hz, $change60/s at 60 Hz"

start_run limit30 -max-fps 30
fps30=$(fps_over 3)
kill "$run"; wait "$run"
note "-max-fps 30 at 144 Hz: $fps30 fps"
awk -v f="$fps30" 'BEGIN { exit !(f > 26 && f < 31) }' || fail "-max-fps 30 gave $fps30 fps"

# Battery: a private system bus with a fake UPower.
if ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
  note "SKIP battery: no python3-dbusmock"
  finish
fi
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$WORK/bus.address" \
  4>"$WORK/bus.pid" || fail "no private bus"
run_pids+=("$(cat "$WORK/bus.pid")")
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$WORK/bus.address")
/usr/bin/python3 -m dbusmock --system --template upower -p '{"OnBattery": true}' \
  >"$OUT/upower.log" 2>&1 &
upower=$!; run_pids+=("$upower")
for _ in $(seq 1 50); do
  gdbus introspect --system -d org.freedesktop.UPower -o /org/freedesktop/UPower >/dev/null 2>&1 &&
    break
  sleep 0.1
done
on_battery() {
  gdbus call --system -d org.freedesktop.UPower -o /org/freedesktop/UPower \
    -m org.freedesktop.DBus.Properties.Set org.freedesktop.UPower OnBattery "<$1>" >/dev/null ||
    fail "cannot tell the fake UPower OnBattery=$1"
}
start_run battery
battery=$(fps_over 3)
on_battery false
sleep 3
mains=$(fps_over 3)
on_battery true
sleep 3
again=$(fps_over 3)
kill "$run"; wait "$run"
note "144 Hz on battery $battery fps, mains $mains fps, battery again $again fps"
awk -v f="$battery" 'BEGIN { exit !(f > 26 && f < 31) }' || fail "on battery: $battery fps"
awk -v f="$mains" 'BEGIN { exit !(f > 120) }' || fail "back on mains: $mains fps"
awk -v f="$again" 'BEGIN { exit !(f > 26 && f < 31) }' || fail "on battery again: $again fps"

# No UPower on the bus: mains power.
kill "$upower"; wait "$upower" 2>/dev/null
start_run no_upower
none=$(fps_over 3)
kill "$run"; wait "$run"
awk -v f="$none" 'BEGIN { exit !(f > 120) }' || fail "without UPower: $none fps"
finish
