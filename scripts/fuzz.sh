#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over its corpus for
# the given number of seconds; any crash, leak or sanitizer report fails.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== fuzz targets, ${seconds}s each"
CC=clang CXX=clang++ "$root/scripts/build.sh" build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZM_FUZZ=ON -DZM_BUILD_TESTS=OFF -DZM_BUILD_BENCH=OFF -DZM_BUILD_TOOLS=OFF
for target in "$root"/build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$root/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  echo "-- $name"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$work" 2>"$work.log" \
    || { tail -n 60 "$work.log"; echo "$name failed"; exit 1; }
  tail -n 1 "$work.log"
  rm -rf "$work" "$work.log"
done
