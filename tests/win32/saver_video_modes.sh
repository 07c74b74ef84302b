#!/usr/bin/env bash
# The saver's video modes under Wine, on an Xorg server with the dummy video
# driver (a 1280x1024 desktop; Wine offers its modes at 32 and 16 bits per
# pixel, never 24). A configured 1024x768 at 24 bits is not offered: the run
# takes the fallback 640x480 at 32 bits, really switches the X screen to
# it, draws through the back buffer, and stores that mode at the end. A
# configured 800x600 at 16 bits is offered and switched to likewise; its
# frames show 16-bit colour (at most 32 levels of red). After each run the
# desktop's mode is back.
#
# Usage: saver_video_modes.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
zm_saver_init "$out" saver_video_modes xorg-dummy
desktop=$(zm_screen_size)

# Waits until the X screen has the size WIDTHxHEIGHT.
wait_screen_size() {
  for _ in $(seq 600); do
    [ "$(zm_screen_size)" = "$1" ] && return 0
    zm_saver_alive || zm_abort "the saver ended before the screen became $1"
    sleep 0.05
  done
  zm_abort "the screen never became $1 (it is $(zm_screen_size))"
}

# Fails unless the red channel of the picture has at most 32 levels (BITS
# 16: 5 bits of red) or more than that (BITS 32).
expect_red_levels() {
  local levels
  levels=$(convert "$1" -channel R -separate -format %k info:)
  if [ "$2" = 16 ]; then
    [ "$levels" -le 32 ] || zm_fail "$levels levels of red at 16 bits per pixel"
  else
    [ "$levels" -gt 32 ] || zm_fail "only $levels levels of red at $2 bits per pixel"
  fi
  echo "$levels levels of red at $2 bits per pixel"
}

# Runs the saver of FOLDER, which must switch to MODE (WIDTHxHEIGHT at BITS
# bits per pixel) and draw.
mode_run() {
  local folder=$1 name=$2 mode=$3 bits=$4 one two
  zm_saver_start "$folder"
  wait_screen_size "$mode"
  echo "$name: the X screen switched to $mode"
  one=$(zm_wait_picture "$name-1")
  sleep 0.5
  two=$(zm_screenshot "$name-2")
  zm_expect_picture "$two"
  zm_expect_change "$one" "$two"
  expect_red_levels "$two" "$bits"
  zm_saver_key
  zm_saver_wait_exit 10
  # The X server may take a moment to apply the mode Wine restored.
  for _ in $(seq 50); do
    [ "$(zm_screen_size)" = "$desktop" ] && break
    sleep 0.1
  done
  [ "$(zm_screen_size)" = "$desktop" ] || zm_fail "$name: desktop mode not back: $(zm_screen_size)"
  echo "$name: a key ended the run with 0; the desktop is back at $desktop"
}

folder=$(zm_saver_folder fallback)
zm_write_ini "$folder/zelk_mirv.ini" use_DirectX=1 Height=768 Width=1024 RefreshRate=0 BitPerPix=24
mode_run "$folder" fallback-640x480x32 640x480 32
ini="$folder/zelk_mirv.ini"
stored="$(zm_ini_value "$ini" Width)x$(zm_ini_value "$ini" Height)x$(zm_ini_value "$ini" BitPerPix)"
stored="$stored@$(zm_ini_value "$ini" RefreshRate)"
[ "$stored" = 640x480x32@0 ] || zm_fail "stored mode $stored, not the fallback 640x480x32@0"
echo "the fallback mode was stored: $stored"

folder=$(zm_saver_folder sixteen)
zm_write_ini "$folder/zelk_mirv.ini" use_DirectX=1 Height=600 Width=800 RefreshRate=0 BitPerPix=16
mode_run "$folder" listed-800x600x16 800x600 16
[ "$(zm_ini_value "$folder/zelk_mirv.ini" BitPerPix)" = 16 ] || zm_fail "the listed mode was replaced"
echo "saver video modes passed"
