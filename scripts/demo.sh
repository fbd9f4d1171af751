#!/usr/bin/env bash
# Sets everything up, builds, and shows the bar at work in the development host
# (devhost/bandhost) playing the browser's frame around the band: see
# scripts/run-demo.sh for what it shows. The shipped 32-bit build by default.
#   --arch x64      show the 64-bit build instead
#   --interactive   leave the host open on $DISPLAY for a person instead of the tour
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
usage() { echo "usage: $0 [--arch x86|x64] [--interactive]" >&2; exit 2; }
arch=x86
interactive=()
while (($#)); do
  case $1 in
    --arch) [[ ${2:-} == x86 || ${2:-} == x64 ]] || usage; arch=$2; shift 2 ;;
    --interactive) interactive=(--interactive); shift ;;
    *) usage ;;
  esac
done

"$root/scripts/setup.sh"
BUILD_ROOT=$build_root "$root/scripts/build.sh" >/dev/null
echo "Built $build_root/x86/bin/Pelmora.dll and $build_root/x64/bin/Pelmora.dll; showing the $arch build"
exec "$root/scripts/run-demo.sh" "$build_root/$arch/bin" "$build_root" "${interactive[@]}"
