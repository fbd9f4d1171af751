#!/usr/bin/env bash
# Sets everything up, builds both trees, and puts both installers into the build folder:
#   PelmoraSetup.exe      the shipped installer, a 32-bit program: the 32-bit DLL, and on
#                         64-bit Windows the 64-bit DLL too (built in build/x86, whose
#                         ctest installs and uninstalls it)
#   PelmoraSetup-x64.exe  the 64-bit variant (64-bit DLL only), for 64-bit-only machines
#                         (built in build/x64, whose ctest installs and uninstalls it)
# Each is checked without running it: what it holds, and its DLLs' imports and exports.
#   BUILD_ROOT=dir  build somewhere other than ./build
#   --built         the trees are built already: only copy and check the installers
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}

if [[ ${1:-} != --built ]]; then
  "$root/scripts/setup.sh"
  BUILD_ROOT=$build_root "$root/scripts/build.sh"
fi

# The ones the builds made and ctest runs, so that what is handed out is what was tested.
copy_installer() { # FROM TO
  rm -rf "$2" "$2.stage"
  cp "$1" "$2"
  cp -r "$1.stage" "$2.stage"
}
shipped=$build_root/PelmoraSetup.exe
variant=$build_root/PelmoraSetup-x64.exe
copy_installer "$build_root/x86/installer/PelmoraSetup.exe" "$shipped"
copy_installer "$build_root/x64/installer/PelmoraSetup-x64.exe" "$variant"
"$root/installer/check-installer.sh" x86 "$shipped"
"$root/installer/check-installer.sh" x64 "$variant"
echo "Built $shipped and $variant"
