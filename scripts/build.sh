#!/usr/bin/env bash
# Builds both trees, each with its DLL, tests, benchmarks, development host, script
# runtime and recording editor: build/x64 first, then build/x86 (the shipped 32-bit
# DLL), which also makes the shipped installer from both DLLs. Both run under Wine.
#   build.sh [x64|x86]...  only the trees named (x86 needs x64's DLL built before it)
#   BUILD_ROOT=dir         build somewhere other than ./build
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

configure_and_build() {
  local arch=$1 toolchain=$2
  shift 2
  cmake -S "$root" -B "$build_root/$arch" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$build_root/$arch" -j "$jobs"
}

trees=("$@")
((${#trees[@]})) || trees=(x64 x86)
for arch in "${trees[@]}"; do
  case $arch in
    x64) configure_and_build x64 toolchain-mingw64.cmake ;;
    x86)
      configure_and_build x86 toolchain-mingw32.cmake -DPELMORA_COMPANION_X64_DLL="$build_root/x64/bin/Pelmora.dll"
      "$root/cmake/check-dll.sh" i686-w64-mingw32-objdump "$build_root/x86/bin/Pelmora.dll"
      ;;
    *) echo "usage: $0 [x64|x86]..." >&2; exit 2 ;;
  esac
done
