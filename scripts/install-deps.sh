#!/usr/bin/env bash
# Installs the Debian packages Pelx builds, runs and tests with. Idempotent: it asks apt
# only when something is missing, and goes through sudo when not run as root.
set -euo pipefail

packages=(
  cmake g++ ninja-build make pkg-config
  libsdl2-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libjpeg62-turbo-dev
  libsdl2-mixer-dev
  libkissfft-dev
  libtbb-dev
  # FLTK's CMake package imports its fluid program and fails to configure when it is missing;
  # the -dev package only recommends it, so name it here.
  libfltk1.3-dev fluid
  # the generator draws text in DejaVu Sans, Serif and Sans ExtraLight (the last is in -extra)
  libmp3lame-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
  libpng-dev ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool
  clang libfuzzer-14-dev libclang-rt-14-dev
  lib3ds-dev
  # make install and make package: manual pages written from --help, the packages' library
  # dependencies (dpkg-shlibdeps, which runs file), lintian's verdict on the packages, and the
  # checks of the AppStream metadata and the menu entry (also run by the install-tree test).
  help2man dpkg-dev file lintian appstream desktop-file-utils
  # make fresh-test: a bare Debian system to build and install on, mounted into a chroot.
  mmdebstrap mount
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
