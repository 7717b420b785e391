#!/usr/bin/env bash
# Installs what the build, the tests and the Windows builds need on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

want=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libtiff-dev libjpeg-dev libcli11-dev nlohmann-json3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  wine wine32 wine64 xvfb xauth file qemu-user
  clang libclang-rt-14-dev
  gimp libgimp2.0-dev help2man dpkg-dev
  xdotool  # drives the Windows dialog through the X server in the tests
  python3-skimage  # its sample photographs, for the GIMP plug-in's tests
  imagemagick  # import: the screenshot scripts and RIMELACE_DIALOG_SHOTS
)

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32)
fi
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
