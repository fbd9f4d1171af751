#!/usr/bin/env bash
# Associates ".WSC" files with an editor in a Wine prefix, so that the shell's "open"
# verb (a double-click on a script in the bar) starts it with the file:
#   associate-wsc.sh PREFIX EDITOR     EDITOR a Windows path, such as
#                                      C:\windows\notepad.exe or Z:\build\bin\x.exe
# The tests use a program that records what it was asked to open; the demo uses
# Wine's notepad.
set -euo pipefail
prefix=$1
editor=$2
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
. "$(dirname "$0")/wine-step.sh"
reg() { wine_step "associate-wsc: reg $*" /usr/lib/wine/wine64 reg "$@"; }
reg add 'HKCR\.WSC' /ve /d Pelmora.ScriptFile /f
reg add 'HKCR\Pelmora.ScriptFile' /ve /d 'Windows Script Component' /f
reg add 'HKCR\Pelmora.ScriptFile\shell\open\command' /ve /d "\"$editor\" \"%1\"" /f
/usr/lib/wine/wineserver -w
echo "associate-wsc: .WSC opens with $editor in $prefix"
