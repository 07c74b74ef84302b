#!/usr/bin/env bash
# The saver's first start under Wine on Xvfb, in a folder with nothing but
# the .scr: the wait dialog shows while the first patterns are computed, the
# ornament then runs full-screen and moves, a key ends the run, and the
# state file (the screen's size) and the settings file (without a settings
# file use_DirectX reads as on: the page-flipped path, in the one mode Xvfb
# offers) are written beside the .scr.
#
# Usage: saver_first_start.sh OUTDIR SAVER_SCR
set -euo pipefail
out=$1
ZM_SCR=$2
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/saver_common.sh"
# A small screen keeps the warm-up short.
zm_saver_init "$out" saver_first_start 640x480x24

folder=$(zm_saver_folder first)
zm_first_start_run "$folder" first

# The settings: BASIC_PARAMETERS with its seven keys in order, then PATTERNS,
# then the monitor layout.
ini="$folder/zelk_mirv.ini"
[ -f "$ini" ] || zm_fail "no settings file after the run"
cp "$ini" "$ZM_OUT/first-zelk_mirv.ini"
layout=$(tr -d '\r' <"$ini" | sed -n 's/^\[\(.*\)\]$/[\1]/p; s/^\([^=[]*\)=.*/\1/p' | paste -sd' ')
expected="[BASIC_PARAMETERS] PATTERN_MODE SHAPE_SPEED use_DirectX Height Width RefreshRate BitPerPix [PATTERNS] Pattern Show_All [MONITORS] Layout"
[ "$layout" = "$expected" ] || zm_fail "settings file layout: $layout"
[ "$(zm_ini_value "$ini" use_DirectX)" = 1 ] || zm_fail "use_DirectX is not stored as on"
# Xvfb offers only its own mode, which is the default 640x480 here.
stored="$(zm_ini_value "$ini" Width)x$(zm_ini_value "$ini" Height)"
[ "$stored" = "$ZM_SCREEN" ] || zm_fail "stored mode $stored, not the screen's $ZM_SCREEN"
echo "settings file: $layout (mode $stored at $(zm_ini_value "$ini" BitPerPix) bits)"

echo "saver first start passed"
