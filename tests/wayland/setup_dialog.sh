#!/usr/bin/env bash
# The setup dialog of zelk-mirv -c on GTK's Wayland backend, on a headless
# sway: it opens with its preview moving (there is no X display in the
# session at all, and -wayland keeps it off one that is named), and SIGTERM
# ends it as Cancel does, with the pattern state stored.
# Usage: setup_dialog.sh ZELK_MIRV OUTDIR. Exit 77 where sway cannot start.
set -u
ZM=$1
OUT=$2
rm -rf "$OUT"
mkdir -p "$OUT"
. "$(dirname "$0")/sway_session.sh"

title="Zelk Mirv Screen Saver 1.1"
settings=$WORK/config/zelk-mirv/zelk_mirv.ini
state=$WORK/config/zelk-mirv/Zelk_Mirv.par
sway_do output HEADLESS-1 mode 800x600
# area NAME: a screenshot of the dialog's rectangle.
area() { "${in_session[@]}" grim -g "$geometry" "$WORK/shots/$1.png"; }

# open_dialog ENV... -- ARGS...: starts the dialog; its rectangle lands in
# $geometry and the program's id in $zm.
open_dialog() {
  local envs=()
  while [ "$1" != -- ]; do envs+=("$1"); shift; done
  shift
  "${in_session[@]}" "${envs[@]}" "$ZM" "$@" >"$WORK/dialog.log" 2>&1 &
  zm=$!
  pids+=($zm)
  geometry=""
  for _ in $(seq 1 600); do
    geometry=$("${in_session[@]}" swaymsg -t get_tree | jq -r --arg t "$title" \
      '.. | objects | select(.name? == $t) | .rect | "\(.x),\(.y) \(.width)x\(.height)"' | head -1)
    [ -n "$geometry" ] && return 0
    kill -0 "$zm" 2>/dev/null || break
    sleep 0.1
  done
  fail "no setup dialog for $*: $(cat "$WORK/dialog.log")"
  return 1
}
# end_dialog: SIGTERM ends it as Cancel does.
end_dialog() {
  kill -TERM "$zm"
  for _ in $(seq 1 50); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$zm" 2>/dev/null && fail "the dialog is still there after SIGTERM"
  wait "$zm" 2>/dev/null
}

note "the dialog opens on Wayland with its preview moving"
open_dialog GDK_BACKEND=wayland -- -c || exit 1
sleep 1
area dialog-a
sleep 1
area dialog-b
differ dialog-a dialog-b || fail "the preview does not move"

note "SIGTERM ends the dialog with the state stored"
end_dialog
[ -s "$state" ] || fail "no pattern state stored"
[ -s "$WORK/dialog.log" ] && fail "the run wrote: $(cat "$WORK/dialog.log")"

note "-wayland keeps the dialog off an X display that is named"
open_dialog DISPLAY=:97 -- -wayland /c && end_dialog

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $((failures > 0))
