#!/usr/bin/env bash
# Sets everything up, builds both DLLs and both installers, and runs every test (under
# Wine, with Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
BUILD_ROOT=$build_root "$root/scripts/package.sh"
cd "$build_root/x64"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
