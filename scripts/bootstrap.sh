#!/usr/bin/env bash
# Installs the Debian packages the build needs. As root it uses apt-get; as any other user it
# names the missing packages and stops.
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libstb-dev fonts-dejavu-core fonttools
  libsdl2-dev libx11-dev libxext-dev libx11-xcb-dev libxcb-shm0-dev libxrandr-dev xvfb xdotool x11-utils imagemagick xscreensaver
  sway grim wtype xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  g++-mingw-w64-x86-64 wine64 xauth wixl msitools
  lintian dpkg-dev debhelper devscripts diffoscope-minimal python3 file man-db
  clang-14 libfuzzer-14-dev
  xscreensaver-data-extra libxdamage-dev libxss-dev swayidle libwayland-dev wayland-protocols
  plasma-wayland-protocols libsystemd-dev mutter
  mate-screensaver dbus-daemon libglib2.0-bin dconf-gsettings-backend appstream desktop-file-utils
  emscripten chromium
  libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Detonix needs these Debian packages, which are not installed:" >&2
  echo "  ${missing[*]}" >&2
  echo "Install them as root:  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
