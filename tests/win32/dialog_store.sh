#!/usr/bin/env bash
# The setup dialog of a configure run (/c) under Wine, driven through its
# controls' window messages by dialog_driver.exe:
# 1. a first start (no files) opens the dialog with a moving preview and the
#    defaults: speed 17, "All colors" checked, the colour list disabled with
#    "Gold and white silk" selected, "Monitors:" on "primary" of
#    primary|each|span, disabled while "Use DirectX" is checked;
# 2. "Gold", speed 20, the 16-bit mode, "span" (chosen while "Use DirectX"
#    is off for a moment) and Ok write the settings file (SETUP_DIALOG
#    first, as the dialog creates it) and the pattern state file, and the
#    run ends with 0; the next run shows what was stored;
# 3. Cancel after changes leaves both files as they were;
# 4. a settings file that cannot be written: Ok shows "Unable to write to
#    ..." and the dialog stays open with its preview moving.
#
# Usage: dialog_store.sh OUTDIR SAVER_SCR DRIVER_EXE
set -euo pipefail
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/dialog_lib.sh"
zm_dialog_init dialog_store "$@"

echo "== first start: the defaults"
[ ! -e "$ZM_SETTINGS" ] && [ ! -e "$ZM_STATE" ] || zm_fail "the saver's folder is not empty"
zm_dialog_start
drv preview-moves 10 "$ZM_OUT/preview-first.ppm" || zm_fail "the preview does not move"
zm_expect_state speed=17 all_colors=1 colors_enabled=0 "color=Gold and white silk" saver_visible=0 \
  use_directx=1 monitors=primary monitors_enabled=0 "monitor_layouts=primary|each|span"
shot=$(zm_screenshot dialog-defaults)
# The colour list's frame at (36, 78) shows the dialog's silver under its
# greyed entries: nothing black (a clipped group box leaves its inside black).
read -r dx dy <<<"$(drv origin "$ZM_DIALOG_TITLE")"
black=$(convert "$shot" -crop "209x193+$((dx + 36))+$((dy + 78))" +repage -fill white +opaque black \
  -fill black -opaque black -format '%[fx:round((1-mean)*w*h)]' info:)
[ "$black" = 0 ] || zm_fail "$black black pixels in the colour list"

echo "== Gold, speed 20, Ok"
drv click "All colors"
drv click Gold
drv speed 20 || zm_fail "the trackbar did not move to 20"
drv choose-mode "800*600  16-bit" || zm_fail "Wine offers no 16-bit mode"
drv click "Use DirectX"
zm_expect_state use_directx=0 monitors_enabled=1
drv choose-monitors span
drv click "Use DirectX"
zm_expect_state speed=20 all_colors=0 colors_enabled=1 color=Gold "mode_text=800*600  16-bit" \
  use_directx=1 monitors=span monitors_enabled=0
drv preview-moves 10 "$ZM_OUT/preview-gold.ppm" || zm_fail "the preview does not move"
zm_screenshot dialog-gold >/dev/null
drv click Ok
zm_dialog_wait_exit
cp "$ZM_SETTINGS" "$ZM_OUT/after-ok.ini"
[ "$(head -n 1 "$ZM_SETTINGS" | tr -d '\r')" = "[SETUP_DIALOG]" ] ||
  zm_fail "the settings file does not start with SETUP_DIALOG"
zm_expect_ini SETUP_DIALOG ShapeSpeed 20
zm_expect_ini SETUP_DIALOG Item 3
zm_expect_ini SETUP_DIALOG All_Materials 0
zm_expect_ini PATTERNS Pattern 5
zm_expect_ini PATTERNS Show_All 0
zm_expect_ini BASIC_PARAMETERS SHAPE_SPEED 2
zm_expect_ini BASIC_PARAMETERS BitPerPix 16
zm_expect_ini MONITORS Layout span
[ -s "$ZM_STATE" ] || zm_fail "no pattern state file after Ok"

echo "== Cancel after changes stores nothing"
cp "$ZM_SETTINGS" "$ZM_OUT/before-cancel.ini"
cp "$ZM_STATE" "$ZM_OUT/before-cancel.par"
zm_dialog_start
zm_expect_state speed=20 all_colors=0 colors_enabled=1 color=Gold "mode_text=800*600  16-bit" \
  monitors=span monitors_enabled=0
drv speed 3
drv click Silver
drv click "All colors"
zm_expect_state speed=3 all_colors=1 colors_enabled=0
drv click Cancel
zm_dialog_wait_exit
cmp "$ZM_OUT/before-cancel.ini" "$ZM_SETTINGS" || zm_fail "Cancel changed the settings file"
cmp "$ZM_OUT/before-cancel.par" "$ZM_STATE" || zm_fail "Cancel changed the pattern state file"

echo "== a settings file that cannot be written"
# Read-only: the file-system layer refuses to replace it, even for root.
chmod 444 "$ZM_SETTINGS"
zm_dialog_start
drv speed 8
drv click Ok
drv wait "Zelk Mirv 1.1" 10 || zm_fail "Ok showed no message box"
zm_screenshot dialog-write-error >/dev/null
box=$(drv message-box 10) || zm_fail "Ok showed no message box"
echo "$box"
grep -q '^text=Unable to write to .*zelk_mirv\.ini' <<<"$box" ||
  zm_fail "the message box does not say \"Unable to write to ...zelk_mirv.ini\""
drv wait-gone "Zelk Mirv 1.1" 10 || zm_fail "the message box stays open"
zm_expect_state dialog_visible=1 dialog_enabled=1 speed=8
drv preview-moves 10 || zm_fail "the preview does not move after the error"
cmp "$ZM_OUT/before-cancel.ini" "$ZM_SETTINGS" || zm_fail "the read-only settings file changed"
drv click Cancel
zm_dialog_wait_exit
echo "dialog_store passed in ${SECONDS}s"
