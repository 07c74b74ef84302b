#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own (its user is an
# administrator there), with a saver of another vendor current:
# 0. the saver and the installer say the build's version;
# 1. a silent install puts the saver into the system directory and the
#    uninstaller into the program folder given by /D=, registers it in the
#    list of programs and makes it the user's saver, keeping the other one;
# 2. the installed saver runs /s and /c from there (its files beside it);
# 3. a second install over it keeps the saver's files and the other saver,
#    and opens no screen-saver settings (a silent run);
# 4. the silent uninstall removes the program files and registry entries,
#    keeps the saver's files and puts the other saver back;
# 5. the same for a user's own install (/CURRENTUSER) into
#    %LOCALAPPDATA%\Programs\Zelk Mirv\, where the saver's files lie beside it.
#
# Usage: installer.sh OUTDIR INSTALLER SAVER_SCR DRIVER_EXE VERSION
set -euo pipefail
out=$1
installer=$(realpath "$2")
ZM_SCR=$(realpath "$3")
driver=$(realpath "$4")
version=$5
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
zm_harness_init "$out/installer"
trap zm_saver_cleanup EXIT
zm_start_xvfb 1024x768x24
ZM_SCREEN=$(zm_screen_size)
zm_wine_prefix "$ZM_OUT/wineprefix"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkMirv'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkMirv'
desktop_key='HKCU\Control Panel\Desktop'
system32=$WINEPREFIX/drive_c/windows/system32
other_saver='C:\windows\system32\other.scr'

# The data of value NAME under KEY, or nothing (status 1) when it is absent.
reg_value() {
  zm_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name && $2 ~ /^REG_/ { sub(/^[ ]*[^ ]+[ ]+REG_[A-Z_]+[ ]*/, ""); print; found = 1 }
                      END { exit !found }'
}
expect_value() {
  local value
  value=$(reg_value "$1" "$2") || { zm_fail "no value $2 under $1"; return 0; }
  [ "$value" = "$3" ] || zm_fail "$1 $2 is \"$value\", not \"$3\""
}
expect_no_key() {
  zm_wine reg query "$1" >/dev/null 2>&1 && zm_fail "the key $1 is still there"
  return 0
}
# Runs the installer or uninstaller and waits for every process of it
# (an uninstaller runs on from a copy of itself).
run_silently() {
  zm_wine "$@" >>"$ZM_OUT/setup.log" 2>&1 || zm_fail "$* ended with $?"
  "$ZM_WINESERVER" -w
}
# Fails unless SCRNSAVE.EXE names the saver in the Unix folder FOLDER (the
# system keeps the short form of the path) and the saver is on.
expect_current_saver() {
  local value file
  value=$(reg_value "$desktop_key" SCRNSAVE.EXE) || zm_fail "no current saver"
  file=$(zm_wine winepath -u "$value" | tr -d '\r')
  [ "$(readlink -f "$file")" = "$(readlink -f "$1/zelk_mirv.scr")" ] ||
    zm_fail "the current saver is $value ($file)"
  expect_value "$desktop_key" ScreenSaveActive 1
}

# The saver and the installer carry the build's version in their version resources.
for exe in "$ZM_SCR" "$installer"; do
  python3 - "$exe" "$version" <<'READ' || zm_fail "$exe does not say ProductVersion $version"
import sys
data = open(sys.argv[1], "rb").read()
at = data.find("ProductVersion\0".encode("utf-16-le")) + len("ProductVersion\0") * 2
while data[at:at + 2] == b"\0\0":
    at += 2
end = at
while data[end:end + 2] != b"\0\0":
    end += 2
sys.exit(data[at:end].decode("utf-16-le", "replace") != sys.argv[2])
READ
done

zm_wine reg add "$desktop_key" /v SCRNSAVE.EXE /d "$other_saver" /f >/dev/null
zm_wine reg add "$desktop_key" /v ScreenSaveActive /d 0 /f >/dev/null

echo "== 1. a silent install for all users"
# (/D= must come last and unquoted; Wine quotes an argument with a space in it.)
run_silently "$installer" /S '/D=C:\Tools\ZelkMirv'
cmp "$ZM_SCR" "$system32/zelk_mirv.scr" || zm_fail "no saver in the system directory"
program_folder="$WINEPREFIX/drive_c/Tools/ZelkMirv"
[ -f "$program_folder/uninstall.exe" ] || zm_fail "no uninstaller in the folder given by /D="
expect_value "$uninstall_key" DisplayName "Zelk Mirv"
expect_value "$uninstall_key" DisplayVersion "$version"
expect_value "$uninstall_key" Publisher "The Zelk Mirv project"
expect_value "$uninstall_key" DisplayIcon 'C:\windows\system32\zelk_mirv.scr,0'
expect_value "$uninstall_key" UninstallString '"C:\Tools\ZelkMirv\uninstall.exe"'
expect_value "$uninstall_key" QuietUninstallString '"C:\Tools\ZelkMirv\uninstall.exe" /S'
size=$(reg_value "$uninstall_key" EstimatedSize)
[ $((size)) -ge $(($(stat -c %s "$ZM_SCR") / 1024)) ] || zm_fail "EstimatedSize $size is too small"
expect_current_saver "$system32"
echo "the saver, the uninstaller and their registry values are in place"

echo "== 2. the installed saver runs from the system directory"
zm_write_state "$system32/Zelk_Mirv.par" "${ZM_SCREEN%x*}" "${ZM_SCREEN#*x}" 500
zm_write_ini "$system32/zelk_mirv.ini" SHAPE_SPEED=0 use_DirectX=0
zm_saver_start "$system32" /s
for _ in $(seq 600); do
  zm_full_screen_window_shown "$ZM_SCREEN" && break
  zm_saver_alive || zm_abort "the saver ended before its window showed"
  sleep 0.05
done
zm_expect_full_screen_window "$ZM_SCREEN"
sleep 1
# The stored pattern, all 500, shows one colour that is not black.
read -r mean colours <<<"$(zm_image_stats "$(zm_screenshot installed-saver)")"
awk -v m="$mean" -v c="$colours" 'BEGIN { exit !(m > 0 && c == 1) }' ||
  zm_fail "the installed saver shows $colours colours, mean $mean"
zm_saver_key
zm_saver_wait_exit 10
(cd "$system32" && exec "$ZM_WINE" ./zelk_mirv.scr /c) >"$ZM_OUT/configure.log" 2>&1 &
ZM_SAVER_PID=$!
zm_wine "$driver" wait "Zelk Mirv Screen Saver $version" 60 || zm_fail "no setup dialog within 60s"
zm_screenshot installed-dialog >/dev/null
zm_wine "$driver" click Cancel
zm_saver_wait_exit 30
echo "the installed saver ran /s and /c"
cp "$system32/zelk_mirv.ini" "$ZM_OUT/settings-before.ini"
cp "$system32/Zelk_Mirv.par" "$ZM_OUT/state-before.par"

echo "== 3. a second install over it"
WINEDEBUG=+process run_silently "$installer" /S
grep -q 'rundll32' "$ZM_OUT/setup.log" && zm_fail "a silent install opened the screen-saver settings"
cmp "$ZM_OUT/settings-before.ini" "$system32/zelk_mirv.ini" || zm_fail "the install changed the settings"
cmp "$ZM_OUT/state-before.par" "$system32/Zelk_Mirv.par" || zm_fail "the install changed the pattern"
expect_value "$uninstall_key" InstallLocation 'C:\Tools\ZelkMirv'
expect_current_saver "$system32"
echo "the second install kept the saver's files and its folder"

echo "== 4. the silent uninstall"
run_silently "$program_folder/uninstall.exe" /S
[ ! -e "$system32/zelk_mirv.scr" ] || zm_fail "the saver is still in the system directory"
[ ! -e "$program_folder" ] || zm_fail "the program folder is still there: $(ls -A "$program_folder")"
expect_no_key "$uninstall_key"
expect_no_key 'HKCU\Software\Zelk Mirv'
expect_value "$desktop_key" SCRNSAVE.EXE "$other_saver"
expect_value "$desktop_key" ScreenSaveActive 0
cmp "$ZM_OUT/settings-before.ini" "$system32/zelk_mirv.ini" || zm_fail "the settings are gone"
cmp "$ZM_OUT/state-before.par" "$system32/Zelk_Mirv.par" || zm_fail "the pattern is gone"
echo "uninstalled: the other saver is back, the saver's files stay"

echo "== 5. a user's own install"
local_app_data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
user_folder="$local_app_data/Programs/Zelk Mirv"
zm_wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null
run_silently "$installer" /S /CURRENTUSER
cmp "$ZM_SCR" "$user_folder/zelk_mirv.scr" || zm_fail "no saver in $user_folder"
[ -f "$user_folder/uninstall.exe" ] || zm_fail "no uninstaller in $user_folder"
expect_no_key "$uninstall_key"
expect_value "$user_uninstall_key" DisplayVersion "$version"
expect_current_saver "$user_folder"
# The folder is the user's: the saver keeps its files beside itself.
zm_write_ini "$user_folder/zelk_mirv.ini" SHAPE_SPEED=0.25
cp "$ZM_OUT/state-before.par" "$user_folder/Zelk_Mirv.par"
run_silently "$installer" /S /CURRENTUSER
run_silently "$user_folder/uninstall.exe" /S
[ ! -e "$user_folder/zelk_mirv.scr" ] && [ ! -e "$user_folder/uninstall.exe" ] ||
  zm_fail "the user's install left program files: $(ls -A "$user_folder")"
[ "$(ls -A "$user_folder" | sort | tr '\n' ' ')" = "Zelk_Mirv.par zelk_mirv.ini " ] ||
  zm_fail "the user's folder holds $(ls -A "$user_folder")"
expect_no_key "$user_uninstall_key"
reg_value "$desktop_key" SCRNSAVE.EXE >/dev/null && zm_fail "SCRNSAVE.EXE is set, though no saver was before"
echo "the user's install and uninstall kept the saver's files; no saver is current again"
