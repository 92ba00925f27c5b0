#!/bin/bash
# Builds everything and runs every test under Wine, from a fresh clone:
# installs what is missing first. Usage: scripts/test.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"

bash "$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
