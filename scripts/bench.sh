#!/usr/bin/env bash
# Builds the 64-bit tree and runs the benchmarks under Wine, in a fresh prefix of their
# own inside Xvfb. Prints the table (every figure against its goal) and the growth rows;
# leaves bench-results.jsonl, bench-growth.dat and the chart bench-growth.png in
# build/x64/bench. Exits non-zero when a goal was missed or a figure could not run.
#   BUILD_ROOT=dir  build somewhere other than ./build
#   REPEATS=n       repeats of every figure (default: 15, and 7 for the band shown)
#   ONLY=name       run one figure: event, page, band, marks or log
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
"$root/scripts/setup.sh" bench

build=$build_root/x64
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target pelmora_bench scriptrt

out=$build/bench
prefix=$out/prefix
mkdir -p "$out"
runtime="Z:${build//\//\\}\\bin\\scriptrt.dll"
"$root/cmake/wine-prefix.sh" create "$prefix" "$runtime" >/dev/null
trap '"$root/cmake/wine-prefix.sh" remove "$prefix" >/dev/null' EXIT

args=(--out "Z:${out//\//\\}")
[[ -n ${REPEATS:-} ]] && args+=(--repeats "$REPEATS")
[[ -n ${ONLY:-} ]] && args+=(--only "$ONLY")
status=0
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64 \
  xvfb-run -a -s "-screen 0 1280x1024x24" /usr/lib/wine/wine64 "$build/bin/pelmora_bench.exe" "${args[@]}" \
  | tr -d '\r' || status=$?

if [[ -s $out/bench-growth.dat ]]; then
  gnuplot -e "data='$out/bench-growth.dat'; chart='$out/bench-growth.png'" "$root/bench/growth.gp"
  echo "chart: $out/bench-growth.png"
fi
exit "$status"
