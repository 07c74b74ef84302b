# Shell pieces for runs at several refresh rates on the dummy video driver
# (tests/support/dummy_xorg_refresh.conf), shared by the end-to-end tests and
# the measuring scripts. Source it; DISPLAY names the server.

# add_refresh_modes RATE...: modes of 1024x768 at these rates (modelines from
# gtf) on the first connected output, named 1024x768_RATE.00; the output's
# name in $refresh_output.
add_refresh_modes() {
  local hz line
  refresh_output=$(xrandr | awk '/ connected/ {print $1; exit}')
  for hz in "$@"; do
    line=$(gtf 1024 768 "$hz" | awk '/Modeline/ {$1 = ""; gsub(/"/, ""); print}')
    # shellcheck disable=SC2086
    xrandr --newmode $line && xrandr --addmode "$refresh_output" "1024x768_$hz.00" || return 1
  done
}

# refresh_mode RATE: the output shows the mode at that rate.
refresh_mode() { xrandr --output "$refresh_output" --mode "1024x768_$1.00" && sleep 1; }

# change_per_second DIR: the picture's change a second, the mean absolute
# difference (0..255 a channel) of eight pairs of root-window screenshots
# 0.4 s apart, each divided by its time apart. DIR holds the screenshots.
change_per_second() {
  local i t0 t1 mae sum=0
  for i in 1 2 3 4 5 6 7 8; do
    t0=$(date +%s.%N); import -window root "$1/change-a.png"
    sleep 0.4
    t1=$(date +%s.%N); import -window root "$1/change-b.png"
    mae=$(compare -metric MAE "$1/change-a.png" "$1/change-b.png" null: 2>&1 |
      sed 's/.*(\(.*\)).*/\1/')
    sum=$(awk -v s="$sum" -v m="$mae" -v a="$t0" -v b="$t1" 'BEGIN { print s + m * 255 / (b - a) }')
    sleep 0.2
  done
  awk -v s="$sum" 'BEGIN { printf "%.2f", s / 8 }'
}
