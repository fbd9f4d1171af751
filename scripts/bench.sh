#!/usr/bin/env bash
# Builds each tree asked for and runs its benchmarks under Wine, in a fresh prefix of
# their own inside Xvfb. Prints a table per build (every figure against its goal) and the
# growth rows; leaves bench-results.jsonl, bench-growth.dat and the chart
# bench-growth.png in build/ARCH/bench. Exits non-zero when a goal was missed or a figure
# could not run in either build.
#   ARCH="x86 x64"  the builds to measure (default: both; the shipped x86 first)
#   BUILD_ROOT=dir  build somewhere other than ./build
#   REPEATS=n       repeats of every figure (default: 15, and 7 for the band shown)
#   ONLY=name       run one figure: event, page, band, marks or log
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
"$root/scripts/setup.sh" bench

toolchain_of() { [[ $1 == x86 ]] && echo toolchain-mingw32.cmake || echo toolchain-mingw64.cmake; }
# Runs the benchmarks of one build; leaves its exit code in bench_status.
bench_build() { # ARCH
  local arch=$1 build=$build_root/$1
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$(toolchain_of "$arch")" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target pelmora_bench scriptrt

  local out=$build/bench
  local prefix=$out/prefix
  mkdir -p "$out"
  local runtime="Z:${build//\//\\}\\bin\\scriptrt.dll"
  "$root/cmake/wine-prefix.sh" create "$prefix" "$runtime" >/dev/null

  local args=(--out "Z:${out//\//\\}")
  [[ -n ${REPEATS:-} ]] && args+=(--repeats "$REPEATS")
  [[ -n ${ONLY:-} ]] && args+=(--only "$ONLY")
  echo "== $arch build ($build)"
  bench_status=0
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64 \
    xvfb-run -a -s "-screen 0 1280x1024x24" /usr/lib/wine/wine64 "$build/bin/pelmora_bench.exe" "${args[@]}" \
    | tr -d '\r' || bench_status=$?
  "$root/cmake/wine-prefix.sh" remove "$prefix" >/dev/null

  if [[ -s $out/bench-growth.dat ]]; then
    gnuplot -e "data='$out/bench-growth.dat'; chart='$out/bench-growth.png'" "$root/bench/growth.gp"
    echo "chart: $out/bench-growth.png"
  fi
}

status=0
for arch in ${ARCH:-x86 x64}; do
  [[ $arch == x86 || $arch == x64 ]] || { echo "bench: ARCH is x86, x64 or both, not $arch" >&2; exit 2; }
  bench_build "$arch"
  (( bench_status == 0 )) || status=$bench_status
done
exit "$status"
