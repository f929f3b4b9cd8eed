#!/usr/bin/env bash
# Builds tools/paint-skin.cpp and repaints the skin pictures into
# data/background/english and data/background/german.
#
#   tools/paint-skin.sh [--mock DIR]
#
# With --mock DIR it also writes DIR/skin-mock-english.png and
# DIR/skin-mock-german.png, a picture of the whole main window per language.
# Needs Qt 6 (qt6-base-dev), cmake and ninja, and the DejaVu fonts
# (fonts-dejavu-core, fonts-dejavu-extra), which it installs when run as root.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${PAINT_SKIN_BUILD_DIR:-$root/build/paint-skin}

fonts=(fonts-dejavu-core fonts-dejavu-extra)
for p in "${fonts[@]}"; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)" != installed ]; then
    if [ "$(id -u)" = 0 ]; then
      apt-get install -y "${fonts[@]}"
      break
    fi
    echo "paint-skin.sh: needs ${fonts[*]} (apt-get install ${fonts[*]})" >&2
    exit 1
  fi
done

cmake -S "$root" -B "$build" -G Ninja -DTUNEBELT_BUILD_TESTS=OFF -DTUNEBELT_BUILD_UI=ON >/dev/null
cmake --build "$build" --target paint-skin -j2
"$build/tools/paint-skin" "$root/data/background" "$@"
