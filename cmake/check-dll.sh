#!/usr/bin/env bash
# Checks a built COM server DLL: it imports system DLLs only and exports exactly the four
# COM entry points, by name.
#   check-dll.sh OBJDUMP DLL
set -euo pipefail
objdump=$1
dll=$2
dump=$("$objdump" -p "$dll")

system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|msvcrt|uxtheme|version|urlmon|rpcrt4)\.dll$'
status=0
while read -r name; do
  if ! [[ ${name,,} =~ $system_dlls ]]; then
    echo "check-dll: $dll imports $name, which is not a system DLL" >&2
    status=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[ \t]*\[/{print $NF; next} on{on=0}' <<<"$dump" | sort | tr '\n' ' ')
expected='DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer '
if [[ $exports != "$expected" ]]; then
  echo "check-dll: $dll exports '$exports', expected '$expected'" >&2
  status=1
fi
[[ $status -eq 0 ]] && echo "check-dll: $dll imports system DLLs only and exports the four entry points"
exit $status
