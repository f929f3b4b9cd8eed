#!/usr/bin/env bash
# Builds tools/paint-skin.cpp and repaints the skin pictures into
# data/background/english and data/background/german.
#
#   tools/paint-skin.sh [--mock DIR]
#
# With --mock DIR it also writes DIR/skin-mock-english.png and
# DIR/skin-mock-german.png, a picture of the whole main window per language.
# Needs Qt 6 (qt6-base-dev), cmake and ninja; the fonts come from fonts-dejavu-core.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${PAINT_SKIN_BUILD_DIR:-$root/build/paint-skin}

cmake -S "$root" -B "$build" -G Ninja -DTUNEBELT_BUILD_TESTS=OFF -DTUNEBELT_BUILD_UI=ON >/dev/null
cmake --build "$build" --target paint-skin -j2
"$build/tools/paint-skin" "$root/data/background" "$@"
