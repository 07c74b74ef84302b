#!/usr/bin/env bash
# The setup dialog's other windows under Wine:
# 1. Preview shows the saver window over the whole screen (a screenshot shows
#    the ornament, none of the dialog's silver); a key hides it again and the
#    dialog's preview moves on;
# 2. About opens the About box (logo, navy links with a cursor of their own)
#    and pauses the preview; Esc, Enter and its Ok button each close it, and each
#    time the preview moves again; so does its close box;
# 3. without "Use DirectX" Preview shows the ornament full-screen too; the
#    dialog's close box ends the run with 0.
#
# Usage: dialog_windows.sh OUTDIR SAVER_SCR DRIVER_EXE
set -euo pipefail
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/dialog_lib.sh"
zm_dialog_init dialog_windows "$@"

zm_dialog_start
drv preview-moves 10 || zm_fail "the preview does not move"
shot=$(zm_screenshot dialog)
silver=$(zm_silver_share "$shot")
awk -v s="$silver" 'BEGIN { exit !(s > 0.1) }' || zm_fail "the dialog is not on the screen ($silver silver)"

# Preview: the saver window covers the screen with the ornament until a key.
preview_full_screen() {
  drv click Preview
  drv wait MainScreen 10 || zm_fail "Preview shows no saver window"
  sleep 1
  shot=$(zm_screenshot "$1")
  zm_expect_picture "$shot"
  silver=$(zm_silver_share "$shot")
  awk -v s="$silver" 'BEGIN { exit !(s < 0.01) }' ||
    zm_fail "the dialog shows through the saver ($silver silver)"
  zm_expect_state saver_visible=1 saver_rect=0,0,800x600
  xdotool key space
  drv wait-gone MainScreen 10 || zm_fail "a key does not end the preview"
  drv preview-moves 10 "$ZM_OUT/$1-back.ppm" || zm_fail "the preview does not move after Preview"
  zm_expect_state dialog_visible=1 saver_visible=0
  echo "$1: the ornament covers the screen; a key brings the dialog back"
}

echo "== Preview"
preview_full_screen preview-full-screen

echo "== About"
about_opens() {
  drv click About
  drv wait "$ZM_ABOUT_TITLE" 10 || zm_fail "About opens no About box"
}
about_closed_by() {
  drv wait-gone "$ZM_ABOUT_TITLE" 10 || zm_fail "$1 does not close the About box"
  zm_expect_state dialog_enabled=1
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

echo "== Preview without DirectX"
drv click "Use DirectX"
zm_expect_state use_directx=0 mode_enabled=0
preview_full_screen preview-no-directx

# The dialog's close box ends the run like Cancel.
drv close "$ZM_DIALOG_TITLE"
zm_dialog_wait_exit
echo "dialog_windows passed in ${SECONDS}s"
