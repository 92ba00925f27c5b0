#!/bin/bash
# The install package, checked from outside as its users meet it:
#   install_test.sh BUILD SOURCE WORK layout|msvc|mingw|clang-msvc|zip
# Each check installs into WORK/prefix first. Programs run under Wine from an
# agent folder made of the package's bin/ and the program.
set -euo pipefail
build=$1 source=$2 work=$3 check=$4
here="$source/tests/tools/install"
wine_run="$build/wine-run.sh"

rm -rf "$work"
mkdir -p "$work"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a client program from a folder holding bin/ and it; checks its verdict.
run_client() {
  local exe=$1 agent="$work/agent"
  mkdir -p "$agent"
  cp "$prefix"/bin/* "$exe" "$agent/"
  local out
  out=$(cd "$agent" && TAVIX_ENVIRONMENT_DIR="Z:$agent/store" "$wine_run" "$agent/$(basename "$exe")") ||
    fail "$(basename "$exe") exited with $?: $out"
  echo "$out"
  grep -qx "client: all as expected" <<<"$(tr -d '\r' <<<"$out")" || fail "$(basename "$exe") did not confirm"
}

kernel32_lib() {
  llvm-dlltool -m i386 -k -d "$here/kernel32.def" -l "$work/kernel32.lib"
  echo "$work/kernel32.lib"
}

case "$check" in
layout)
  expected="bin/TavixConfigSet.dll
bin/environment.dll
bin/tavixcfg.exe
include/TavixConfigSet.h
lib/TavixConfigSet.lib
lib/cmake/TavixConfigSet/TavixConfigSetConfig.cmake
lib/cmake/TavixConfigSet/TavixConfigSetConfigVersion.cmake
lib/libTavixConfigSet.dll.a"
  actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  [ "$actual" = "$expected" ] || fail "installed tree differs:"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"
  # The installed bin/ is an agent folder: tavixcfg runs from it.
  out=$(cd "$prefix/bin" && TAVIX_ENVIRONMENT_DIR="Z:$work/store" "$wine_run" tavixcfg.exe get CenterPort | tr -d '\r')
  [ "$out" = "80" ] || fail "tavixcfg from bin/ said '$out'"
  echo "layout as expected"
  ;;
msvc)
  # What an MSVC user does: compile against the header, link the .lib.
  clang --target=i686-pc-windows-msvc -O0 -ffreestanding -fno-builtin -fno-exceptions -fno-rtti \
    -fno-stack-protector -DTCS_NO_CRT -I"$prefix/include" -c "$here/client.cpp" -o "$work/client.obj"
  lld-link /nologo /entry:start /subsystem:console /nodefaultlib /out:"$work/msvc_client.exe" \
    "$work/client.obj" "$prefix/lib/TavixConfigSet.lib" "$(kernel32_lib)"
  run_client "$work/msvc_client.exe"
  ;;
mingw)
  cmake -S "$here/consumer" -B "$work/consumer" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/i686-w64-mingw32.cmake" \
    -DTavixConfigSet_DIR="$prefix/lib/cmake/TavixConfigSet" \
    -DEXPECT_IMPORT_LIBRARY=libTavixConfigSet.dll.a >/dev/null
  cmake --build "$work/consumer" >/dev/null
  run_client "$work/consumer/consumer.exe"
  ;;
clang-msvc)
  cmake -S "$here/consumer" -B "$work/consumer" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/clang-msvc.cmake" \
    -DTavixConfigSet_DIR="$prefix/lib/cmake/TavixConfigSet" \
    -DEXPECT_IMPORT_LIBRARY=TavixConfigSet.lib -DKERNEL32_LIB="$(kernel32_lib)" >/dev/null
  cmake --build "$work/consumer" >/dev/null
  run_client "$work/consumer/consumer.exe"
  ;;
zip)
  # The zip holds the installed tree under one top folder, nothing else.
  (cd "$build" && cpack -G ZIP -B "$work/zip" >/dev/null)
  zip_file=$(ls "$work"/zip/TavixConfigSet-*-win32.zip)
  top=$(basename "$zip_file" .zip)
  listed=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$zip_file")
  expected=$(cd "$prefix" && find . -type f | sed "s|^\./|$top/|" | LC_ALL=C sort)
  [ "$listed" = "$expected" ] || fail "zip differs from the installed tree:"$'\n'"$(diff <(echo "$expected") <(echo "$listed"))"
  echo "$zip_file holds the installed tree"
  ;;
*)
  fail "unknown check $check"
  ;;
esac
