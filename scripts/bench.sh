#!/bin/bash
# The benchmark report: builds what it needs and prints one table of what the
# library's calls cost beside the bare platform calls, measured in the same
# run under Wine. From a fresh clone on Debian 12, as root, it first installs
# what is missing.
#
#   scripts/bench.sh [--all] [build-dir]
#
# --all also runs every other program of bench/ after the table, each from
# its own folder with a store of its own. Figures only: nothing here fails on
# speed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
all=0
if [ "${1:-}" = "--all" ]; then all=1; shift; fi
build="$(realpath -m "${1:-$root/build}")"

bash "$root/scripts/bootstrap.sh" >&2
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release >&2
fi
targets=(bench_report)
if [ "$all" = 1 ]; then
  cmake --build "$build" --target bench_report >&2  # writes the list of programs
  while IFS='=' read -r name _; do targets+=("$name"); done <"$build/bench/programs.txt"
fi
cmake --build "$build" --target "${targets[@]}" >&2

# Stores of the benchmarks' own, never the PC's.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

. /etc/os-release 2>/dev/null || PRETTY_NAME="$(uname -s)"
cpu="$(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | sed 's/.*: //')"
echo "machine: $PRETTY_NAME, $(nproc) cores${cpu:+ ($cpu)}, $(wine --version 2>/dev/null || echo 'no wine')"

run() {  # run NAME EXE: from the program's own folder, with a store of its own
  local dir
  dir="$(dirname "$2")"
  mkdir -p "$scratch/$1"
  (cd "$dir" && TAVIX_ENVIRONMENT_DIR="Z:$scratch/$1" "$build/wine-run.sh" "$2") | tr -d '\r'
}

run bench_report "$build/bench/report/bench_report.exe"
if [ "$all" = 1 ]; then
  while IFS='=' read -r name exe; do
    echo
    echo "== $name"
    run "$name" "$exe"
  done <"$build/bench/programs.txt"
fi
