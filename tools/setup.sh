#!/usr/bin/env bash
# Installs what building and testing need, when it is missing (Debian, as root
# or with sudo).
set -euo pipefail

packages=(cmake g++ clang libclang-rt-14-dev googletest libbenchmark-dev
          g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
          wine wine32:i386 wine64 xvfb xauth x11-utils fonts-wqy-microhei imagemagick)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
