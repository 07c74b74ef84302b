#!/usr/bin/env bash
# deb_package.sh PACKAGE OUT: checks a built zelk-mirv package. Its files are
# the expected ones and lintian finds no error in it; the desktop entries and
# the AppStream metadata are valid, and the changelog's latest entry is the
# package's version. Installed with apt-get (as root): the program answers
# --help, its manual page is found, the screen-saver daemon runs it from its
# list by its bare name; removed with dpkg -r, none of its files is left.
set -euo pipefail
package=$(realpath "$1")
out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out/contents"
fail() { echo "FAIL: $*" >&2; exit 1; }

# The files and links, as paths without the leading dot.
dpkg-deb -c "$package" | awk '$1 !~ /^d/ { print substr($6, 2) }' | sort >"$out/files"
sort >"$out/expected" <<'LIST'
/usr/bin/zelk-mirv
/usr/bin/zelk-mirv-render
/usr/libexec/xscreensaver/zelk-mirv
/usr/share/applications/screensavers/zelk-mirv.desktop
/usr/share/applications/zelk-mirv-settings.desktop
/usr/share/doc/zelk-mirv/changelog.gz
/usr/share/doc/zelk-mirv/copyright
/usr/share/icons/hicolor/32x32/apps/zelk-mirv.png
/usr/share/icons/hicolor/48x48/apps/zelk-mirv.png
/usr/share/icons/hicolor/64x64/apps/zelk-mirv.png
/usr/share/man/man1/zelk-mirv-render.1.gz
/usr/share/man/man6/zelk-mirv.6.gz
/usr/share/metainfo/org.example.zelk_mirv.metainfo.xml
/usr/share/xscreensaver/config/zelk-mirv.xml
LIST
diff -u "$out/expected" "$out/files" || fail "the package's files are not the expected ones"
[ "$(dpkg-deb -c "$package" | awk '$6 == "./usr/libexec/xscreensaver/zelk-mirv" { print $8 }')" = \
  ../../bin/zelk-mirv ] || fail "the daemon's folder holds no relative link to the program"
dpkg-deb -f "$package" Depends | grep -q 'libgtk-3-0' || fail "no dependency on GTK 3 found"
echo "the package holds the expected $(wc -l <"$out/files") files"

status=0
lintian --fail-on error "$package" >"$out/lintian.log" 2>&1 || status=$?
grep -v 'running with root' "$out/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
echo "lintian: no errors"

dpkg-deb -x "$package" "$out/contents"
desktop-file-validate "$out/contents/usr/share/applications/zelk-mirv-settings.desktop" \
  "$out/contents/usr/share/applications/screensavers/zelk-mirv.desktop" ||
  fail "desktop-file-validate rejects a desktop entry"
appstreamcli validate --no-net "$out/contents/usr/share/metainfo/org.example.zelk_mirv.metainfo.xml" ||
  fail "appstreamcli rejects the metadata"
version=$(dpkg-deb -f "$package" Version)
latest=$(zcat "$out/contents/usr/share/doc/zelk-mirv/changelog.gz" | sed -n '1s/^zelk-mirv (\([^)]*\)).*/\1/p')
[ "$latest" = "$version" ] || fail "the changelog's latest entry is $latest, the package $version"
grep -q "<release version=\"$version\"" "$out/contents/usr/share/metainfo/"*.xml ||
  fail "the metadata lists no release $version"

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing the package needs root"
  exit 0
fi
files=$(cat "$out/files")
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
  --no-install-recommends "$package" >"$out/install.log" 2>&1 ||
  { tail -n 20 "$out/install.log" >&2; fail "apt-get could not install the package"; }
zelk-mirv --help | grep -q '^Usage: zelk-mirv' || fail "zelk-mirv --help"
[ "$(man -w zelk-mirv)" = /usr/share/man/man6/zelk-mirv.6.gz ] || fail "man -w zelk-mirv: $(man -w zelk-mirv)"
man -w zelk-mirv-render >/dev/null || fail "no manual page for zelk-mirv-render"
echo "installed: zelk-mirv --help and man -w zelk-mirv answer"
# The daemon (as an unprivileged user) runs the installed program.
status=0
bash "$here/../x11/xscreensaver.sh" /usr/bin/zelk-mirv /bin/true "$out/xscreensaver" installed || status=$?
dpkg -r zelk-mirv >"$out/remove.log" 2>&1 || fail "dpkg -r failed"
[ "$status" -eq 0 ] || fail "the daemon did not run the installed program"
left=""
for file in $files /usr/share/doc/zelk-mirv; do
  if [ -e "$file" ] || [ -L "$file" ]; then left="$left $file"; fi
done
[ -z "$left" ] || fail "left behind after dpkg -r:$left"
echo "removed: none of its files is left"
