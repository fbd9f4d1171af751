#!/usr/bin/env bash
# Runs a tour of the development host with the real bar in the test prefix:
#   bar-tour.sh BIN_DIR TOUR
# Registers BIN_DIR/Pelmora.dll, points the script location at a fresh folder with
# the scripts the command tour expects, runs bandhost.exe with the tour, checks the
# folders it leaves behind, and unregisters the bar again. The Wine environment
# (WINEPREFIX, WINELOADER, ...) comes from the caller.
set -euo pipefail
bin=$1
tour=$2
wine() { /usr/lib/wine/wine64 "$@"; }
winpath() { echo "Z:${1//\//\\}"; }

location=$(mktemp -d "${TMPDIR:-/tmp}/pelmora-tour.XXXXXX")
main="$location/{34A715A0-6587-11D0-924A-0020AFC7AC4D}"
url="$location/{96A0A4E0-D062-11CF-94B6-00AA0060275C}"
cleanup() {
  wine regsvr32 /u /s "$(winpath "$bin/Pelmora.dll")" >/dev/null 2>&1 || true
  wine reg delete 'HKCU\SOFTWARE\Halvenne\Pelmora' /f >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w || true
  rm -rf "$location"
}
trap cleanup EXIT

# A main script the script runtime runs: it only holds the browser.
main_script() {
  printf '%s\r\n' '<?XML version="1.0"?>' '<package>' '<component id="tour">' \
    '<registration progid="tour.WSC" description="tour" version="1.00"/>' \
    '<public>' '<property name="browser"/>' \
    '<method name="DocumentComplete"><parameter name="Params"/></method>' '</public>' \
    '<script language="JScript">' '<![CDATA[' 'var browser;' 'function DocumentComplete(Params) {}' ']]>' \
    '</script>' '</component>' '</package>' > "$1"
}
# One that asks for its errors to be shown to the person, and throws.
throwing_script() {
  printf '%s\r\n' '<?XML version="1.0"?>' '<package>' '<?component error="true" debug="false"?>' \
    '<component id="thrower">' '<registration progid="thrower.WSC" description="thrower" version="1.00"/>' \
    '<public>' '<property name="browser"/>' \
    '<method name="DocumentComplete"><parameter name="Params"/></method>' '</public>' \
    '<script language="JScript">' '<![CDATA[' 'var browser;' \
    'function DocumentComplete(Params) { throw new Error("thrown for the tour"); }' ']]>' \
    '</script>' '</component>' '</package>' > "$1"
}
mkdir -p "$main" "$url/a.WSC/h.example"
main_script "$main/a.WSC"
main_script "$main/b.WSC"
throwing_script "$main/c.WSC"
echo '<?XML version="1.0"?>' > "$url/a.WSC/g.example.WSC"
echo '<?XML version="1.0"?>' > "$url/a.WSC/h.example/index.html.WSC"

wine reg add 'HKCU\SOFTWARE\Halvenne\Pelmora' /v ScriptLocation /t REG_SZ /d "$(winpath "$location")" /f >/dev/null
wine reg add 'HKCU\SOFTWARE\Halvenne\Pelmora' /v LogErrors /t REG_DWORD /d 3 /f >/dev/null
wine regsvr32 /s "$(winpath "$bin/Pelmora.dll")"

status=0
wine "$bin/bandhost.exe" --clsid '{EC3B8349-CAB2-4E10-AF31-69E1BA5031A0}' --script "$(winpath "$tour")" || status=$?
echo "bandhost: exit code $status"

failed=0
expect() {  # expect present|absent PATH
  if [[ $1 == present && ! -e $2 ]] || [[ $1 == absent && -e $2 ]]; then
    echo "bar-tour: expected $2 to be $1" >&2
    failed=1
  fi
}
expect absent "$main/a.WSC"
expect absent "$url/a.WSC"
expect present "$main/b.WSC"
expect present "$url/b.WSC/h.example/news/index.html.WSC"
find "$location" | sed "s|^$location||" | sort
[[ $status -eq 0 && $failed -eq 0 ]]
