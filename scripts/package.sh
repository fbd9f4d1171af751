#!/usr/bin/env bash
# Sets everything up, builds both DLLs, and builds both installers into the build folder:
#   PelmoraSetup.exe      the shipped installer, a 32-bit program: the 32-bit DLL, and on
#                         64-bit Windows the 64-bit DLL too
#   PelmoraSetup-x64.exe  the 64-bit variant (64-bit DLL only), the one that runs here and
#                         that ctest installs and uninstalls (built in build/x64)
# Each is checked without running it: what it holds, and its DLLs' imports and exports.
#   BUILD_ROOT=dir  build somewhere other than ./build
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}

"$root/scripts/setup.sh"
BUILD_ROOT=$build_root "$root/scripts/build.sh"

shipped=$build_root/PelmoraSetup.exe
variant=$build_root/PelmoraSetup-x64.exe
"$root/installer/make-installer.sh" x86 "$shipped" "$build_root/x86/bin/Pelmora.dll" "$build_root/x64/bin/Pelmora.dll"
"$root/installer/check-installer.sh" x86 "$shipped"
# The one the x64 build made and ctest runs, so that what is handed out is what was tested.
rm -rf "$variant" "$variant.stage"
cp "$build_root/x64/installer/PelmoraSetup-x64.exe" "$variant"
cp -r "$build_root/x64/installer/PelmoraSetup-x64.exe.stage" "$variant.stage"
"$root/installer/check-installer.sh" x64 "$variant"
echo "Built $shipped and $variant"
