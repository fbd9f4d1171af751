#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only when one
# is missing: a second run on a ready machine takes a moment and touches nothing.
# wine32 comes from the i386 architecture: it runs the shipped 32-bit DLL and programs.
#   setup.sh bench   also what only the benchmarks need (gnuplot, for their chart)
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  mingw-w64-tools libwine-dev
  wine wine64 wine32:i386
  googletest
  xvfb xauth imagemagick
  nsis p7zip-full
)
if [[ ${1:-} == bench ]]; then
  packages+=(gnuplot-nox)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
