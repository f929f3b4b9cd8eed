#!/usr/bin/env bash
# Renders the application icon packaging/icons/tunebelt.svg (drawn by hand)
# into the PNG sizes the desktop's icon theme wants:
# packaging/icons/tunebelt-48.png, -128.png and -256.png.
#
#   tools/render-icon.sh
#
# Needs rsvg-convert (librsvg2-bin), which it installs when run as root. The
# output is the same byte for byte on every run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/packaging/icons

if ! command -v rsvg-convert >/dev/null 2>&1; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y -o DPkg::Lock::Timeout=600 librsvg2-bin
  else
    echo "render-icon.sh: needs rsvg-convert (apt-get install librsvg2-bin)" >&2
    exit 1
  fi
fi

for size in 48 128 256; do
  rsvg-convert --width "$size" --height "$size" "$icons/tunebelt.svg" -o "$icons/tunebelt-$size.png"
done
echo "Rendered $icons/tunebelt-{48,128,256}.png"
