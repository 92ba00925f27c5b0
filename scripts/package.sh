#!/bin/bash
# The install package as a zip, from a fresh clone on Debian 12 as root:
# installs what is missing, builds only what the package holds and writes
# build/package/TavixConfigSet-<version>-win32.zip (the tree that
# `cmake --install` lays out). Usage: scripts/package.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"

bash "$root/scripts/bootstrap.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tavixcfg TavixConfigSet_msvc_import TavixConfigSet_mingw_import
cd "$build"
cpack -G ZIP --config "$build/CPackConfig.cmake"
