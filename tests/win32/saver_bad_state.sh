#!/usr/bin/env bash
# Bad pattern state files under Wine on Xvfb, on the bitmap path
# (use_DirectX=0): a truncated one and one whose values lie outside 0..1000
# each lead to a normal first start (the wait dialog), never a crash, and a
# valid file replaces them at the end; a state file that cannot be written is
# named in an error box. A .scr in a folder nobody may write to keeps its
# files in %LOCALAPPDATA%\Zelk Mirv\.
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

# A state file cut short: treated as missing, and replaced (it is ours). The
# temporary a killed save left beside it goes at the start.
head -c $((state_bytes / 2)) "$ZM_OUT/valid.par" >"$ZM_OUT/truncated.par"
cp "$ZM_OUT/truncated.par" "$folder/Zelk_Mirv.par"
leftover="$folder/Zelk_Mirv.par.0123456789abcdef.tmp"
cp "$ZM_OUT/truncated.par" "$leftover"
touch -d '1 hour ago' "$leftover"
zm_first_start_run "$folder" truncated
[ -e "$leftover" ] && zm_fail "the temporary of a killed save stayed"
[ -e "$folder/Zelk_Mirv.par.kept" ] && zm_fail "our own damaged state file was kept aside"

# A state file of the right size whose values lie outside 0..1000.
{ head -c 8 "$ZM_OUT/valid.par"; perl -e 'print "\xff\x7f" x $ARGV[0]' $(((state_bytes - 8) / 2)); } \
  >"$ZM_OUT/corrupted.par"
cp "$ZM_OUT/corrupted.par" "$folder/Zelk_Mirv.par"
zm_first_start_run "$folder" corrupted

# A link to someone's file (a copy of /etc/passwd): that file stays as it
# was. Wine shows the link as a plain file, which is copied aside.
cp /etc/passwd "$ZM_OUT/passwd-copy"
rm "$folder/Zelk_Mirv.par"
ln -s "$ZM_OUT/passwd-copy" "$folder/Zelk_Mirv.par"
zm_first_start_run "$folder" link
cmp -s /etc/passwd "$ZM_OUT/passwd-copy" || zm_fail "the file behind the link was changed"
cmp -s /etc/passwd "$folder/Zelk_Mirv.par.kept" || zm_fail "no copy kept as Zelk_Mirv.par.kept"
echo "link: the file behind it is untouched, a copy kept as Zelk_Mirv.par.kept"

# A state file that cannot be written (a directory in its place): the run
# ends with an error box that names the file and the reason.
rm "$folder/Zelk_Mirv.par"
mkdir "$folder/Zelk_Mirv.par"
zm_saver_start "$folder"
zm_expect_wait_dialog unwritable-wait-dialog >/dev/null
zm_wait_picture unwritable-ornament >/dev/null
zm_saver_key
box=""
for _ in $(seq 1 100); do
  box=$(xwininfo -root -tree | awk '/"Zelk Mirv": \(/ && !/ 640x480\+/ { print $1; exit }')
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || zm_fail "a state file that could not be written showed no error box"
zm_screenshot unwritable-error-box >/dev/null
xdotool key Return
zm_saver_wait_exit 10
[ -d "$folder/Zelk_Mirv.par" ] || zm_fail "the directory in the state file's place was touched"
[ -f "$folder/zelk_mirv.ini" ] || zm_fail "the settings were not stored beside the failed state"
rmdir "$folder/Zelk_Mirv.par"
echo "unwritable: an error box named the state file"

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
