#!/usr/bin/env bash
# Bad pattern state files under Wine on Xvfb, on the bitmap path
# (use_DirectX=0): a truncated one and one whose values lie outside 0..1000
# each lead to a normal first start (the wait dialog), never a crash, and a
# valid file replaces them at the end. A .scr in a folder nobody may write
# to keeps its files in %LOCALAPPDATA%\Zelk Mirv\.
#
# Usage: saver_bad_state.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
# A small screen keeps the warm-ups short.
zm_saver_init "$out" saver_bad_state 640x480x24
folder=$(zm_saver_folder bad-state)
zm_write_ini "$folder/zelk_mirv.ini" use_DirectX=0
zm_write_state "$ZM_OUT/valid.par" "${ZM_SCREEN%x*}" "${ZM_SCREEN#*x}" 500
state_bytes=$(zm_state_bytes)

# A state file cut short: treated as missing.
head -c $((state_bytes / 2)) "$ZM_OUT/valid.par" >"$ZM_OUT/truncated.par"
cp "$ZM_OUT/truncated.par" "$folder/Zelk_Mirv.par"
zm_first_start_run "$folder" truncated

# A state file of the right size whose values lie outside 0..1000.
{ head -c 8 "$ZM_OUT/valid.par"; perl -e 'print "\xff\x7f" x $ARGV[0]' $(((state_bytes - 8) / 2)); } \
  >"$ZM_OUT/corrupted.par"
cp "$ZM_OUT/corrupted.par" "$folder/Zelk_Mirv.par"
zm_first_start_run "$folder" corrupted

# A .scr in a folder nobody may write to (a read-only file system, which
# binds root too) keeps its files in %LOCALAPPDATA%\Zelk Mirv\ instead.
# Without a settings file there, the run takes the page-flipped path.
readonly_folder="$ZM_OUT/read-only"
user_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Zelk Mirv"
mkdir -p "$readonly_folder"
if mount -t tmpfs -o size=16m zm-read-only "$readonly_folder" 2>/dev/null; then
  trap 'umount "$readonly_folder" 2>/dev/null || true; zm_saver_cleanup' EXIT
  cp "$ZM_SCR" "$readonly_folder/zelk_mirv.scr"
  mount -o remount,ro "$readonly_folder"
  rm -rf "$user_folder"
  zm_first_start_run "$readonly_folder" read-only "$user_folder"
  [ "$(ls -A "$readonly_folder")" = zelk_mirv.scr ] || zm_fail "files beside a read-only .scr"
  [ -f "$user_folder/zelk_mirv.ini" ] || zm_fail "no settings file in $user_folder"
  echo 'read-only: the files went to %LOCALAPPDATA%\Zelk Mirv\'
  umount "$readonly_folder"
else
  echo "SKIP read-only: cannot mount a file system here (needs root)"
fi
echo "saver bad state passed"
