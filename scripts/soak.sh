#!/usr/bin/env bash
# The soak: thousands of seeded random user, file and browser actions against the real
# DLL in the development host, with invariants checked after every one (see
# devhost/bandhost/SoakRunner.h). Builds what it needs, makes a fresh Wine prefix with
# the script runtime and the DLL registered, lays out sample scripts
# (tests/bandhost/soak/) with a folder-link loop in the script location, and runs
# `bandhost --soak` on each build. Prints the figures; exits 0 only when every
# invariant held on every build.
#   SOAK_STEPS=N      actions per build (2000)
#   SOAK_SEED=S       the generator's seed (1); the same seed and steps replay a walk
#   ARCH=x64|x86      one build only (both by default)
#   SOAK_BIN=DIR      take the programs from DIR (with ARCH naming its build), build nothing
#   SOAK_OUT=DIR      where the prefix and scripts go (a temporary folder, removed afterwards)
#   SOAK_TRANSCRIPT=1 print the host's transcript too, to follow a replay
#   SOAK_SKIP=K,...   leave those kinds of action out (the names the figures print)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
steps=${SOAK_STEPS:-2000}
seed=${SOAK_SEED:-1}
archs=(${ARCH:-x64 x86})
[[ $steps =~ ^[0-9]+$ && $seed =~ ^[0-9]+$ ]] || { echo "soak: SOAK_STEPS and SOAK_SEED are numbers" >&2; exit 2; }

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
main_id='{34A715A0-6587-11D0-924A-0020AFC7AC4D}'
url_id='{96A0A4E0-D062-11CF-94B6-00AA0060275C}'
samples=$root/tests/bandhost/soak
. "$root/cmake/wine-step.sh"
reg_add() { wine_step "soak: reg add $*" /usr/lib/wine/wine64 reg add "$@" /f; }

soak_one() {  # soak_one ARCH BIN
  local arch=$1 bin=$2 out
  out=${SOAK_OUT:-$(mktemp -d "${TMPDIR:-/tmp}/pelmora-soak.XXXXXX")}/$arch
  rm -rf "$out"
  mkdir -p "$out"
  local prefix=$out/prefix location=$out/scripts/location
  # A double-click opens a script in the recording editor, which notes each file.
  PELMORA_WSC_EDITOR=$(windows_path "$bin/recording_editor.exe") \
    "$root/cmake/wine-prefix.sh" create "$prefix" "$(windows_path "$bin/scriptrt.dll")" \
    "$(windows_path "$bin/Pelmora.dll")" >/dev/null
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
  export PELMORA_OPEN_RECORD=$(windows_path "$out/opened.txt")

  # Main scripts with one behaviour each, some with URL scripts, and a folder whose
  # links point at itself and its parent.
  local main=$location/$main_id url=$location/$url_id
  mkdir -p "$main/news" "$main/loops" "$url/alert.WSC/a.example" "$url/quiet.WSC" \
           "$url/interval.WSC/b.example/news" "$url/keeps.WSC"
  for behaviour in quiet alert interval hides throws; do cp "$samples/$behaviour.WSC" "$main/"; done
  cp "$samples/navigates.WSC" "$samples/keeps.WSC" "$main/news/"
  cp "$samples/alert.WSC" "$url/alert.WSC/a.example.WSC"
  cp "$samples/interval.WSC" "$url/alert.WSC/a.example/index.html.WSC"
  cp "$samples/keeps.WSC" "$url/quiet.WSC/b.example.WSC"
  cp "$samples/throws.WSC" "$url/interval.WSC/a.example.WSC"
  cp "$samples/navigates.WSC" "$url/interval.WSC/b.example/news/index.html.WSC"
  cp "$samples/alert.WSC" "$url/keeps.WSC/b.example.WSC"
  ln -s . "$main/loops/self"
  ln -s .. "$main/loops/up"

  local key='HKCU\SOFTWARE\Halvenne\Pelmora'
  reg_add "$key" /v ScriptLocation /t REG_SZ /d "$(windows_path "$location")"
  reg_add "$key" /v LogErrors /t REG_DWORD /d 3
  # No sound card here: each message box's sound would wait on a missing device.
  reg_add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d ''
  # No window manager under Xvfb: a managed window that closes waits 2 s for one.
  reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  /usr/lib/wine/wineserver -w

  local host=(/usr/lib/wine/wine64 "$(windows_path "$bin/bandhost.exe")" --clsid '{EC3B8349-CAB2-4E10-AF31-69E1BA5031A0}'
              --soak "$seed" "$steps" "$(windows_path "$samples")")
  [[ -z ${SOAK_TRANSCRIPT:-} ]] || host+=(--transcript)
  [[ -z ${SOAK_SKIP:-} ]] || host+=(--skip "$SOAK_SKIP")
  [[ -n ${DISPLAY:-} ]] || host=(xvfb-run -a -n $((RANDOM % 100 + 400)) -s "-screen 0 1280x1024x24" "${host[@]}")
  echo "== soak on $arch: seed $seed, $steps steps =="
  local status=0 started=$SECONDS
  # From its own folder, with a canary the soak checks: nothing the host or the DLL
  # resolves against the current folder can land in, or delete from, the repository.
  mkdir -p "$out/current" && echo keep > "$out/current/canary.txt"
  (cd "$out/current" && "${host[@]}" 2>/dev/null | stdbuf -oL tr -d '\r') || status=$?
  /usr/lib/wine/wineserver -w || true
  echo "soak: $arch took $((SECONDS - started)) s, exit code $status, $(cat "$out/opened.txt" 2>/dev/null | wc -l) scripts opened in the editor"
  if [[ -z ${SOAK_OUT:-} ]]; then rm -rf "$(dirname "$out")"; fi
  return "$status"
}

failed=0
for arch in "${archs[@]}"; do
  case $arch in x64|x86) ;; *) echo "soak: ARCH is x64 or x86, not $arch" >&2; exit 2 ;; esac
  if [[ -n ${SOAK_BIN:-} ]]; then
    bin=$(cd "$SOAK_BIN" && pwd)
  else
    bin=$root/build/$arch/bin
    if [[ -d $root/build/$arch ]]; then
      cmake --build "$root/build/$arch" --target Pelmora scriptrt bandhost -j "$(nproc)" >/dev/null
    else
      "$root/scripts/build.sh" "$arch" >/dev/null
    fi
  fi
  soak_one "$arch" "$bin" || failed=1
done
exit "$failed"
