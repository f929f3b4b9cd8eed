#!/usr/bin/env bash
# The audio libraries of the Windows build, cross-built with MinGW-w64 from
# Debian's source packages: FFmpeg (libavformat, libavcodec, libswresample,
# libavutil) in the smallest configuration that reads the formats Tunebelt
# takes, LAME (libmp3lame) and libebur128, all static.
#   tools/build-audio-libs.sh ROOT [TRIPLE]
# ROOT holds src/ (the downloaded sources), work/ (the build trees) and
# prefix/ (the installed headers and libraries, what the build links). A
# finished build leaves prefix/.built holding a fingerprint of this script;
# while it matches, nothing is built again. Run by the windows preset
# (cmake/audiolibs.cmake); CI runs it on a fresh machine.
#
# apt-get source needs deb-src lines; when the system has none for these
# packages, a sources file of them is added (as root) next to Debian's own.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(mkdir -p "${1:?usage: tools/build-audio-libs.sh ROOT [TRIPLE]}" && cd "$1" && pwd)"
triple="${2:-x86_64-w64-mingw32}"
jobs="${TUNEBELT_AUDIO_JOBS:-2}"
prefix="$root/prefix"
fingerprint="$(sha256sum "$here/build-audio-libs.sh" | cut -c1-16) $triple"

if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$fingerprint" ]; then
  touch "$prefix/.built"  # for the build tool: up to date
  exit 0
fi

started=$(date +%s)
step() { printf '\n==== build-audio-libs: %s\n' "$*"; }
# Each build's output goes to its log (work/<library>.log); a failure shows
# the log's end. Heavy compiles leave room for the rest of the machine.
log=/dev/null
logged() { "$@" >>"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "build-audio-libs: failed, see $log" >&2; exit 1; }; }
nicely() { logged nice -n 10 "$@"; }

# ---- sources ----------------------------------------------------------------
packages=(ffmpeg lame libebur128)
have_sources() { apt-cache showsrc "${packages[@]}" 2>/dev/null | grep -q '^Package: libebur128'; }
if ! have_sources; then
  step "adding deb-src lines for ${packages[*]}"
  if [ "$(id -u)" -eq 0 ]; then sudo=(); elif command -v sudo >/dev/null; then sudo=(sudo); else
    echo "build-audio-libs: no deb-src lines, and neither root nor sudo to add them" >&2
    exit 1
  fi
  # The same archive and suites as the system's own sources.
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
    "Suites: $codename $codename-updates" "Components: main" \
    "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" "" \
    "Types: deb-src" "URIs: http://deb.debian.org/debian-security" \
    "Suites: $codename-security" "Components: main" \
    "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
    "${sudo[@]}" tee /etc/apt/sources.list.d/tunebelt-deb-src.sources >/dev/null
  "${sudo[@]}" apt-get update -qq
fi

mkdir -p "$root/src"
cd "$root/src"
step "apt-get source ${packages[*]}"
# libebur128's Debian tarball is missing from the archive (404): the
# original tarball, fetched before that failure, is all it needs.
apt-get source --download-only "${packages[@]}" 2>&1 | grep -v '^NOTICE\|salsa.debian.org\|^Please use\|^git clone\|latest (possibly' || true

# Unpacks a package into src/<name>: with Debian's patches when its Debian
# tarball came, else the original tarball as it is.
unpack() {
  local name="$1" dsc debian orig
  dsc="$(ls "${name}"_*.dsc 2>/dev/null | sort -V | tail -n1 || true)"
  [ -n "$dsc" ] || { echo "build-audio-libs: no source package of $name" >&2; exit 1; }
  debian="$(ls "${name}"_*.debian.tar.* 2>/dev/null | sort -V | tail -n1 || true)"
  orig="$(ls "${name}"_*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | sort -V | tail -n1 || true)"
  [ -n "$orig" ] || { echo "build-audio-libs: no original tarball of $name" >&2; exit 1; }
  rm -rf "$name"
  if [ -n "$debian" ]; then
    dpkg-source --no-check -x "$dsc" "$name" >/dev/null
  else
    mkdir "$name"
    tar -xf "$orig" -C "$name" --strip-components=1
  fi
}
for p in "${packages[@]}"; do unpack "$p"; done

rm -rf "$root/work" "$prefix"
mkdir -p "$root/work" "$prefix"

# ---- FFmpeg -----------------------------------------------------------------
# Only what decodes FLAC, Ogg Vorbis, Opus, AAC and ALAC in MP4/M4A, WAV
# (PCM) and MP3, resampled by libswresample; no programs, no devices, no
# filters, no network, no external libraries, no assembler (nasm is not
# needed; FFmpeg's C code decodes these formats far faster than real time).
step "FFmpeg"
mkdir -p "$root/work/ffmpeg"
cd "$root/work/ffmpeg"
log="$root/work/ffmpeg.log"
nicely "$root/src/ffmpeg/configure" \
  --prefix="$prefix" --enable-cross-compile --target-os=mingw32 --arch=x86_64 \
  --cross-prefix="$triple-" --pkg-config=false \
  --enable-static --disable-shared --disable-programs --disable-doc --disable-debug \
  --disable-autodetect --disable-network --disable-everything \
  --disable-avdevice --disable-avfilter --disable-swscale --disable-postproc \
  --disable-x86asm \
  --enable-avformat --enable-avcodec --enable-swresample \
  --enable-demuxer=mp3,flac,ogg,mov,wav \
  --enable-decoder=mp3float,flac,vorbis,opus,aac,alac \
  --enable-decoder=pcm_u8,pcm_s16le,pcm_s24le,pcm_s32le,pcm_f32le,pcm_f64le \
  --enable-parser=mpegaudio,flac,vorbis,opus,aac \
  --enable-w32threads
nicely make -j"$jobs"
logged make install

# ---- LAME -------------------------------------------------------------------
step "LAME"
mkdir -p "$root/work/lame"
cd "$root/work/lame"
log="$root/work/lame.log"
nicely "$root/src/lame/configure" --host="$triple" --prefix="$prefix" \
  --enable-static --disable-shared --disable-frontend --disable-decoder \
  --disable-gtktest --disable-analyzer-hooks
nicely make -j"$jobs"
logged make install

# ---- libebur128 ---------------------------------------------------------------
step "libebur128"
log="$root/work/libebur128.log"
logged cmake -S "$root/src/libebur128" -B "$root/work/libebur128" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DENABLE_INTERNAL_QUEUE_H=ON
nicely cmake --build "$root/work/libebur128" -j "$jobs"
logged cmake --install "$root/work/libebur128"

echo "$fingerprint" >"$prefix/.built"
step "done in $(($(date +%s) - started)) s: $prefix"
