#!/usr/bin/env bash
# Builds the Debian package from a Linux build folder (default build/) with
# CPack, then checks it as a user's machine would take it: its file list,
# lintian, the desktop entries and the AppStream metadata; installed with
# apt-get, the program, its manual page and the screen-saver daemon's run of
# it; removed, nothing of it left. Installing needs root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/${1:-build}
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package=$build/zelk-mirv_${version}_$(dpkg --print-architecture).deb
[ -f "$package" ] || { echo "no package $package" >&2; exit 1; }
echo "built $package"
bash "$root/tests/packaging/deb_package.sh" "$package" "$build/package-test"
