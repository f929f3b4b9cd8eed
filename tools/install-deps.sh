#!/usr/bin/env bash
# Installs the Debian packages Tunebelt builds and tests with, and nothing
# when they are all there already (one dpkg-query, no network). The fonts
# are the window's (Liberation Sans, DejaVu) and the faces its tests lay the
# window out with (those two and Nimbus Sans). With
# --windows: those of the Windows cross-build instead (make windows); with
# --bench: what the benchmarks run (make bench).
set -euo pipefail

if [ "${1:-}" = --bench ]; then
  packages=(hyperfine)
elif [ "${1:-}" = --windows ]; then
  packages=(
    cmake ninja-build make
    g++-mingw-w64-x86-64-posix
    googletest
    wine64
    nsis
    util-linux
    # The window's tests draw on an X server of their own (cmake/wine-run.sh.in);
    # the console test runs once on a terminal (script, in bsdutils).
    xvfb bsdutils
    # The audio libraries built from Debian's sources (tools/build-audio-libs.sh),
    # and the test sounds made on this machine (tests/core/audio_maker).
    dpkg-dev xz-utils pkg-config g++
    libavformat-dev libavcodec-dev libswresample-dev libmp3lame-dev
  )
else
  packages=(
    cmake ninja-build g++ make
    qt6-base-dev
    pkg-config libavformat-dev libavcodec-dev libswresample-dev libmp3lame-dev libebur128-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-tidy clang-format
    desktop-file-utils appstream
    dpkg-dev file
    fontconfig fonts-liberation2 fonts-dejavu-core fonts-urw-base35
  )
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
