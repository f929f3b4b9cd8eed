#!/usr/bin/env bash
# How long `make run` takes on a fresh clone until the window shows: clones
# REPOSITORY at COMMIT into a temporary folder, runs `make run` there under a
# private Xvfb display with a fresh HOME, and prints the seconds until a
# window of the program is mapped, the build steps ninja ran and the load
# average before and after (other builds on the machine slow it down).
#
#   tools/time-make-run.sh REPOSITORY [COMMIT] [--keep]
#
# Needs xvfb and xdotool. The clone is removed afterwards unless --keep.
set -euo pipefail

repo=$1 commit=${2:-HEAD} keep=${3:-}
scratch=$(mktemp -d)
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  [ "$keep" = --keep ] && echo "clone kept in $scratch" || rm -rf "$scratch"
}
trap cleanup EXIT

git clone -q "$repo" "$scratch/src"
git -C "$scratch/src" checkout -q "$commit"
echo "commit: $(git -C "$scratch/src" log --oneline -1)"
mkdir -p "$scratch/home"

display=:50
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=:$((${display#:} + 1)); done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(date +%s.%N)
(
  cd "$scratch/src"
  export HOME=$scratch/home DISPLAY=$display
  unset XDG_CONFIG_HOME XDG_DATA_HOME
  exec setsid make run
) >"$scratch/make.log" 2>&1 &
make_pid=$!
while ! DISPLAY=$display xdotool search --onlyvisible --classname tunebelt >/dev/null 2>&1; do
  if ! kill -0 "$make_pid" 2>/dev/null; then
    echo "make run ended without showing a window:" >&2
    tail -n 20 "$scratch/make.log" >&2
    exit 1
  fi
  sleep 0.2
done
end=$(date +%s.%N)
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo "windows: $(DISPLAY=$display xdotool search --onlyvisible --classname tunebelt getwindowname %@ | tr '\n' ';')"
echo "build steps: $(grep -o '^\[[0-9]*/[0-9]*\]' "$scratch/make.log" | tail -n 1)"
printf 'window shown after %.1f s\n' "$(echo "$end - $start" | bc)"
kill -- -"$make_pid" 2>/dev/null || kill "$make_pid" 2>/dev/null || true
wait "$make_pid" 2>/dev/null || true
