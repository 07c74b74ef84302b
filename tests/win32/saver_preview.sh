#!/usr/bin/env bash
# The preview run under Wine on Xvfb: a host program plays the system's
# display settings (a window of 152 x 112, "/p HANDLE"), sees the saver draw
# a moving picture into it, hides it and measures how soon the saver ends
# (one frame and 20 ms; Wine gets slack) with exit code 0. The preview reads
# and writes no file: the saver's folder holds only the .scr afterwards. A
# handle that is not a number is reported, and the run still ends with 0. The
# host also checks that a window that never shows is waited for calmly and
# that its destruction ends the wait.
#
# Usage: saver_preview.sh OUTDIR SAVER_SCR PREVIEW_HOST
set -euo pipefail
out=$1
ZM_SCR=$2
host=$3
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
zm_saver_init "$out" saver_preview
limit_ms=500

folder=$(zm_saver_folder preview)
log="$ZM_OUT/preview-host.log"
status=0
timeout 60 "$ZM_WINE" "$host" "$(zm_windows_path "$folder/zelk_mirv.scr")" "$(zm_windows_path "$ZM_OUT/preview")" \
  >"$log" 2>"$ZM_OUT/preview-host.err" || status=$?
cat "$log"
[ "$status" -eq 0 ] || zm_fail "the preview host reports a failure ($status)"
took=$(sed -n 's/^ended \([0-9]*\) ms after.*/\1/p' "$log")
[ -n "$took" ] && [ "$took" -le "$limit_ms" ] ||
  zm_fail "the preview took ${took:-?} ms to end after its window was hidden (limit $limit_ms)"
for capture in "$ZM_OUT"/preview-*.bmp; do
  convert "$capture" "${capture%.bmp}.png" && rm "$capture"
done
files=$(ls -A "$folder")
[ "$files" = zelk_mirv.scr ] || zm_fail "the preview left files: $(echo "$files" | paste -sd' ')"
echo "the preview wrote no file"

# A window handle that is not a number: the error is reported in a message
# box ("'NOT-A-WINDOW' is not a valid integer value": the arguments are
# upper-cased; see the screenshot), and the process ends with 0 once it is
# dismissed.
zm_saver_start "$folder" /p not-a-window
zm_wait_window "Zelk Mirv" 30 >/dev/null
sleep 0.5
zm_screenshot bad-handle-message >/dev/null
zm_saver_expect_alive 0 "before its message box was dismissed"
xdotool key Return
zm_saver_wait_exit 10
echo "a handle that is not a number: a message box, then exit code 0"
echo "saver preview passed"
