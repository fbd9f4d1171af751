#!/usr/bin/env bash
# Checks a built installer without running it: that it is a program of the right
# bitness, lists what it holds (which must be exactly the uninstaller and the DLLs, besides
# the NSIS plug-ins it unpacks for itself), and checks each DLL it holds as
# cmake/check-dll.sh checks a built one: the staged DLL byte for byte, of the right
# bitness, importing system DLLs only.
#   check-installer.sh x86|x64 INSTALLER    (the DLLs it should hold are in INSTALLER.stage/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -eq 2 ]] || { echo "usage: $0 x86|x64 INSTALLER" >&2; exit 2; }
arch=$1 installer=$2
stage=$installer.stage
command -v 7z >/dev/null || { echo "check-installer: 7z is missing (scripts/setup.sh installs p7zip-full)" >&2; exit 1; }

objdump_for() { case $1 in x86) echo i686-w64-mingw32-objdump ;; x64) echo x86_64-w64-mingw32-objdump ;; esac; }
format_for() { case $1 in x86) echo pei-i386 ;; x64) echo pei-x86-64 ;; esac; }
case $arch in
  x86) folders=(x86 x64) ;;
  x64) folders=(x64) ;;
  *) echo "usage: $0 x86|x64 INSTALLER" >&2; exit 2 ;;
esac

status=0
fail() { echo "check-installer: $*" >&2; status=1; }
format=$("$(objdump_for "$arch")" -f "$installer" | sed -n 's/.*file format //p')
[[ $format == "$(format_for "$arch")" ]] || fail "$installer is a $format program, expected $(format_for "$arch")"

echo "check-installer: $(basename "$installer") holds:"
listing=$(7z l -ba "$installer" | awk '{print $NF}' | sort)
sed 's/^/  /' <<<"$listing"
expected=$(printf '%s\n' Uninstall.exe "${folders[@]/%//Pelmora.dll}" | sort)
actual=$(grep -v '^\$PLUGINSDIR/' <<<"$listing" || true)
[[ $actual == "$expected" ]] || fail "$installer holds '$(tr '\n' ' ' <<<"$actual")', expected '$(tr '\n' ' ' <<<"$expected")'"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
7z x -y -o"$unpacked" "$installer" >/dev/null
for folder in "${folders[@]}"; do
  dll=$unpacked/$folder/Pelmora.dll
  [[ -f $dll ]] || { fail "$installer holds no $folder/Pelmora.dll"; continue; }
  cmp -s "$dll" "$stage/$folder/Pelmora.dll" || fail "$folder/Pelmora.dll is not the staged $stage/$folder/Pelmora.dll"
  format=$("$(objdump_for "$folder")" -f "$dll" | sed -n 's/.*file format //p')
  [[ $format == "$(format_for "$folder")" ]] || fail "$folder/Pelmora.dll is $format, expected $(format_for "$folder")"
  "$root/cmake/check-dll.sh" "$(objdump_for "$folder")" "$dll" | sed "s|$unpacked/||" || status=1
done
(( status == 0 )) && echo "check-installer: $(basename "$installer") is a $(format_for "$arch") program holding what it should"
exit $status
