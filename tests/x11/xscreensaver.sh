#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT [installed]: the desktop's screen-saver
# daemon, given the program in its list, runs it with --root when activated;
# the program draws the ornament into the daemon's window and stores its state
# when the daemon ends it with SIGTERM. The daemon refuses to run as root: it
# runs as an unprivileged user made for the test. With "installed" the list
# names the program by its bare name, as a user writes it for an installed
# package, and the daemon finds it itself.
installed=${4:-}
source "$(dirname "$0")/x11_lib.sh"
command -v xscreensaver >/dev/null || { echo "SKIP: no xscreensaver"; exit 0; }
[ "$(id -u)" -eq 0 ] || { echo "SKIP: making the test user needs root"; exit 0; }
user=zmsaver
id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ||
  { fail "cannot make the user $user"; finish; }
home=$WORK/home
mkdir -p "$home/bin"
if [ "$installed" = installed ]; then
  program=zelk-mirv
else
  cp "$ZM" "$home/bin/zelk-mirv"
  program=$home/bin/zelk-mirv
fi
cat >"$home/.xscreensaver" <<CONF
mode: one
selected: 0
lock: False
splash: False
fade: False
unfade: False
timeout: 0:30:00
dpmsEnabled: False
programs: "Zelk Mirv" $program --root --speed 2.0 \\n
CONF
chown -R "$user" "$home"
start_server xvfb Xvfb :@ -screen 0 640x480x24 -nolisten tcp -ac || finish
as_user() { setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
  env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"; }

as_user xscreensaver -no-splash >"$OUT/daemon.log" 2>&1 &
daemon=$!; run_pids+=("$daemon")
for _ in $(seq 1 50); do as_user xscreensaver-command -version >/dev/null 2>&1 && break; sleep 0.2; done
start=$(now_ms)
as_user xscreensaver-command -activate >>"$OUT/daemon.log" 2>&1 || fail "the daemon did not take -activate"
for _ in $(seq 1 100); do pgrep -u "$user" -f "zelk-mirv --root" >/dev/null && break; sleep 0.1; done
pgrep -u "$user" -f "zelk-mirv --root" >/dev/null || fail "the daemon did not start zelk-mirv --root"
if [ "$installed" = installed ]; then
  ran=$(readlink -f "/proc/$(pgrep -u "$user" -f "zelk-mirv --root" | head -n 1)/exe")
  [ "$ran" = "$ZM" ] || fail "the daemon ran $ran, not the installed $ZM"
fi
shot_not_black daemon-a 60
sleep 1
shot daemon-b
not_black daemon-a
differ daemon-a daemon-b
note "drawing under the daemon $(( $(now_ms) - start )) ms after -activate"
as_user xscreensaver-command -deactivate >>"$OUT/daemon.log" 2>&1
for _ in $(seq 1 50); do pgrep -u "$user" -f "zelk-mirv --root" >/dev/null || break; sleep 0.1; done
pgrep -u "$user" -f "zelk-mirv --root" >/dev/null && fail "zelk-mirv outlived the daemon's run"
[ -s "$home/.config/zelk-mirv/Zelk_Mirv.par" ] || fail "no state stored when the daemon ended the run"
as_user xscreensaver-command -exit >/dev/null 2>&1
wait_gone "$daemon" 5 || kill "$daemon"
finish
