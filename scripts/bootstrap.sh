#!/bin/bash
# Installs everything the build and the tests need on Debian 12 (run as root).
# Does nothing when all of it is already there.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  googletest
  wine wine32:i386
  clang lld llvm
  iproute2 util-linux hostname python3
)

have_all() {
  dpkg --print-foreign-architectures | grep -qx i386 || return 1
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || return 1
  done
}

if have_all; then
  echo "bootstrap: everything is installed"
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "bootstrap: missing packages; run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${packages[@]}"
echo "bootstrap: done"
