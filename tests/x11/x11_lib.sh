# Helpers for the end-to-end tests of zelk-mirv on private X servers. Source
# it with the program as $1, the window helper as $2 and an output folder as
# $3; every server started here is killed when the script exits.
set -u
ZM=$1
TEST_WINDOW=$2
OUT=$3
rm -rf "$OUT"
mkdir -p "$OUT"
WORK=$(mktemp -d)
chmod 755 "$WORK"
failures=0
server_pids=()
run_pids=()

cleanup() {
  local pid
  for pid in "${run_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${server_pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "-- $*"; }
finish() {
  [ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
  exit $(( failures > 0 ))
}

# start_server NAME COMMAND...: starts an X server on a free display number
# (the command's ":N" is written as ":@"), sets DISPLAY, and waits until it
# answers. Numbers start at a random place above 100, clear of the usual ones.
start_server() {
  local name=$1; shift
  local n tries pid
  for tries in $(seq 1 20); do
    n=$(( 100 + (RANDOM % 800) ))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset: a server resets when its last client leaves, and a client
    # that connects while it does (right after the check below) is refused.
    "${@//:@/:$n}" -noreset >"$OUT/$name-server.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      if ! kill -0 "$pid" 2>/dev/null; then break; fi
      # Another test may have taken the same number a moment earlier: the
      # server that answers must be ours (its lock file holds our pid).
      if [ "$(cat "/tmp/.X$n-lock" 2>/dev/null | tr -d ' ')" = "$pid" ] &&
        DISPLAY=:$n xdpyinfo >/dev/null 2>&1; then
        server_pids+=("$pid")
        export DISPLAY=:$n
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  done
  fail "could not start the X server for $name"
  return 1
}

stop_server() {
  local pid=${server_pids[-1]}
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  unset 'server_pids[-1]'
}

# start_session: a user's session on $DISPLAY with a home of its own ($home),
# a runtime folder and a private session bus (its address in $bus); the
# command `"${session[@]}" PROGRAM...` runs a program in it.
start_session() {
  local _
  home=$WORK/home
  mkdir -p "$home" "$WORK/run"
  chmod 700 "$WORK/run"
  dbus-daemon --session --nofork --print-address=3 3>"$WORK/bus" >"$OUT/bus.log" 2>&1 &
  run_pids+=($!)
  for _ in $(seq 1 50); do [ -s "$WORK/bus" ] && break; sleep 0.1; done
  bus=$(head -1 "$WORK/bus")
  session=(env -i HOME="$home" XDG_RUNTIME_DIR="$WORK/run" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin
           DBUS_SESSION_BUS_ADDRESS="$bus")
}

# A screenshot of the root window, kept under the output folder.
shot() { import -window "${2:-root}" "$OUT/$1.png" 2>/dev/null || fail "no screenshot $1"; }

# Whether a picture is not (nearly) black all over: its mean brightness.
mean_of() { convert "$1" -colorspace Gray -format '%[fx:mean*1000]' info: | cut -d. -f1; }
not_black() { [ "$(mean_of "$OUT/$1.png")" -gt 20 ] || fail "$1 is black"; }
differ() { cmp -s <(convert "$OUT/$1.png" -depth 8 rgb:-) <(convert "$OUT/$2.png" -depth 8 rgb:-) && fail "$1 and $2 are the same picture"; }

# wait_for_window NAME [SECONDS]: until a window of that name exists.
wait_for_window() {
  local _
  for _ in $(seq 1 $(( ${2:-20} * 10 ))); do
    xwininfo -root -tree 2>/dev/null | grep -q "\"$1\"" && return 0
    sleep 0.1
  done
  return 1
}

# wait_for_viewable NAME [SECONDS]: until the window of that name is mapped
# (the saver maps its window once the first patterns are ready).
wait_for_viewable() {
  local _
  for _ in $(seq 1 $(( ${2:-30} * 10 ))); do
    xwininfo -name "$1" 2>/dev/null | grep -q "IsViewable" && return 0
    sleep 0.1
  done
  return 1
}

# shot_not_black LABEL [SECONDS] [WINDOW]: screenshots until one is not black.
shot_not_black() {
  local _
  for _ in $(seq 1 $(( ${2:-30} * 2 ))); do
    import -window "${3:-root}" "$OUT/$1.png" 2>/dev/null &&
      [ "$(mean_of "$OUT/$1.png")" -gt 20 ] && return 0
    sleep 0.5
  done
  fail "$1 stayed black"
  return 1
}

# wait_gone PID SECONDS: until the process ends; its exit status in $gone_status.
wait_gone() {
  local _
  for _ in $(seq 1 $(( $2 * 10 ))); do
    if ! kill -0 "$1" 2>/dev/null; then wait "$1"; gone_status=$?; return 0; fi
    sleep 0.1
  done
  gone_status=-1
  return 1
}

# Milliseconds since the epoch.
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
