#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking
# Clipvane needs. A quick no-op when they are all present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev clang-format python3
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libqt6svg6
  libfreeimage-dev libdeflate-dev libjpeg62-turbo-dev libpng-dev
  libtesseract-dev tesseract-ocr-eng tesseract-ocr
  libxcb1-dev libxcb-shm0-dev libxcb-xtest0-dev libxcb-keysyms1-dev libx11-dev libx11-xcb-dev
  xvfb xauth openbox trayer xdotool xterm xclip x11-utils x11-xkb-utils dbus dbus-x11 chromium
  imagemagick libmagick++-dev libvips-dev libvips-tools pngcheck scrot
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-dejavu fonts-liberation2 fonts-noto-core
  librsvg2-bin desktop-file-utils appstream lintian man-db dpkg-dev file
  libwayland-dev libwayland-bin wayland-protocols libsystemd-dev qt6-wayland
  sway grim pipewire acl xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
