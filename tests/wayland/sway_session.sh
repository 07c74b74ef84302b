# Shared by the Wayland end-to-end tests (sourced): a headless sway run as
# nobody with a private runtime and config folder, and what the tests do
# with it. Expects OUT; sets WORK, in_session, pids, failures and exits 77
# where sway cannot start.
command -v sway >/dev/null && command -v grim >/dev/null || { echo "no sway or grim"; exit 77; }

. "$(dirname "${BASH_SOURCE[0]}")/unprivileged_work.sh"
: >"$WORK/sway.conf"
chmod 644 "$WORK/sway.conf"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  cp "$WORK"/shots/*.png "$WORK"/*.log "$OUT"/ 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "-- $*"; }

user_env=(env -i "HOME=$WORK/home" "XDG_RUNTIME_DIR=$WORK/run" "XDG_CONFIG_HOME=$WORK/config"
          PATH=/usr/bin:/bin)
"${as_user[@]}" "${user_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
  socket=$(ls "$WORK"/run/sway-ipc.*.sock 2>/dev/null | head -1)
  [ -n "$socket" ] && [ -e "$WORK/run/wayland-1" ] && break
  sleep 0.1
done
if [ -z "${socket:-}" ]; then
  echo "sway did not start"; cat "$WORK/sway.log"; exit 77
fi
in_session=("${as_user[@]}" "${user_env[@]}" WAYLAND_DISPLAY=wayland-1 "SWAYSOCK=$socket")
sway_do() { "${in_session[@]}" swaymsg "$@" >/dev/null || fail "swaymsg $*"; }

# shot NAME OUTPUT: a screenshot of one output.
shot() { "${in_session[@]}" grim -o "$2" "$WORK/shots/$1.png"; }
# lit NAME: the shot shows a picture, not the compositor's flat grey.
lit() {
  local spread
  spread=$(convert "$WORK/shots/$1.png" -format "%[fx:standard_deviation]" info:)
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }'
}
differ() { [ "$(compare -metric AE "$WORK/shots/$1.png" "$WORK/shots/$2.png" null: 2>&1)" != 0 ]; }
size_of() { identify -format "%wx%h" "$WORK/shots/$1.png"; }
# wait_lit NAME OUTPUT: screenshots until the output shows something (the
# first start computes its patterns first).
wait_lit() {
  for _ in $(seq 1 60); do
    shot "$1" "$2" && lit "$1" && return 0
    sleep 0.5
  done
  return 1
}

