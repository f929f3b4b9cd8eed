#!/usr/bin/env bash
# Starts a Tunebelt window offscreen, unchanged, until its first paint and
# checks that the title picture of its skin was painted (see
# firstpaintprobe.cpp). The user's folders are a temporary home.
#
#   first-paint.sh [--copy] PROGRAM PROBE_PLUGIN_DIR SKIN_PICTURE
#
# --copy runs a copy of the program's folder, so a build's application folder
# gets no settings file.
set -euo pipefail

copy=0
if [ "${1:-}" = --copy ]; then
  copy=1
  shift
fi
program=$1 probes=$2 picture=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "$copy" = 1 ]; then
  cp -r "$(dirname "$program")" "$scratch/app"
  program=$scratch/app/$(basename "$program")
fi

mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME \
  HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
  QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$probes" QT_QPA_GENERIC_PLUGINS=firstpaintprobe \
  FIRST_PAINT_REFERENCE="$picture" \
  timeout 90 "$program"
