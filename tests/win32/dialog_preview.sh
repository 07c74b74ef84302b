#!/usr/bin/env bash
# The setup dialog's Preview button and keyboard under Wine:
# 1. the preview fills exactly its rectangle of the dialog;
# 2. Preview shows the saver window over the whole screen (a screenshot shows
#    the ornament, none of the dialog's silver); a key hides it again and the
#    dialog's preview moves on; the same without "Use DirectX";
# 3. the keyboard: the focus starts on Preview and comes back to it after the
#    preview; Tab and the arrow keys move the trackbar and choose colours; Esc
#    closes nothing; the dialog's close box ends the run with 0.
#
# Usage: dialog_preview.sh OUTDIR SAVER_SCR DRIVER_EXE
set -euo pipefail
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/dialog_lib.sh"
zm_dialog_init dialog_preview "$@"

zm_dialog_start
drv preview-moves 10 || zm_fail "the preview does not move"
zm_expect_state focus=Preview
shot=$(zm_screenshot dialog)
# The preview fills exactly 271x223 pixels at (294, 8) of the client area:
# a picture inside, the dialog's silver on the line around it.
read -r dx dy <<<"$(drv origin "$ZM_DIALOG_TITLE")"
convert "$shot" -crop "271x223+$((dx + 294))+$((dy + 8))" +repage "$ZM_OUT/preview-rect.png"
zm_expect_picture "$ZM_OUT/preview-rect.png"
for edge in "1x225+293+7" "1x225+565+7" "273x1+293+7" "273x1+293+231"; do
  read -r size x y <<<"${edge//+/ }"
  colours=$(convert "$shot" -crop "$size+$((dx + x))+$((dy + y))" +repage -format '%c' histogram:info:)
  [ "$(wc -l <<<"$colours")" = 1 ] && grep -q silver <<<"$colours" ||
    zm_fail "the preview spills over its rectangle at $edge"
done

# Preview: the saver window covers the screen with the ornament until a key.
preview_full_screen() {
  drv click Preview
  drv wait MainScreen 10 || zm_fail "Preview shows no saver window"
  # The first frames may take a moment: look again for up to 5 seconds.
  for _ in $(seq 10); do
    shot=$(zm_screenshot "$1")
    silver=$(zm_silver_share "$shot")
    awk -v s="$silver" 'BEGIN { exit !(s < 0.01) }' && (zm_expect_picture "$shot") 2>/dev/null && break
    sleep 0.5
  done
  awk -v s="$silver" 'BEGIN { exit !(s < 0.01) }' ||
    zm_fail "the dialog shows through the saver ($silver silver)"
  zm_expect_picture "$shot"
  zm_expect_state saver_visible=1 saver_rect=0,0,800x600
  xdotool key space
  drv wait-gone MainScreen 10 || zm_fail "a key does not end the preview"
  drv preview-moves 10 "$ZM_OUT/$1-back.ppm" || zm_fail "the preview does not move after Preview"
  zm_expect_state dialog_visible=1 saver_visible=0
  shot=$(zm_screenshot "$1-back")
  silver=$(zm_silver_share "$shot")
  awk -v s="$silver" 'BEGIN { exit !(s > 0.1) }' || zm_fail "the dialog is not back on the screen"
  echo "$1: the ornament covers the screen; a key brings the dialog back"
}

echo "== Preview"
preview_full_screen preview-full-screen
echo "== Preview without DirectX"
drv click "Use DirectX"
zm_expect_state use_directx=0 mode_enabled=0
preview_full_screen preview-no-directx

echo "== the keyboard"
# The focus came back to Preview; Tab leads to the trackbar, "All colors" and
# the selected colour entry. Esc is bound to no button.
zm_wait_state focus=Preview
xdotool key Tab Right
zm_wait_state focus=msctls_trackbar32 speed=18
xdotool key Tab space
zm_wait_state "focus=All colors" all_colors=0 colors_enabled=1
xdotool key Tab Down Escape
zm_wait_state "focus=Gold and red silk" "color=Gold and red silk" dialog_visible=1

# The dialog's close box ends the run like Cancel.
drv close "$ZM_DIALOG_TITLE"
zm_dialog_wait_exit
echo "dialog_preview passed in ${SECONDS}s"
