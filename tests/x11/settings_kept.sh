#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: what the user stored is not lost.
# Settings written while a full-screen run goes on survive its end; a
# long -root run takes a new speed from the file (a still picture at 0) and
# leaves the file as written; on a full disk the run names the state file it
# could not write and why, exits 1 and keeps the old state; monitors whose
# names meet in a file name ("A:1", "A.1") keep patterns of their own.
source "$(dirname "$0")/x11_lib.sh"
start_server xvfb Xvfb :@ -screen 0 480x240x24 -nolisten tcp -ac || finish
export XDG_CONFIG_HOME=$WORK/config
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/zelk-mirv"
chmod 700 "$XDG_RUNTIME_DIR"
files=$XDG_CONFIG_HOME/zelk-mirv
ini=$files/zelk_mirv.ini

# store TEXT: the settings file replaced as a setup dialog's Ok does.
store() { printf "$1" >"$ini.new" && mv "$ini.new" "$ini"; }
has() { grep -qx "$1" "$ini" || fail "$2: $1 was lost: $(tr '\n' ' ' <"$ini")"; }

note "a full-screen run keeps what was stored while it ran"
store '[BASIC_PARAMETERS]\nuse_DirectX=0\n'
"$ZM" /s -seed 3 2>"$OUT/full.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no saver window"
store '[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=0.3\n[PATTERNS]\nPattern=4\nShow_All=0\n[MONITORS]\nLayout=span\n'
sleep 0.5
xdotool key Escape
wait_gone "$pid" 10 || fail "a key did not end the run"
for line in SHAPE_SPEED=0.3 Pattern=4 Show_All=0 Layout=span; do has "$line" "/s"; done
[ -s "$files/Zelk_Mirv.par" ] || fail "the run stored no state"

note "a -root run takes a new speed and leaves the file as written"
"$ZM" -root -seed 3 2>"$OUT/root.stderr" &
pid=$!; run_pids+=("$pid")
shot_not_black root-moving 30
store '[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=0\n'
sleep 1
shot root-still-a
sleep 0.6
shot root-still-b
cmp -s <(convert "$OUT/root-still-a.png" -depth 8 rgb:-) <(convert "$OUT/root-still-b.png" -depth 8 rgb:-) ||
  fail "the -root run did not take speed 0 from the file"
store '[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=2\n'
sleep 1
shot root-again-a
sleep 0.6
shot root-again-b
differ root-again-a root-again-b
kill -TERM "$pid"
wait_gone "$pid" 10 || fail "SIGTERM did not end the -root run"
has SHAPE_SPEED=2 "-root"
[ -s "$OUT/root.stderr" ] && fail "the -root run said: $(cat "$OUT/root.stderr")"

if [ "$(id -u)" -eq 0 ]; then
  note "a full disk: the failed save is named, the run exits 1, the old state stays"
  small=$WORK/small
  mkdir -p "$small"
  mount -t tmpfs -o size=1m tmpfs "$small" || fail "no tmpfs"
  trap 'umount "$small" 2>/dev/null; cleanup' EXIT
  mkdir -p "$small/zelk-mirv"
  printf '[BASIC_PARAMETERS]\nuse_DirectX=0\n' >"$small/zelk-mirv/zelk_mirv.ini"
  XDG_CONFIG_HOME=$small "$ZM" /s -seed 5 2>"$OUT/disk1.stderr" &
  pid=$!; run_pids+=("$pid")
  wait_for_viewable "Zelk Mirv" 60 || fail "no saver window on the small disk"
  xdotool key Escape
  wait_gone "$pid" 10
  before=$(md5sum <"$small/zelk-mirv/Zelk_Mirv.par")
  dd if=/dev/zero of="$small/filler" bs=4096 2>/dev/null
  XDG_CONFIG_HOME=$small "$ZM" /s -seed 5 2>"$OUT/disk2.stderr" &
  pid=$!; run_pids+=("$pid")
  wait_for_viewable "Zelk Mirv" 60 || fail "no saver window on the full disk"
  xdotool key Escape
  wait_gone "$pid" 10
  [ "$gone_status" -eq 1 ] || fail "a run that could not store its state exits with $gone_status"
  grep -q "Unable to write to $small/zelk-mirv/Zelk_Mirv.par: .*No space left on device" \
    "$OUT/disk2.stderr" || fail "the failed save said: $(cat "$OUT/disk2.stderr")"
  [ "$(md5sum <"$small/zelk-mirv/Zelk_Mirv.par")" = "$before" ] || fail "the old state was lost"
  [ -z "$(find "$small" -name '*.tmp')" ] || fail "a temporary was left on the full disk"
  umount "$small"
fi

note "monitors whose names meet in a file name keep patterns of their own"
xrandr --setmonitor '*P' 160/40x240/60+0+0 none
xrandr --setmonitor 'A:1' 160/40x240/60+160+0 none
xrandr --setmonitor 'A.1' 160/40x240/60+320+0 none
store '[BASIC_PARAMETERS]\nuse_DirectX=0\n[MONITORS]\nLayout=each\n'
"$ZM" /s 2>"$OUT/each.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no saver window under each"
sleep 0.3
xdotool key Escape
wait_gone "$pid" 10
[ "$(find "$files" -name 'Zelk_Mirv-A_1-*.par' | wc -l)" -eq 2 ] ||
  fail "A:1 and A.1 do not keep two patterns: $(ls "$files")"
finish
