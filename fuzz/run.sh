#!/usr/bin/env bash
# Runs each libFuzzer target for SECONDS. The targets are built by the fuzz
# preset (make fuzz builds it first):
#   fuzz/run.sh [SECONDS] [TARGET_DIR]      (defaults: 600, build/fuzz/fuzz)
# Every target first replays its regression inputs (fuzz/regressions/<target>),
# then fuzzes from its seeds (fuzz/corpus/<target> and the matching fixtures).
# FUZZ_JOBS targets run side by side (default 2). New inputs collect in
# TARGET_DIR/corpus/<target>, crashes in TARGET_DIR/artifacts/<target>, the
# output in TARGET_DIR/logs/<target>.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
build="${2:-$root/build/fuzz/fuzz}"
jobs="${FUZZ_JOBS:-2}"

targets=(fuzz_plsload fuzz_m3uload fuzz_settings fuzz_keybindings_rewrite
         fuzz_keybindings_file fuzz_userconfig_hook fuzz_tree fuzz_vdf)

# Seed folders of a target, those that exist.
seeds() {
  local t="$1" dirs=("$root/fuzz/corpus/$t")
  case "$t" in
    fuzz_plsload) dirs+=("$root/tests/fixtures/pls") ;;
    fuzz_m3uload) dirs+=("$root/tests/fixtures/m3u") ;;
    fuzz_keybindings_*) dirs+=("$root"/data/kb_act/*/) ;;
  esac
  for d in "${dirs[@]}"; do
    [ -d "$d" ] || { echo "fuzz/run.sh: seed folder $d is missing" >&2; return 1; }
    echo "$d"
  done
}

run_one() {
  local t="$1" bin="$build/$1" log="$build/logs/$1.log"
  local work="$build/corpus/$t" art="$build/artifacts/$t/"
  mkdir -p "$work" "$art" "$build/logs"
  local regs=("$root/fuzz/regressions/$t"/*)
  if [ -e "${regs[0]}" ]; then
    if ! "$bin" -runs=1 "${regs[@]}" >"$log" 2>&1; then
      echo "$t: a regression input fails again (see $log)"; return 1
    fi
  fi
  local -a dirs
  local seedlist
  seedlist="$(seeds "$t")" || return 1
  mapfile -t dirs <<<"$seedlist"
  if "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
      -print_final_stats=1 -artifact_prefix="$art" "$work" "${dirs[@]}" >>"$log" 2>&1; then
    local runs
    runs="$(grep -oE 'Done [0-9]+ runs' "$log" | tail -1 | grep -oE '[0-9]+' || echo '?')"
    local cov
    cov="$(grep -oE 'cov: [0-9]+' "$log" | tail -1 || true)"
    echo "$t: ${runs} runs in ${seconds}s, ${cov:-cov: ?}, no findings"
  else
    echo "$t: FINDING (see $log and $art)"; return 1
  fi
}

status=0
pids=()
names=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  names+=("$t")
  if [ "${#pids[@]}" -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit "$status"
