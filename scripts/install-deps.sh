#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, the tests and the window need, when missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkgconf
  libgtest-dev libbenchmark-dev libpng-dev zlib1g-dev
  # kanimo-sim --record writes SQLite; the sqlite3 shell reads it (README)
  libsqlite3-dev sqlite3
  # the fuzz targets: clang with libFuzzer and its sanitizer runtimes
  clang libclang-rt-14-dev
  # the source's layout is checked against .clang-format
  clang-format
  qt6-base-dev
  # kanimo-sim --video: H.264 (libx264) and VP9 (libvpx) come with Debian's libavcodec
  libavcodec-dev libavformat-dev libswscale-dev
  # the kanimo Python module and its tests: Debian's interpreter and its packages
  python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pandas python3-distributed
  python3-pytest
  xvfb xauth xdotool imagemagick x11-utils fonts-dejavu-core
  # free faces that stand in for the window's fonts (src/app/qt_fonts.cpp)
  fonts-paratype fonts-liberation2
  # the window under a window manager; the desktop entry and the Debian package
  openbox desktop-file-utils dpkg-dev file lintian
  # man pages: kept by hand (or made by help2man), checked with man and col
  man-db bsdextrautils help2man
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
