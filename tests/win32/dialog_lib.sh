# Pieces shared by the setup dialog's end-to-end scripts (dialog_*.sh). Source
# harness.sh first, then call zm_dialog_init NAME OUTDIR SAVER DRIVER.
#
# The saver runs from a folder of its own (ZM_APP), so its settings and
# pattern state files land there; dialog_driver.exe works the dialog's
# controls through their window messages from a second Wine process.

ZM_DIALOG_TITLE="Zelk Mirv Screen Saver 1.1"
ZM_ABOUT_TITLE="About Zelk Mirv Screen Saver"
ZM_SAVER_PID=""

zm_dialog_init() {
  local name=$1 out
  out=$(realpath -m "$2")
  ZM_SAVER_EXE=$(realpath "$3")
  ZM_DRIVER_EXE=$(realpath "$4")
  zm_harness_init "$out/$name"
  zm_start_xvfb 800x600x24
  zm_wine_prefix "$out/wineprefix"
  zm_dialog_fonts
  ZM_APP="$ZM_OUT/app"
  mkdir -p "$ZM_APP"
  cp "$ZM_SAVER_EXE" "$ZM_APP/zelk_mirv.scr"
  ZM_SETTINGS="$ZM_APP/zelk_mirv.ini"
  ZM_STATE="$ZM_APP/Zelk_Mirv.par"
}

# The dialogs are laid out for "MS Sans Serif" at 8 points. Wine has that
# face among its own fonts (Debian's fonts-wine) but looks for it in the
# prefix's font folder: copy them there once, else the captions come out in
# a wider substitute.
zm_dialog_fonts() {
  local fonts=/usr/share/wine/fonts target="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$fonts/sserife.fon" ] && [ ! -f "$target/sserife.fon" ] || return 0
  mkdir -p "$target"
  cp "$fonts"/* "$target"/
}

drv() {
  zm_wine "$ZM_DRIVER_EXE" "$@"
}

# Starts a configure run (/c) in the background and waits for its dialog.
zm_dialog_start() {
  (cd "$ZM_APP" && exec "$ZM_WINE" ./zelk_mirv.scr /c) >>"$ZM_OUT/saver.log" 2>&1 &
  ZM_SAVER_PID=$!
  local started=$SECONDS
  drv wait "$ZM_DIALOG_TITLE" 60 || zm_abort "no setup dialog within 60s"
  echo "dialog open after $((SECONDS - started))s"
}

# Waits for the configure run to end; fails unless its exit status is 0.
zm_dialog_wait_exit() {
  local status=0
  for _ in $(seq 300); do
    kill -0 "$ZM_SAVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$ZM_SAVER_PID" 2>/dev/null && zm_abort "the configure run did not end within 30s"
  wait "$ZM_SAVER_PID" || status=$?
  ZM_SAVER_PID=""
  [ "$status" -eq 0 ] || zm_fail "the configure run ended with $status"
}

# Fails unless the driver's state output has every KEY=value given.
zm_expect_state() {
  local state line
  state=$(drv state) || zm_abort "cannot read the dialog's state"
  for line in "$@"; do
    grep -qxF "$line" <<<"$state" || { echo "$state" >&2; zm_fail "dialog state lacks $line"; }
  done
}

# The value of KEY in [SECTION] of an INI file (CR-LF or LF lines).
zm_ini_value() {
  tr -d '\r' <"$1" | awk -v section="[$2]" -v key="$3" '
    /^\[/ { inside = ($0 == section); next }
    inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'
}

zm_expect_ini() {
  local value
  value=$(zm_ini_value "$ZM_SETTINGS" "$1" "$2")
  [ "$value" = "$3" ] || zm_fail "[$1] $2 is \"$value\", not \"$3\""
}

# The share of pixels of a picture that are the dialogs' silver (0..1).
zm_silver_share() {
  convert "$1" -fill black +opaque "#c0c0c0" -fill white -opaque "#c0c0c0" -format '%[fx:mean]' info:
}

# Like zm_expect_state, but waits up to 5 seconds for keys typed with
# xdotool, which reach the dialog a moment later.
zm_wait_state() {
  for _ in $(seq 25); do
    (zm_expect_state "$@") >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  zm_expect_state "$@"
}
