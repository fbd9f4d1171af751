#!/usr/bin/env bash
# Builds Pelmora.dll for both architectures: build/x64 (runs here, with the tests) and
# build/x86 (the shipped DLL, link-checked only).
#   BUILD_ROOT=dir  build somewhere other than ./build
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

configure_and_build() {
  local arch=$1 toolchain=$2
  cmake -S "$root" -B "$build_root/$arch" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_root/$arch" -j "$jobs"
}

configure_and_build x64 toolchain-mingw64.cmake
configure_and_build x86 toolchain-mingw32.cmake
"$root/cmake/check-dll.sh" i686-w64-mingw32-objdump "$build_root/x86/bin/Pelmora.dll"
