#!/usr/bin/env bash
# Builds one installer from installer/Pelmora.nsi. The DLLs go in without their debug
# information (the build's copies keep it); the stripped copies stay beside the
# installer in OUT.stage/, so a test can compare what got installed with them.
#   make-installer.sh x86 OUT DLL_X86 DLL_X64   the shipped 32-bit installer
#   make-installer.sh x64 OUT DLL_X64           the 64-bit variant
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage() { echo "usage: $0 x86 OUT DLL_X86 DLL_X64 | x64 OUT DLL_X64" >&2; exit 2; }
[[ $# -ge 3 ]] || usage
arch=$1 out=$2
stage=$out.stage
rm -rf "$stage"
mkdir -p "$stage"
defines=(-DARCH="$arch" -DOUTFILE="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")")
stage_dll() { # BITS DLL
  local folder=$1 triple=$2 dll=$3
  [[ -f $dll ]] || { echo "make-installer: $dll is not built" >&2; exit 1; }
  mkdir -p "$stage/$folder"
  "$triple-strip" --strip-debug -o "$stage/$folder/Pelmora.dll" "$dll"
}
case $arch in
  x86)
    [[ $# -eq 4 ]] || usage
    stage_dll x86 i686-w64-mingw32 "$3"
    stage_dll x64 x86_64-w64-mingw32 "$4"
    defines+=(-DDLL_X86="$stage/x86/Pelmora.dll" -DDLL_X64="$stage/x64/Pelmora.dll")
    ;;
  x64)
    [[ $# -eq 3 ]] || usage
    stage_dll x64 x86_64-w64-mingw32 "$3"
    defines+=(-DDLL_X64="$stage/x64/Pelmora.dll")
    ;;
  *) usage ;;
esac
command -v makensis >/dev/null || { echo "make-installer: makensis is missing (scripts/setup.sh installs nsis)" >&2; exit 1; }
makensis -V2 -NOCD "${defines[@]}" "$here/Pelmora.nsi"
echo "make-installer: built $out"
