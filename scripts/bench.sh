#!/usr/bin/env bash
# Builds each tree asked for and runs its benchmarks under Wine, three times in a row, in
# a fresh prefix of its own inside Xvfb. Each run prints its table (every figure as the
# median of its paired ratios, with the interquartile range, against its goal) and the
# growth rows; then a table per build puts the three runs side by side and says whether
# each figure's verdict agreed in all of them. Leaves in build/ARCH/bench the results of
# every run (bench-results.jsonl, one JSON object a line naming build and run), the last
# run's growth rows (bench-growth.dat) and their chart (bench-growth.png). Exits non-zero
# when a goal was missed or a figure never settled in any run, or a figure could not run.
#   ARCH="x86 x64"  the builds to measure (default: both; the shipped x86 first)
#   BUILD_ROOT=dir  build somewhere other than ./build
#   RUNS=n          runs of every figure (default: 3)
#   REPEATS=n       at most this many pairs per figure, while trying something out
#   ONLY=name       run one figure: event, page, band, idle, marks or log
#   XVFB_DISPLAY=n  the first X display number xvfb-run tries (default: 99)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
runs=${RUNS:-3}
"$root/scripts/setup.sh" bench

toolchain_of() { [[ $1 == x86 ]] && echo toolchain-mingw32.cmake || echo toolchain-mingw64.cmake; }

# The runs' figures side by side, from their JSON rows; answers 1 when any verdict of
# any run was not "met".
summarise() { # BUILD FILE...
  local build=$1
  shift
  awk -v build="$build" -v runs="$runs" '
    function field(name,   at, rest) {
      at = index($0, "\"" name "\":")
      if (!at) return ""
      rest = substr($0, at + length(name) + 3)
      if (substr(rest, 1, 1) == "\"") { rest = substr(rest, 2); return substr(rest, 1, index(rest, "\"") - 1) }
      if (substr(rest, 1, 1) == "[") return substr(rest, 2, index(rest, "]") - 2)
      match(rest, /^[^,}]*/)
      return substr(rest, 1, RLENGTH)
    }
    function shown(value, share) { return share == "true" ? sprintf("%.2f%%", value * 100) : sprintf("%.2f", value) }
    /"figure":/ {
      name = field("figure"); run = field("run"); share = field("share")
      if (!(name in goal)) { order[++count] = name; goal[name] = (share == "true" ? "< " : "<= ") shown(field("goal"), share) }
      split(field("iqr"), iqr, ",")
      cell[name, run] = sprintf("%s (%s-%s) %s/%s", shown(field("ratio"), share), shown(iqr[1], share),
                                shown(iqr[2], share), field("verdict"), field("repeats"))
      if (field("repeats") == 1) cell[name, run] = sprintf("%s %s", shown(field("ratio"), share), field("verdict"))
      verdicts[name] = verdicts[name] " " field("verdict")
      seen[name]++
    }
    END {
      printf "== %s build: %d runs; each cell: ratio (interquartile range) verdict/pairs\n", build, runs
      printf "%-30s %-9s", "figure", "goal"
      for (r = 1; r <= runs; r++) printf " %-30s", "run " r
      printf " %s\n", "all runs"
      bad = 0
      for (i = 1; i <= count; i++) {
        name = order[i]
        printf "%-30s %-9s", name, goal[name]
        for (r = 1; r <= runs; r++) printf " %-30s", ((name, r) in cell) ? cell[name, r] : "did not run"
        n = split(verdicts[name], each, " ")
        agreed = (seen[name] == runs)
        for (k = 2; k <= n; k++) if (each[k] != each[1]) agreed = 0
        if (agreed && each[1] == "met") printf " met in all %d\n", runs
        else { printf " %s\n", agreed ? each[1] " in all " runs : "DISAGREED:" verdicts[name]; bad = 1 }
        if (each[1] != "met") bad = 1
      }
      exit bad
    }' "$@"
}

# Runs the benchmarks of one build; leaves its exit code in bench_status.
bench_build() { # ARCH
  local arch=$1 build=$build_root/$1
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$(toolchain_of "$arch")" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target pelmora_bench scriptrt

  local out=$build/bench
  local prefix=$out/prefix
  mkdir -p "$out"
  rm -f "$out"/bench-results*.jsonl "$out"/bench-growth*.dat
  local runtime="Z:${build//\//\\}\\bin\\scriptrt.dll"
  "$root/cmake/wine-prefix.sh" create "$prefix" "$runtime" >/dev/null

  local args=(--out "Z:${out//\//\\}")
  [[ -n ${REPEATS:-} ]] && args+=(--repeats "$REPEATS")
  [[ -n ${ONLY:-} ]] && args+=(--only "$ONLY")
  bench_status=0
  local run status results=()
  for ((run = 1; run <= runs; run++)); do
    echo "== $arch build ($build), run $run of $runs"
    status=0
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64 \
      xvfb-run -a -n "${XVFB_DISPLAY:-99}" -s "-screen 0 1280x1024x24" \
      /usr/lib/wine/wine64 "$build/bin/pelmora_bench.exe" "${args[@]}" --run "$run" \
      | tr -d '\r' || status=$?
    # 1 is a verdict, which the summary gives; anything else is a run that failed.
    (( status == 0 || status == 1 )) || bench_status=$status
    results+=("$out/bench-results-$run.jsonl")
    echo
  done
  "$root/cmake/wine-prefix.sh" remove "$prefix" >/dev/null

  local existing=()
  for file in "${results[@]}"; do [[ -s $file ]] && existing+=("$file"); done
  if ((${#existing[@]})); then
    cat "${existing[@]}" > "$out/bench-results.jsonl"
    summarise "$arch" "${existing[@]}" || { (( bench_status != 0 )) || bench_status=1; }
  else
    echo "== $arch build: no run left results"
    (( bench_status != 0 )) || bench_status=2
  fi
  local last=$out/bench-growth-$runs.dat
  if [[ -s $last ]]; then
    cp "$last" "$out/bench-growth.dat"
    gnuplot -e "data='$out/bench-growth.dat'; chart='$out/bench-growth.png'; build='$arch'" "$root/bench/growth.gp"
    echo "chart: $out/bench-growth.png"
  fi
  echo
}

status=0
for arch in ${ARCH:-x86 x64}; do
  [[ $arch == x86 || $arch == x64 ]] || { echo "bench: ARCH is x86, x64 or both, not $arch" >&2; exit 2; }
  bench_build "$arch"
  (( bench_status == 0 )) || status=$bench_status
done
exit "$status"
