#!/usr/bin/env bash
# Installs everything the builds and tests need on Debian 12 / Ubuntu (as root, or via sudo).
# Quick when everything is there already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3 zlib1g-dev
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev
  wine wine64 wine32:i386 libwine-dev xvfb xauth
  wixl msitools librsvg2-bin
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# 32-bit Wine runs the i686 module and programs (the VB6 IDE is a 32-bit program).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture"
  $sudo dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
