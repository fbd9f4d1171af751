#!/usr/bin/env bash
# Sets everything up, builds both trees and both installers, and runs both test suites
# under Wine, each in an Xvfb of its own: build/x64, and build/x86 (the shipped 32-bit
# DLL), each in Wine prefixes of its own. The x64 suite starts as soon as its tree is
# built and runs while the x86 tree compiles, then beside the x86 suite. Prints each
# suite's output as it ends; fails when either suite or either build does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
export BUILD_ROOT=$build_root
start=$SECONDS

"$root/scripts/setup.sh"
"$root/scripts/build.sh" x64

# Each suite gets its own X server; the two search for a free display from different
# numbers, so that starting together they do not pick the same one. Within a suite the
# tests that share its prefix take turns; the demo and the installer test, with
# prefixes and displays of their own, run beside them.
run_suite() { # ARCH FIRST_DISPLAY
  cd "$build_root/$1"
  xvfb-run -a -n "$2" -s "-screen 0 1280x1024x24" ctest -j 3 --output-on-failure >ctest.log 2>&1
}
run_suite x64 90 &
x64_suite=$!

x86_suite=
if "$root/scripts/build.sh" x86 && "$root/scripts/package.sh" --built; then
  run_suite x86 190 &
  x86_suite=$!
else
  echo "test: the x86 tree or the installers failed to build" >&2
fi

status=0
[[ -n $x86_suite ]] || status=1
for arch in x64 x86; do
  suite=${arch}_suite
  [[ -n ${!suite} ]] || continue
  result=0
  wait "${!suite}" || result=$?
  echo "== ctest in build/$arch (exit code $result)"
  cat "$build_root/$arch/ctest.log"
  (( result == 0 )) || status=1
done
echo "== set up, built and tested in $((SECONDS - start)) s"
exit "$status"
