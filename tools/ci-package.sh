#!/usr/bin/env bash
# Builds the Debian package and proves it on this machine (run by .ci/run
# after the tests; needs root, as CI has):
#   - lintian finds no error in it;
#   - it installs with apt-get, Depends resolved;
#   - the skin's font is fonts-dejavu-core's file, through a link;
#   - the installed tunebelt-cli answers --version and saves a three-track
#     playlist into a temporary mod folder from the installed files alone;
#   - the installed window starts offscreen and reaches its first paint
#     with the installed skin (tests/packaging/first-paint.sh, whose probe
#     plugin the dev build makes: run `make test` first);
#   - the installed desktop entry and metainfo validate;
#   - it is removed again, leaving nothing behind in /usr.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

probes=$root/build/dev/tests/qtplugins
if [ ! -e "$probes/generic/libfirstpaintprobe.so" ]; then
  echo "ci-package.sh: no $probes/generic/libfirstpaintprobe.so; run make test first" >&2
  exit 1
fi

# Tools only this check needs (the build's own come from tools/install-deps.sh).
for p in lintian desktop-file-utils appstream; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)" != installed ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      -o DPkg::Lock::Timeout=600 lintian desktop-file-utils appstream
    break
  fi
done

step() { printf '\n==== %s\n' "$*"; }

step "make package"
rm -f build/package/tunebelt_*.deb
make package
debs=(build/package/tunebelt_*_"$(dpkg --print-architecture)".deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one package, found: ${debs[*]}" >&2; exit 1; }
deb=$root/${debs[0]}
dpkg-deb --field "$deb" Package Version Architecture Depends

step "lintian"
status=0
report=$(lintian --fail-on error --display-info "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$status" -eq 0 ] || { echo "lintian found errors" >&2; exit 1; }

purge() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=600 tunebelt
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; purge >/dev/null 2>&1 || true' EXIT

step "apt-get install"
# A package of the same version left by an earlier run would be kept as it
# is, so it goes first.
if dpkg-query -W -f='${db:Status-Status}' tunebelt 2>/dev/null | grep -q installed; then purge; fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 "$deb"
dpkg -L tunebelt | sort

export HOME=$scratch/home
unset XDG_CONFIG_HOME XDG_DATA_HOME
mkdir -p "$HOME"

step "tunebelt-cli --version"
version=$(/usr/bin/tunebelt-cli --version | head -n 1)
echo "$version"
[ "$version" = "tunebelt-cli $(dpkg-deb --field "$deb" Version)" ]

step "the skin's font: a link to fonts-dejavu-core's file"
ls -l /usr/share/tunebelt/HLFLIFE2.TTF
cmp /usr/share/tunebelt/HLFLIFE2.TTF /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

step "tunebelt-cli save: three tracks from the installed files"
share=/usr/share/tunebelt
mod=$scratch/Half-Life/cstrike
mkdir -p "$mod/gfx/shell" "$scratch/music"
cp "$share/kb_act/cstrike/kb_act.lst" "$mod/gfx/shell/kb_act.lst"
for name in "Opening Night.mp3" "second_track.mp3" "Finale (Live).mp3"; do
  cp "$share/velloran_glasshour.mp3" "$scratch/music/$name"
done
(cd "$scratch/music" && /usr/bin/tunebelt-cli save --mod "$mod" \
  "Opening Night.mp3" "second_track.mp3" "Finale (Live).mp3")
ls -l "$mod" "$mod/mp3s"
for f in OpeningNight.mp3 secondtrack.mp3 FinaleLive.mp3; do
  cmp "$share/velloran_glasshour.mp3" "$mod/mp3s/$f"
done
grep -q 'alias track3 "mp3 play mp3s.FinaleLive\.mp3' "$mod/playlist1.cfg"
grep -q '^echo Tunebelt Script Loaded' "$mod/mp3.cfg"
[ "$(cat "$mod/userconfig.cfg")" = $'exec mp3.cfg\r' ]
tail -n 1 "$mod/gfx/shell/kb_act.lst" | grep -q 'Game Volume Down'
[ ! -e /usr/bin/settings.jst ]

step "the installed window, offscreen, until its first paint"
bash tests/packaging/first-paint.sh /usr/bin/tunebelt "$probes" \
  "$share/background/english/title.jpg"
[ ! -e /usr/bin/settings.jst ]

step "desktop entry and metainfo"
desktop-file-validate /usr/share/applications/tunebelt.desktop
appstreamcli validate --no-net /usr/share/metainfo/net.tunebelt.Tunebelt.metainfo.xml
man -w tunebelt-cli
bash -c 'source /usr/share/bash-completion/completions/tunebelt-cli && complete -p tunebelt-cli'

step "apt-get purge"
purge
if [ -e /usr/bin/tunebelt ] || [ -e /usr/share/tunebelt ]; then
  echo "the package left files behind" >&2
  exit 1
fi
echo "package checks passed"
