#!/usr/bin/env bash
# The saver password under Wine on Xvfb. A stand-in PASSWORD.CPL in the
# system directory refuses its first question and accepts the next, logging
# each. With "ScreenSaveUsePassword" = 1 the first key asks and is refused
# (the run goes on), the second asks and is accepted (the run ends). With the
# value 0, or absent, a key (or a mouse button) ends the run and no password is asked. (The
# library writes its log in text mode: lines end in CR LF.)
#
# Usage: saver_password.sh OUTDIR SAVER_SCR PASSWORD_CPL
set -euo pipefail
out=$1
ZM_SCR=$2
cpl=$3
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
# A small screen: each run is a quick first start.
zm_saver_init "$out" saver_password 640x480x24

system32="$WINEPREFIX/drive_c/windows/system32"
cp "$cpl" "$system32/PASSWORD.CPL"
trap 'rm -f "$system32/PASSWORD.CPL"; zm_saver_cleanup' EXIT
desktop='HKCU\Control Panel\Desktop'
export ZM_PASSWORD_LOG
ZM_PASSWORD_LOG_UNIX="$ZM_OUT/password.log"
ZM_PASSWORD_LOG=$(zm_windows_path "$ZM_PASSWORD_LOG_UNIX")

# The settings keep every run on the bitmap path; the folder's state file
# from the first run makes the later ones start at once.
folder=$(zm_saver_folder password)
zm_write_ini "$folder/zelk_mirv.ini" use_DirectX=0

start_run() {
  : >"$ZM_PASSWORD_LOG_UNIX"
  zm_saver_start "$folder"
  zm_wait_picture "$1" >/dev/null
}

# A run whose first exit request, by a key, is refused: the run goes on.
refused_run() {
  start_run "$1"
  zm_saver_key
  zm_wait_line "$ZM_PASSWORD_LOG_UNIX" $'^refused\r?$' 10 >/dev/null || zm_fail "no password was asked"
  zm_saver_expect_alive 1 "after a refused password"
  zm_wait_picture "$1-refused" >/dev/null
  echo "flag 1: a key asked for the password, which was refused, and the run goes on"
}

expect_answers() {
  local answers
  answers=$(tr -d '\r' <"$ZM_PASSWORD_LOG_UNIX" | paste -sd' ')
  [ "$answers" = "$1" ] || zm_fail "password answers: $answers, not $1"
}

zm_wine reg add "$desktop" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
refused_run flag-1
zm_saver_key
zm_saver_wait_exit 10
expect_answers "refused accepted"
echo "flag 1: the second key asked again, was accepted, and the run ended with 0"

# After a refused password the next five pointer moves are ignored; then a
# move sets the reference and a move of 3 pixels on both axes asks again.
refused_run flag-1-moves
for i in 1 2 3 4 5; do zm_saver_move $((100 * i)) $((80 * i)) "move $i after the refusal"; done
expect_answers "refused"
zm_saver_move 300 300 "the sixth move after the refusal only sets the reference"
xdotool mousemove 303 303
zm_saver_wait_exit 10
expect_answers "refused accepted"
echo "flag 1: five moves after the refusal were ignored; the seventh asked again and ended the run"

for flag in 0 absent; do
  if [ "$flag" = absent ]; then
    zm_wine reg delete "$desktop" /v ScreenSaveUsePassword /f >/dev/null 2>&1
  else
    zm_wine reg add "$desktop" /v ScreenSaveUsePassword /t REG_DWORD /d "$flag" /f >/dev/null 2>&1
  fi
  start_run "flag-$flag"
  # A mouse button ends a run as a key does.
  if [ "$flag" = absent ]; then
    input="a mouse button"
    xdotool click 1
  else
    input="a key"
    zm_saver_key
  fi
  zm_saver_wait_exit 10
  [ ! -s "$ZM_PASSWORD_LOG_UNIX" ] || zm_fail "flag $flag: a password was asked"
  echo "flag $flag: $input ended the run without a password"
done
echo "saver password passed"
