# Shared by the idle starter's end-to-end tests (sourced): waits on the saver
# children of the starter whose pid is in $starter, by the clock (the checks
# themselves take time). Expects fail().
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
child_of_starter() { pgrep -P "$starter" -f 'zelk-mirv /s' | head -1; }
# wait_child SECONDS: until the starter runs a saver; its pid in $child.
wait_child() {
  local end=$(( $(now_ms) + $1 * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    child=$(child_of_starter)
    [ -n "$child" ] && return 0
    sleep 0.1
  done
  return 1
}
# none_for SECONDS WHAT: no saver starts meanwhile.
none_for() {
  local end=$(( $(now_ms) + $1 * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    if [ -n "$(child_of_starter)" ]; then fail "a saver started although $2"; return 1; fi
    sleep 0.1
  done
}
# gone_within PID SECONDS: until that process (a saver or the starter) is gone.
gone_within() {
  local end=$(( $(now_ms) + $2 * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    kill -0 "$1" 2>/dev/null || return 0
    # A saver that ended but is not yet reaped by its starter counts as gone.
    [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" = Z ] && return 0
    sleep 0.1
  done
  return 1
}
