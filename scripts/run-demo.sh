#!/usr/bin/env bash
# Runs the demo on built programs (either build): a fresh Wine prefix with the script
# runtime and the DLL registered, sample scripts (scripts/demo/) in the script location,
# and the development host running the tour scripts/demo/tour.txt (under Xvfb when there
# is no display). Prints the host's transcript, the log ("LogErrors" = 7) and the paths of
# the screenshots; exits with the host's exit code (0 when every tour step held).
#   run-demo.sh BIN OUT [--interactive]
#     BIN   the folder of Pelmora.dll, scriptrt.dll and bandhost.exe
#     OUT   the prefix goes to OUT/demo-prefix, the tour and screenshots to OUT/demo
#     --interactive   leave the host open on $DISPLAY for a person instead of the tour
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -ge 2 ]] || { echo "usage: $0 BIN OUT [--interactive]" >&2; exit 2; }
bin=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
interactive=0
case ${3:-} in
  '') ;;
  --interactive) interactive=1 ;;
  *) echo "usage: $0 BIN OUT [--interactive]" >&2; exit 2 ;;
esac

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }

prefix=$out/demo-prefix
"$root/cmake/wine-prefix.sh" create "$prefix" "$(windows_path "$bin/scriptrt.dll")" \
  "$(windows_path "$bin/Pelmora.dll")" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
wine() { /usr/lib/wine/wine64 "$@" 2>/dev/null | tr -d '\r'; }
echo "Registered the script runtime and Pelmora.dll in $prefix"
# A double-click on a script in the bar opens it in Wine's notepad.
"$root/cmake/associate-wsc.sh" "$prefix" 'C:\windows\notepad.exe' >/dev/null

key='HKCU\SOFTWARE\Halvenne\Pelmora'
wine reg add "$key" /v LogErrors /t REG_DWORD /d 7 /f >/dev/null
location=$(wine reg query "$key" /v ScriptLocation | sed -n 's/.*REG_SZ[[:space:]]*//p')
unix_location=$(/usr/lib/wine/wine64 winepath -u "$location" 2>/dev/null)
unix_location=${unix_location%/}
[[ -d $unix_location ]] || { echo "demo: the script location $location does not exist" >&2; exit 1; }

# Main scripts live below one folder of the script location, URL scripts below another,
# in a folder named after their main script: a site script by its host name, a page
# script by its host's and path's folders.
main_dir=$unix_location/{34A715A0-6587-11D0-924A-0020AFC7AC4D}
url_dir=$unix_location/{96A0A4E0-D062-11CF-94B6-00AA0060275C}
samples=$root/scripts/demo
mkdir -p "$main_dir/news" "$url_dir/alerts.WSC/docs.example/guide"
with_crlf() { sed 's/$/\r/' "$1" > "$2"; }
with_crlf "$samples/alerts.WSC" "$main_dir/alerts.WSC"
with_crlf "$samples/reload.WSC" "$main_dir/news/reload.WSC"
with_crlf "$samples/site.WSC" "$url_dir/alerts.WSC/news.example.WSC"
with_crlf "$samples/page.WSC" "$url_dir/alerts.WSC/docs.example/guide/index.html.WSC"
rm -f "$unix_location/Pelmora.log"
echo "Script location: $location ($unix_location)"
(cd "$unix_location" && find . -name '*.WSC' | sort | sed 's/^/  /')

# The Wine programs above ran without a display: their wineserver (and the desktop it
# made) must be gone before the host starts on one, or it gets no desktop window.
/usr/lib/wine/wineserver -w
host=$(windows_path "$bin/bandhost.exe")
# Wine draws "MS Sans Serif" wider than Windows does, so the form needs more than the
# bar's registered width of 403 pixels to show its right-hand buttons whole.
band_width=440
if (( interactive )); then
  [[ -n ${DISPLAY:-} ]] || { echo "demo: --interactive needs a display (DISPLAY is not set)" >&2; exit 1; }
  echo "The development host is open on $DISPLAY; close its window to end the demo."
  /usr/lib/wine/wine64 "$host" --width "$band_width" http://news.example/index.html 2>/dev/null | tr -d '\r' || true
  /usr/lib/wine/wineserver -w
  exit 0
fi

shots=$out/demo
rm -rf "$shots"
mkdir -p "$shots"
cp "$samples/tour.txt" "$shots/tour.txt"
with_crlf "$samples/alerts-saved.WSC" "$shots/alerts-saved.WSC"
run_host=(/usr/lib/wine/wine64 "$host" --width "$band_width" --script "$(windows_path "$shots/tour.txt")")
# Several suites may start an Xvfb at once: searching from a random number keeps
# them from picking the same display.
[[ -n ${DISPLAY:-} ]] || run_host=(xvfb-run -a -n $((RANDOM % 400 + 100)) -s "-screen 0 1280x1024x24" "${run_host[@]}")
echo
echo "== The development host's transcript (tour: scripts/demo/tour.txt) =="
status=0
"${run_host[@]}" 2>/dev/null | tr -d '\r' | tee "$shots/transcript.txt" || status=$?
/usr/lib/wine/wineserver -w
# Closing the host must leave nothing attached and let COM unload the DLL.
attached=$(grep -c '^attached: ' "$shots/transcript.txt" || true)
detached=$(grep -c '^detached: ' "$shots/transcript.txt" || true)
if (( attached != detached )); then
  echo "demo: $attached scripts were attached but $detached detached by the end" >&2
  status=1
fi
if ! grep -q '^host: CoFreeUnusedLibraries: COM unloaded' "$shots/transcript.txt"; then
  echo "demo: COM did not unload Pelmora.dll when the host closed" >&2
  status=1
fi

echo
echo "== The scripts in $location after the tour =="
(cd "$unix_location" && find . -mindepth 1 | sort | sed 's/^/  /')
echo
echo "== $location\\Pelmora.log (LogErrors = 7) =="
if [[ -f $unix_location/Pelmora.log ]]; then tr -d '\r' < "$unix_location/Pelmora.log"; else echo "(no records)"; fi
echo
echo "== Screenshots =="
ls "$shots"/*.png 2>/dev/null || echo "(none)"
if (( status != 0 )); then
  echo "demo: the demo failed with exit code $status (see the failed: lines above)" >&2
  exit "$status"
fi
