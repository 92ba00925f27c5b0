#!/bin/bash
# The main job, from a fresh clone on Debian 12 as root: installs what is
# missing, builds TavixConfigSet.dll, environment.dll and tavixcfg.exe,
# stages a demo agent folder with them, sets a few values through tavixcfg
# and shows them. Usage: scripts/demo.sh [build-dir]
#
# The agent folder is build/demo/agent. Its NetbarCfg.ini lands there (the
# library's host directory is the folder of the running program), and so
# does its environment store: TAVIX_ENVIRONMENT_DIR points environment.dll
# at build/demo/agent/environment instead of the shared ProgramData folder,
# so the demo starts from nothing each time and touches nothing else.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"

bash "$root/scripts/bootstrap.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tavixcfg
[ -x "$build/wine-run.sh" ] || { echo "demo: $build has no wine-run.sh (configured with TCS_BUILD_TESTS=OFF?)" >&2; exit 1; }

agent="$build/demo/agent"
rm -rf "$agent"
mkdir -p "$agent"
cp "$build/tools/tavixcfg.exe" "$build/tools/TavixConfigSet.dll" "$build/tools/environment.dll" "$agent/"
export TAVIX_ENVIRONMENT_DIR="Z:$agent/environment"

tavixcfg() {
  echo "\$ tavixcfg $*"
  (cd "$agent" && "$build/wine-run.sh" "$agent/tavixcfg.exe" "$@") | tr -d '\r'
}

echo "demo agent folder: $agent"
echo
tavixcfg set CenterAddr 10.8.0.1
tavixcfg set CenterPort 9000
tavixcfg set UnitIdentity 3301020001
tavixcfg set CurrentUser netbar-07
tavixcfg set SnapScreenFrequency 30
tavixcfg set LogServerAddr 10.8.0.2
tavixcfg set LogServerPort 514
tavixcfg set CommuAddrStr 192.168.10.7
echo
tavixcfg get CenterPort
echo
tavixcfg show
echo
tavixcfg show --json
echo
echo "\$ cat $agent/NetbarCfg.ini"
tr -d '\r' <"$agent/NetbarCfg.ini"
echo
echo "agent folder:"
(cd "$agent" && find . -mindepth 1 | LC_ALL=C sort | sed 's|^\./|  |')
