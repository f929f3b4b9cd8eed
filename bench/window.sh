#!/usr/bin/env bash
# The window's figures, offscreen:
#   bench/window.sh BIN_DIR [RUNS]
# start to first paint as a whole process (hyperfine median after a warm-up),
# then the keystroke, memory and save-stall figures the benchmark program
# prints itself.
set -euo pipefail
bin="$(cd "${1:?usage: bench/window.sh BIN_DIR [RUNS]}" && pwd)"
runs="${2:-10}"
export QT_QPA_PLATFORM=offscreen
[ -x "$bin/window_bench" ] || { echo "bench/window.sh: no $bin/window_bench" >&2; exit 1; }
hyperfine --warmup 2 --runs "$runs" --style basic \
  --export-csv "${BENCH_OUT:-/tmp}/window-first-paint.csv" \
  "$bin/window_bench first-paint" 2>&1 | grep -v XDG_RUNTIME
"$bin/window_bench" keystroke 2>&1 | grep -v XDG_RUNTIME
"$bin/window_bench" memory 2>&1 | grep -v XDG_RUNTIME
"$bin/window_bench" save-stall 2>&1 | grep -v -e XDG_RUNTIME -e 'support raise'
"$bin/window_bench" save-stall slow 2>&1 | grep -v -e XDG_RUNTIME -e 'support raise'
