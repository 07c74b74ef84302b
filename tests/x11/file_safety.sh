#!/usr/bin/env bash
# zelk-mirv PROGRAM TEST_WINDOW OUT: files that are not ours. Temporaries left
# by killed saves go at the next start (only ours); a state path that links to
# someone's file leaves that file alone; a lock planted by another user stops
# nothing; without a home nothing is written anywhere; a run in a daemon's
# 1 x 1 window keeps the full-screen pattern.
source "$(dirname "$0")/x11_lib.sh"
start_server xvfb Xvfb :@ -screen 0 320x240x24 -nolisten tcp -noreset -ac || finish
export XDG_CONFIG_HOME=$WORK/config
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 1777 "$XDG_RUNTIME_DIR"
files=$XDG_CONFIG_HOME/zelk-mirv

# saver_run LABEL [ARGS...]: a full-screen run, ended by a key.
saver_run() {
  local label=$1; shift
  "$ZM" /s -seed 3 "$@" 2>"$OUT/$label.stderr" &
  local pid=$!; run_pids+=("$pid")
  wait_for_viewable "Zelk Mirv" 60 || fail "$label: no saver window"
  sleep 0.3
  xdotool key Escape
  wait_gone "$pid" 10 || fail "$label: a key did not end the run"
}

saver_run first
[ -s "$files/Zelk_Mirv.par" ] || fail "the first run stored no state"

# Temporaries of killed saves: those of ours older than the run go.
old="$files/Zelk_Mirv.par.0123456789abcdef.tmp"
head -c 100000 /dev/zero >"$old"
head -c 100 /dev/zero >"$files/zelk_mirv.ini.fedcba9876543210.tmp"
touch -d '1 hour ago' "$old" "$files/zelk_mirv.ini.fedcba9876543210.tmp"
echo "mine" >"$files/notes.0123456789abcdef.tmp"
touch -d '1 hour ago' "$files/notes.0123456789abcdef.tmp"
saver_run temporaries
[ -e "$old" ] && fail "a stale temporary of the state file stayed"
[ -e "$files/zelk_mirv.ini.fedcba9876543210.tmp" ] && fail "a stale temporary of the settings stayed"
[ -e "$files/notes.0123456789abcdef.tmp" ] || fail "someone else's file was removed"
# A windowed run cleans up too.
head -c 1000 /dev/zero >"$old"
touch -d '1 hour ago' "$old"
"$ZM" -window -seed 3 2>"$OUT/window.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no -window window"
[ -e "$old" ] && fail "a -window run left a stale temporary of the state file"
kill -TERM "$pid"
wait_gone "$pid" 10 || fail "the -window run did not end on SIGTERM"
# Real kills in the middle of runs leave nothing behind for long.
for _ in 1 2 3 4 5; do
  "$ZM" /s -seed 3 2>/dev/null &
  pid=$!
  wait_for_viewable "Zelk Mirv" 30
  kill -TERM "$pid"; sleep 0.0$((RANDOM % 10)); kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
done
sleep 1.1  # the leftovers are older than the next run
saver_run after-kills
leftovers=$(find "$files" -name '*.tmp' ! -name 'notes.*')
[ -z "$leftovers" ] || fail "temporaries left after kills: $leftovers"

# A link to someone's file: that file stays, the link is kept aside.
cp /etc/passwd "$WORK/passwd-copy"
cp /etc/passwd "$WORK/passwd-original"
rm "$files/Zelk_Mirv.par"
ln -s "$WORK/passwd-copy" "$files/Zelk_Mirv.par"
saver_run link
cmp -s "$WORK/passwd-copy" "$WORK/passwd-original" || fail "the file behind the link was changed"
[ -L "$files/Zelk_Mirv.par.kept" ] || fail "the link was not kept aside"
[ -f "$files/Zelk_Mirv.par" ] && [ ! -L "$files/Zelk_Mirv.par" ] || fail "no state file of our own"
grep -q "kept as" "$OUT/link.stderr" || fail "nothing said about the kept file"
saver_run link-again
[ -e "$files/Zelk_Mirv.par.kept-2" ] && fail "our own state file was kept aside too"

# A lock file planted and held by another user does not stop the saver;
# a second instance of our own says it is already running.
lock="$XDG_RUNTIME_DIR/zelk-mirv-${DISPLAY}-screen"
rm -f "$lock"  # the earlier runs' own
setpriv --reuid=nobody --regid=nogroup --clear-groups flock "$lock" sleep 60 &
holder=$!; run_pids+=("$holder")
for _ in $(seq 1 50); do [ -e "$lock" ] && break; sleep 0.1; done
"$ZM" /s -seed 3 2>"$OUT/planted.stderr" &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 30 || fail "a lock held by another user stopped the saver"
grep -q "running without the lock" "$OUT/planted.stderr" || fail "nothing said about the foreign lock"
xdotool key Escape
wait_gone "$pid" 10
kill "$holder"; wait "$holder" 2>/dev/null; rm -f "$lock"
"$ZM" /s -seed 3 2>/dev/null &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 30 || fail "no saver window"
"$ZM" /s 2>"$OUT/second.stderr"
status=$?
[ "$status" -eq 0 ] || fail "the second instance ended with status $status"
grep -q "already running" "$OUT/second.stderr" || fail "the second instance said nothing"
xdotool key Escape
wait_gone "$pid" 10

# A daemon's 1 x 1 window does not replace the full-screen pattern.
stored=$(md5sum <"$files/Zelk_Mirv.par")
mkfifo "$WORK/tiny.fifo"
"$TEST_WINDOW" 1 1 <"$WORK/tiny.fifo" >"$WORK/tiny.id" &
helper=$!
exec 7>"$WORK/tiny.fifo"
for _ in $(seq 1 50); do [ -s "$WORK/tiny.id" ] && break; sleep 0.1; done
XSCREENSAVER_WINDOW=$(cat "$WORK/tiny.id") "$ZM" -root 7>&- 2>"$OUT/tiny.stderr" &
pid=$!; run_pids+=("$pid")
sleep 2
kill -TERM "$pid"
wait_gone "$pid" 5 || fail "the 1 x 1 run did not end"
exec 7>&-; wait "$helper"
[ "$(md5sum <"$files/Zelk_Mirv.par")" = "$stored" ] || fail "a 1 x 1 run replaced the stored pattern"

# No HOME and no passwd entry: nothing is written, and the run says why once.
cp "$ZM" "$WORK/zelk-mirv"
chmod 755 "$WORK/zelk-mirv"
mkdir -m 777 "$WORK/cwd"
(cd "$WORK/cwd" && setpriv --reuid=54321 --regid=54321 --clear-groups \
  env -i DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$WORK/zelk-mirv" /s -seed 3 2>"$OUT/homeless.stderr") &
pid=$!; run_pids+=("$pid")
wait_for_viewable "Zelk Mirv" 60 || fail "no saver window without a home"
sleep 0.3
xdotool key Escape
wait_gone "$pid" 10 || fail "the run without a home did not end"
[ -z "$(ls -A "$WORK/cwd")" ] || fail "files in the working folder: $(ls -A "$WORK/cwd")"
[ "$(grep -c "no home folder" "$OUT/homeless.stderr")" -eq 1 ] ||
  fail "the run without a home did not say why once: $(cat "$OUT/homeless.stderr")"
rm -f /tmp/zelk-mirv-54321-*
finish
