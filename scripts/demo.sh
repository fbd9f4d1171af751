#!/usr/bin/env bash
# Sets everything up, builds, and shows the bar at work in the development host
# (devhost/bandhost) playing the browser's frame around the band: see
# scripts/run-demo.sh for what it shows.
#   --interactive   leave the host open on $DISPLAY for a person instead of the tour
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
case ${1:-} in
  ''|--interactive) ;;
  *) echo "usage: $0 [--interactive]" >&2; exit 2 ;;
esac

"$root/scripts/setup.sh"
BUILD_ROOT=$build_root "$root/scripts/build.sh" >/dev/null
echo "Built $build_root/x64/bin/Pelmora.dll and $build_root/x86/bin/Pelmora.dll"
exec "$root/scripts/run-demo.sh" "$build_root/x64/bin" "$build_root" "$@"
