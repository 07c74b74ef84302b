#!/usr/bin/env bash
# The monitor layouts of a saver run (/s, the bitmap path) under Wine, on the
# dummy X server with two monitors of different sizes (1024x768 primary,
# 640x480 to its right):
# 1. "primary": the ornament on the primary monitor, the other black;
# 2. "each": every monitor its own moving ornament, the second monitor's
#    pattern stored in a file of its own at the end;
# 3. "span": one moving picture over both; when the second monitor goes and
#    comes back mid-run, the window takes the new screen and the picture
#    covers the second monitor again.
#
# Usage: saver_monitors.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
zm_saver_init "$out" saver_monitors two-monitors
[ "$ZM_SCREEN" = 1664x768 ] || zm_fail "the screen is $ZM_SCREEN, not two monitors side by side"

# part SHOT NAME GEOMETRY: a monitor's part of a screenshot; prints its path.
part() {
  convert "$1" -crop "$3" +repage "$ZM_OUT/$2.png"
  echo "$ZM_OUT/$2.png"
}

# layout_run LAYOUT: a run with that layout, until its ornament shows.
layout_run() {
  folder=$(zm_saver_folder "$1")
  zm_write_ini "$folder/zelk_mirv.ini" use_DirectX=0
  printf '[MONITORS]\r\nLayout=%s\r\n' "$1" >>"$folder/zelk_mirv.ini"
  zm_saver_start "$folder"
  zm_wait_picture "$1-waiting" 90 >/dev/null
  sleep 1
}

# both_monitors_move LABEL: both monitors show a picture, and the second one's
# moves.
both_monitors_move() {
  local shot later
  shot=$(zm_screenshot "$1-a")
  sleep 0.5
  later=$(zm_screenshot "$1-b")
  zm_expect_picture "$(part "$shot" "$1-a-first" 1024x768+0+0)"
  zm_expect_picture "$(part "$shot" "$1-a-second" 640x480+1024+0)"
  zm_expect_change "$ZM_OUT/$1-a-second.png" "$(part "$later" "$1-b-second" 640x480+1024+0)"
}

end_run() {
  zm_saver_key Return
  zm_saver_wait_exit 15
}

echo "== primary"
layout_run primary
shot=$(zm_screenshot primary)
zm_expect_picture "$(part "$shot" primary-first 1024x768+0+0)"
mean=$(convert "$(part "$shot" primary-second 640x480+1024+0)" -format '%[fx:mean]' info:)
[ "$mean" = 0 ] || zm_fail "primary: the second monitor is not black (mean $mean)"
end_run

echo "== each"
layout_run each
both_monitors_move each
end_run
[ "$(stat -c %s "$folder/Zelk_Mirv-DISPLAY2.par" 2>/dev/null)" -lt "$(stat -c %s "$folder/Zelk_Mirv.par")" ] ||
  zm_fail "each: no smaller pattern stored for the second monitor: $(ls "$folder")"

echo "== span"
layout_run span
both_monitors_move span

echo "== span: the second monitor goes and comes back"
zm_second_monitor off
sleep 2
zm_saver_alive || zm_fail "the run ended when a monitor went"
[ "$(zm_screen_size)" = 1024x768 ] || zm_fail "the screen did not shrink"
zm_expect_picture "$(zm_screenshot span-one-monitor)"
zm_second_monitor on
sleep 3
shot=$(zm_screenshot span-back)
zm_expect_picture "$(part "$shot" span-back-second 640x480+1024+0)"
end_run
echo "saver_monitors passed in ${SECONDS}s"
