#!/usr/bin/env bash
# setup_dialog.sh PROGRAM TEST_WINDOW OUT: the setup dialog of zelk-mirv -c on
# a private Xvfb: its preview moves and pauses without the focus, the About
# box opens and Esc closes it, Ok stores the choices made with the mouse, and
# Cancel stores nothing.
source "$(dirname "$0")/x11_lib.sh"
. "$(dirname "$0")/../support/dialog_stored.sh"
start_server xvfb Xvfb :@ -screen 0 800x600x24 -nolisten tcp || finish
export XDG_CONFIG_HOME=$WORK/config
settings=$XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini
state=$XDG_CONFIG_HOME/zelk-mirv/Zelk_Mirv.par
title="Zelk Mirv Screen Saver 1.1"

# open_dialog ARGS...: starts the program and waits for its dialog; the
# dialog's client origin lands in $X and $Y.
open_dialog() {
  "$ZM" "$@" &
  pid=$!; run_pids+=("$pid")
  dialog=""
  for _ in $(seq 1 900); do
    dialog=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  [ -n "$dialog" ] || { fail "no setup dialog"; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  sleep 0.5
}
# click_at DX DY: a click at this point of the dialog's client area.
click_at() { xdotool mousemove $((X + $1)) $((Y + $2)) sleep 0.2 click 1 sleep 0.3; }
# preview LABEL: the preview rectangle (271 x 223 at 294, 8) as a picture.
preview() { shot "$1"; convert "$OUT/$1.png" -crop "271x223+$((X + 294))+$((Y + 8))" +repage "$OUT/$1.png"; }

note "a first start: the dialog opens with a moving preview"
open_dialog -c || finish
shot dialog
preview preview-a
sleep 1
preview preview-b
not_black preview-a
not_black preview-b
differ preview-a preview-b

note "another program with the focus pauses the preview, at no cost; the focus back resumes it"
mkfifo "$WORK/other.fifo"
"$TEST_WINDOW" 100 100 <"$WORK/other.fifo" >"$WORK/other" &
run_pids+=("$!")
exec 7>"$WORK/other.fifo"
for _ in $(seq 1 50); do [ -s "$WORK/other" ] && break; sleep 0.1; done
# No window manager here hands the focus over on a click: xdotool does.
xdotool windowfocus "$dialog" sleep 0.3 windowfocus "$(cat "$WORK/other")"
sleep 0.5
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
ticks=$(cpu_ticks)
preview paused-a
sleep 1
preview paused-b
cmp -s <(convert "$OUT/paused-a.png" rgb:-) <(convert "$OUT/paused-b.png" rgb:-) ||
  fail "the preview went on without the focus"
[ $(( $(cpu_ticks) - ticks )) -le 3 ] || fail "the paused preview used $(( $(cpu_ticks) - ticks )) ticks"
xdotool windowfocus "$dialog"
sleep 0.5
preview resumed-a
sleep 0.5
preview resumed-b
differ resumed-a resumed-b
exec 7>&-  # the other program's window goes

note "the About box opens, a link leaves it open, Esc closes it"
click_at 301 310
about=$(xdotool search --sync --onlyvisible --name "^About Zelk Mirv Screen Saver\$" | head -1)
sleep 0.5
shot about
# A link that nothing here can open only beeps; the box stays.
eval "$(xdotool getwindowgeometry --shell "$about")"
xdotool mousemove $((X + 170)) $((Y + 72)) sleep 0.2 click 1 sleep 1
xdotool search --onlyvisible --name "^About Zelk Mirv Screen Saver\$" >/dev/null ||
  fail "a click on the link closed the About box"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool key Escape
sleep 0.5
xdotool search --onlyvisible --name "^About Zelk Mirv Screen Saver\$" >/dev/null &&
  fail "Esc did not close the About box"

note "Ok stores \"All colors\" unchecked and \"Gold\" chosen"
click_at 102 71   # "All colors"
click_at 54 152   # "Gold", the fourth entry
shot dialog-gold
preview preview-gold-a
sleep 1
preview preview-gold-b
differ preview-gold-a preview-gold-b   # the preview went on after the About box
click_at 77 310   # Ok
wait_gone "$pid" 10 || fail "Ok did not close the dialog"
[ "$gone_status" -eq 0 ] || fail "the run ended with status $gone_status"
cp "$settings" "$OUT/settings-after-ok.ini" 2>/dev/null
[ "$(head -1 "$settings")" = "[SETUP_DIALOG]" ] || fail "SETUP_DIALOG is not the first section"
expect_dialog_stored

note "Cancel after changing the controls stores nothing"
before=$(cat "$settings" "$state" | md5sum)
open_dialog || finish
click_at 102 71   # "All colors" again
click_at 100 33   # the speed, towards the slow end
click_at 165 310  # Cancel
wait_gone "$pid" 10 || fail "Cancel did not close the dialog"
[ "$(cat "$settings" "$state" | md5sum)" = "$before" ] || fail "Cancel changed the files"
finish
