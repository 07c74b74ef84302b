#!/usr/bin/env bash
# The setup dialog's About box under Wine: About opens it (the logo, navy
# links with a cursor of their own) and pauses the preview; Esc, Enter, its
# Ok button and its close box each close it, and each time the preview moves
# again and the focus is back on About. Another program in front pauses the
# preview too, until the dialog is back in front. A second configure run
# meanwhile ends at once.
#
# Usage: dialog_about.sh OUTDIR SAVER_SCR DRIVER_EXE
set -euo pipefail
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/dialog_lib.sh"
zm_dialog_init dialog_about "$@"

zm_dialog_start
drv preview-moves 10 || zm_fail "the preview does not move"

# A second configure run while the dialog is open ends at once with 0.
status=0
(cd "$ZM_APP" && timeout 20 "$ZM_WINE" ./zelk_mirv.scr /c) || status=$?
[ "$status" -eq 0 ] || zm_fail "a second configure run ended with $status"
zm_expect_state dialog_visible=1

about_opens() {
  drv click About
  drv wait "$ZM_ABOUT_TITLE" 10 || zm_fail "About opens no About box"
}
about_closed_by() {
  drv wait-gone "$ZM_ABOUT_TITLE" 10 || zm_fail "$1 does not close the About box"
  zm_wait_state dialog_enabled=1 focus=About
  drv preview-moves 10 || zm_fail "the preview does not resume after $1"
  echo "$1 closes the About box; the preview moves again"
}

about_opens
zm_expect_state dialog_enabled=0
drv preview-still 5 || zm_fail "the preview goes on behind the About box"
shot=$(zm_screenshot about)
read -r ax ay <<<"$(drv origin "$ZM_ABOUT_TITLE")"
# The logo: a 75x150 picture at (8, 9); the links in navy.
convert "$shot" -crop "75x150+$((ax + 8))+$((ay + 9))" +repage "$ZM_OUT/about-logo.png"
zm_expect_picture "$ZM_OUT/about-logo.png"
for link in "152 66 153 13" "104 106 206 13"; do
  read -r x y w h <<<"$link"
  navy=$(convert "$shot" -crop "${w}x$h+$((ax + x))+$((ay + y))" +repage -fill white +opaque navy \
    -fill black -opaque navy -format '%[fx:1-mean]' info:)
  awk -v n="$navy" 'BEGIN { exit !(n > 0.05) }' || zm_fail "the link at $x,$y is not navy"
done
# Over a link the box shows a cursor of its own (the hand), not the one over
# a plain label.
plain=$(drv cursor-over e-mail: "$ZM_ABOUT_TITLE")
for link in zelk-mirv@example.org https://zelk-mirv.example.org/; do
  cursor=$(drv cursor-over "$link" "$ZM_ABOUT_TITLE")
  [ "$cursor" != "$plain" ] || zm_fail "$link shows the plain label's cursor ($cursor)"
  [ -z "${link_cursor:-}" ] || [ "$cursor" = "$link_cursor" ] || zm_fail "the links' cursors differ"
  link_cursor=$cursor
done
echo "links: $link_cursor, labels: $plain"

xdotool key Escape
about_closed_by Esc
about_opens
xdotool key Return
about_closed_by Enter
about_opens
drv click Ok "$ZM_ABOUT_TITLE"
about_closed_by Ok
about_opens
drv close "$ZM_ABOUT_TITLE"
about_closed_by "the close box"

echo "== another program"
# Another program's window in front pauses the preview; coming back resumes it.
drv steal-focus 30 "$(zm_windows_path "$ZM_OUT/other-program.done")" >"$ZM_OUT/other-program.out" &
stealer=$!
zm_wait_line "$ZM_OUT/other-program.out" "in front" 20 >/dev/null || zm_fail "no other program"
drv preview-still 5 || zm_fail "the preview goes on while another program has the focus"
touch "$ZM_OUT/other-program.done"
wait "$stealer"
drv activate "$ZM_DIALOG_TITLE"
zm_wait_state focus=About
drv preview-moves 10 || zm_fail "the preview does not resume when the dialog is back in front"

drv click Cancel
zm_dialog_wait_exit
echo "dialog_about passed in ${SECONDS}s"
