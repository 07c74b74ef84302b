#!/usr/bin/env bash
# The setup dialog of zelk-mirv -c on GTK's Wayland backend, on a headless
# sway: it opens with its preview moving (there is no X display in the
# session at all, and -wayland keeps it off one that is named), and SIGTERM
# ends it as Cancel does, with the pattern state stored. Its buttons are
# pressed with a virtual pointer: Preview shows the ornament full screen
# until a click or a pointer move, and Ok stores the choices made with it.
# Usage: setup_dialog.sh ZELK_MIRV OUTDIR ZM_WL_CLICK. Exit 77 where sway
# cannot start.
set -u
ZM=$1
OUT=$2
CLICK=$3
rm -rf "$OUT"
mkdir -p "$OUT"
. "$(dirname "$0")/sway_session.sh"
. "$(dirname "$0")/../support/dialog_stored.sh"

title="Zelk Mirv Screen Saver 1.1"
settings=$WORK/config/zelk-mirv/zelk_mirv.ini
state=$WORK/config/zelk-mirv/Zelk_Mirv.par
sway_do output HEADLESS-1 mode 800x600
# The seat has a pointer only while a virtual one exists, and GTK lets its own
# go when the seat loses it: one is kept for the whole session, so that the
# pointers of each click come and go without the seat noticing.
"${in_session[@]}" "$CLICK" --hold >"$WORK/pointer.log" 2>&1 &
pids+=($!)
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
  # sway may still move the new window once it stands: its place counts once
  # two looks in a row agree.
  local seen=""
  for _ in $(seq 1 600); do
    if find_dialog; then
      [ "$seen" = "$geometry $left $top" ] && return 0
      seen="$geometry $left $top"
    fi
    kill -0 "$zm" 2>/dev/null || break
    sleep 0.1
  done
  fail "no setup dialog for $*: $(cat "$WORK/dialog.log")"
  return 1
}
# find_dialog: the dialog's rectangle with sway's border in $geometry, and
# the top left corner and size of its client area in $left $top $client.
find_dialog() {
  local place
  place=$("${in_session[@]}" swaymsg -t get_tree | jq -r --arg t "$title" '.. | objects |
    select(.name? == $t) | [.rect, .window_rect] as [$r, $w] | "\($r.x),\($r.y) \($r.width)x" +
    "\($r.height) \($r.x + $w.x) \($r.y + $w.y) \($w.width)x\($w.height)"' |
    head -1)
  [ -n "$place" ] || return 1
  read -r corner size left top client <<<"$place"
  geometry="$corner $size"
}
# end_dialog: SIGTERM ends it as Cancel does.
end_dialog() {
  kill -TERM "$zm"
  for _ in $(seq 1 50); do kill -0 "$zm" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$zm" 2>/dev/null && fail "the dialog is still there after SIGTERM"
  wait "$zm" 2>/dev/null
}

# until SECONDS COMMAND...: runs COMMAND until it succeeds, for at most SECONDS.
until_true() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
has_pointer() {
  "${in_session[@]}" swaymsg -t get_inputs | jq -e 'any(.[]; .type == "pointer")' >/dev/null
}
# press X Y: a left click at a place of the dialog's client area.
press() { "${in_session[@]}" "$CLICK" $((left + $1)) $((top + $2)) || fail "no click at $1,$2"; }
# preview_place: where the Preview button's toplevel stands and whether it is
# fullscreen (1), empty while there is none.
preview_place() {
  "${in_session[@]}" swaymsg -t get_tree | jq -r '.. | objects |
    select(.app_id? == "zelk-mirv" and .name == "Zelk Mirv") |
    "\(.rect.x),\(.rect.y) \(.rect.width)x\(.rect.height) \(.fullscreen_mode)"' | head -1
}
preview_shown() { [ -n "$(preview_place)" ]; }
preview_gone() { [ -z "$(preview_place)" ]; }
# wait_gone SECONDS: until the dialog's program ends; its status in $status.
wait_gone() {
  until_true "$1" eval '! kill -0 "$zm" 2>/dev/null' || return 1
  wait "$zm"
  status=$?
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

note "Preview shows the ornament full screen until a click, then the dialog is back"
until_true 10 has_pointer || fail "the virtual pointer did not come: $(cat "$WORK/pointer.log")"
open_dialog GDK_BACKEND=wayland -- -c || exit 1
# The buttons' places are the dialog's own: GTK must not have added a
# header bar of its own above them (sway draws the title).
[ "$client" = 575x337 ] || fail "the dialog's client area is $client, not 575x337"
press 456 309  # Preview
until_true 15 preview_shown || fail "Preview showed nothing"
place=$(preview_place)
[ "$place" = "0,0 800x600 1" ] || fail "the preview is not full screen: $place"
wait_lit preview-full HEADLESS-1 || fail "the full-screen preview stays dark"
[ "$(size_of preview-full)" = 800x600 ] || fail "the output's shot is $(size_of preview-full)"
"${in_session[@]}" "$CLICK" 20 20 || fail "no click on the preview"
until_true 10 preview_gone || fail "a click did not end the preview"
kill -0 "$zm" 2>/dev/null || fail "the dialog ended with the preview"
find_dialog || fail "the dialog is not back after the preview"
area back-a
sleep 0.5
area back-b
differ back-a back-b || fail "the dialog's preview does not move after the full-screen one"

note "a pointer move ends the preview too"
press 456 309
until_true 15 preview_shown || fail "Preview showed nothing the second time"
# A few moves are let pass (a pointer settling), then one on both axes ends it.
for step in $(seq 1 20); do
  "${in_session[@]}" "$CLICK" --move $((100 + 10 * step)) $((100 + 10 * step))
  preview_gone && break
  sleep 0.1
done
until_true 5 preview_gone || fail "pointer moves did not end the preview"

note "Ok stores \"All colors\" unchecked and \"Gold\" chosen"
find_dialog || fail "the dialog is not back"
rm -f "$settings" "$state"
press 102 71   # "All colors"
press 54 152   # "Gold", the fourth entry
area dialog-gold
press 77 310   # Ok
wait_gone 10 || fail "Ok did not close the dialog"
[ "${status:-}" = 0 ] || fail "the run ended with status ${status:-none}"
cp "$settings" "$OUT/settings-after-ok.ini" 2>/dev/null
expect_dialog_stored
[ -s "$WORK/dialog.log" ] && fail "the run wrote: $(cat "$WORK/dialog.log")"

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit $((failures > 0))
