#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent:
# apt-get install leaves packages that are already there alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  googletest libgtest-dev libbenchmark-dev
  libpng-dev libwebp-dev libsleef-dev
  imagemagick locales
  g++-aarch64-linux-gnu qemu-user
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 fonts-wine g++-i686-linux-gnu
  libx11-dev libxext-dev libxrandr-dev libxdamage-dev libxpresent-dev libxss-dev libgtk-3-dev
  libwayland-dev wayland-protocols libwayland-bin sway grim wtype weston mutter jq
  xvfb xserver-xorg-core xserver-xorg-video-dummy xdotool x11-utils x11-xserver-utils xscreensaver
  dbus dbus-daemon python3-dbusmock libglib2.0-bin
  procps passwd util-linux python3
  nsis lintian desktop-file-utils appstream man-db dpkg-dev
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# CI always refreshes the lists; a developer's machine only when something is missing.
if [ "${CI:-}" = "true" ] || [ "${#missing[@]}" -gt 0 ]; then
  sudo_if_needed apt-get update -qq
  DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi

# A locale with a decimal comma, so the tests can show that no user's locale
# changes how the settings file is read or written.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo_if_needed localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
