#!/usr/bin/env bash
# Creates or removes the Wine prefix one test run shares.
#   wine-prefix.sh create DIR [DLL...]  a fresh prefix (any old one at DIR is removed
#                                       first), with each DLL (a Windows path, such as
#                                       Z:\build\bin\x.dll) registered by regsvr32
#   wine-prefix.sh remove DIR           waits for the prefix's wineserver, then removes it
# With PELMORA_WSC_EDITOR set (a Windows path), create also associates ".WSC" files
# with that program (see associate-wsc.sh).
set -euo pipefail
action=$1
prefix=$2
shift 2
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
. "$(dirname "$0")/wine-step.sh"
case $action in
  create)
    if [[ -d $prefix ]]; then
      /usr/lib/wine/wineserver -k 2>/dev/null || true
      /usr/lib/wine/wineserver -w 2>/dev/null || true
      rm -rf "$prefix"
    fi
    mkdir -p "$prefix"
    wine_step "wine-prefix: wineboot in $prefix" /usr/lib/wine/wine64 wineboot -i
    /usr/lib/wine/wineserver -w
    test -f "$prefix/system.reg" || { echo "wine-prefix: wineboot made no registry in $prefix" >&2; exit 1; }
    for dll in "$@"; do
      if ! wine_step "wine-prefix: regsvr32 $dll" /usr/lib/wine/wine64 regsvr32 /s "$dll"; then
        echo "wine-prefix: regsvr32 failed to register $dll in $prefix" >&2
        exit 1
      fi
      echo "wine-prefix: registered $dll"
    done
    /usr/lib/wine/wineserver -w
    if [[ -n ${PELMORA_WSC_EDITOR:-} ]]; then
      "$(dirname "$0")/associate-wsc.sh" "$prefix" "$PELMORA_WSC_EDITOR"
    fi
    echo "wine-prefix: ready at $prefix"
    ;;
  remove)
    /usr/lib/wine/wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
    echo "wine-prefix: removed $prefix"
    ;;
  *)
    echo "usage: $0 create|remove DIR" >&2
    exit 2
    ;;
esac
