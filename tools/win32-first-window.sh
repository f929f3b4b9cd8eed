#!/usr/bin/env bash
# Time from starting tunebelt.exe under Wine to its main window on the
# screen (mapped and visible), in the build's Wine session with its Xvfb:
#   tools/win32-first-window.sh [RUNS]
# Each run starts the program from a copy of the application folder (its
# settings written by the run before, so no first-start question), and
# closes it again. Needs xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
run=$PWD/build/windows/wine/wine-run.sh
app=$(mktemp -d)
trap 'rm -rf "$app"; "$run" --stop-session' EXIT
cp -r build/windows/bin/. "$app/"
rm -f "$app/settings.jst"
"$run" --start-session
export DISPLAY
DISPLAY=$("$run" --display)
for i in $(seq 0 "$runs"); do
  start=$(date +%s.%N)
  "$run" "$app/tunebelt.exe" >/dev/null 2>&1 &
  until xdotool search --onlyvisible --name "^Tunebelt - Your Game" >/dev/null 2>&1; do sleep 0.01; done
  end=$(date +%s.%N)
  window=$(xdotool search --onlyvisible --name "^Tunebelt - Your Game" | head -1)
  # The first run answers the sample-track question and is not counted.
  if [ "$i" -eq 0 ]; then
    sleep 2
    question=$(xdotool search --name "^Copy Track" | head -1 || true)
    [ -n "$question" ] && xdotool key --window "$question" n
  else
    printf 'run %d: %.3f s\n' "$i" "$(echo "$end - $start" | bc)"
  fi
  sleep 1
  "$run" taskkill /im tunebelt.exe >/dev/null 2>&1 || true
  wait
done
