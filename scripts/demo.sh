#!/usr/bin/env bash
# Sets everything up, builds both DLLs, registers the 64-bit one in a private Wine
# prefix and shows what that left behind: the registration, the script location and
# the log settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
"$root/scripts/setup.sh"
BUILD_ROOT=$build_root "$root/scripts/build.sh" >/dev/null
echo "Built $build_root/x64/bin/Pelmora.dll and $build_root/x86/bin/Pelmora.dll"

prefix=$build_root/demo-prefix
"$root/cmake/wine-prefix.sh" create "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
wine() { /usr/lib/wine/wine64 "$@" 2>/dev/null | tr -d '\r'; }

dll="Z:${build_root//\//\\}\\x64\\bin\\Pelmora.dll"
wine regsvr32 /s "$dll"
echo "regsvr32 $dll: exit code $?"

clsid='{EC3B8349-CAB2-4E10-AF31-69E1BA5031A0}'
echo
echo "== The bar's class =="
wine reg query "HKCR\\CLSID\\$clsid" /s
echo "== The Explorer Bar entry =="
wine reg query "HKLM\\Software\\Microsoft\\Internet Explorer\\Explorer Bars\\$clsid" /s
echo "== Product settings (HKCU\\SOFTWARE\\Halvenne\\Pelmora) =="
wine reg query 'HKCU\SOFTWARE\Halvenne\Pelmora' /s
location=$(wine reg query 'HKCU\SOFTWARE\Halvenne\Pelmora' /v ScriptLocation | sed -n 's/.*REG_SZ[[:space:]]*//p')
unix_location=$(/usr/lib/wine/wine64 winepath -u "$location" 2>/dev/null)
echo "== Script location: $location =="
echo "   on this machine: $unix_location"
ls -la "$unix_location"
if ! wine reg query 'HKCU\SOFTWARE\Halvenne\Pelmora' /v LogErrors >/dev/null 2>&1; then
  echo "Logging is off: \"LogErrors\" is written as 0 at the first report; set it to 1 (errors), 3 (and warnings) or 7 (all)."
  echo "Records go to $location\\Pelmora.log"
fi
/usr/lib/wine/wineserver -w
