#!/usr/bin/env bash
# Whole-process benchmarks of tunebelt-cli against a plain baseline, side by
# side in one hyperfine run each, plus the in-process script benchmark.
#   bench/run.sh BIN_DIR [RUNS]        (make bench: build/release/bin, 10 runs)
# Data is generated in a temporary folder (under $TMPDIR) and removed after.
# Prints one table row per measurement; hyperfine's CSV files stay in
# $BENCH_OUT (default: build/bench-results).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(cd "${1:?usage: bench/run.sh BIN_DIR [RUNS]}" && pwd)"
runs="${2:-10}"
cli="$bin/tunebelt-cli"
out="${BENCH_OUT:-$root/build/bench-results}"
mkdir -p "$out"
[ -x "$cli" ] || { echo "bench/run.sh: no $cli" >&2; exit 1; }

"$root/tools/install-deps.sh" --bench

tmp="$(mktemp -d "${TMPDIR:-/tmp}/tunebelt-bench-XXXXXX")"
trap 'rm -rf "$tmp"' EXIT

# ---- data -----------------------------------------------------------------
echo "Generating data in $tmp"
mkdir -p "$tmp/music"
head -c $((256 * 1024)) /dev/urandom >"$tmp/track.bin"
tracks=""
for i in $(seq -w 1 950); do
  cp "$tmp/track.bin" "$tmp/music/Track $i.mp3"
  tracks+=" '$tmp/music/Track $i.mp3'"
done
printf '"+attack"            "Fire"\r\n"+jump"            "Jump"\r\n' >"$tmp/kb_act.lst"
# Earlier output is moved aside, not deleted, until the end: on ext4 a burst
# of deleted inodes slows the file creations that follow for minutes, and it
# would slow whichever command hyperfine runs second. Each prepare ends with
# sync, so no run starts behind the previous one's writeback.
mkdir -p "$tmp/trash"
aside() { echo "if [ -e '$1' ]; then mv '$1' \"\$(mktemp -d '$tmp/trash/XXXXXX')\"; fi"; }
mod="$tmp/hl/cstrike"
fresh_mod="$(aside "$tmp/hl"); mkdir -p '$mod/gfx/shell'; cp '$tmp/kb_act.lst' '$mod/gfx/shell/'; sync"
fresh_copy="$(aside "$tmp/copy"); mkdir '$tmp/copy'; sync"
save="'$cli' save --mod '$mod' --mp3-volume 80 --game-volume 80 $tracks"

# 10,000 files in 100 folders, of 0 to 4095 bytes.
cache="$tmp/cachemod"
{
  echo "#EXTM3U"
  for d in $(seq -w 1 100); do
    mkdir -p "$cache/mp3s/album$d"
    for f in $(seq -w 1 100); do
      p="$cache/mp3s/album$d/song$f.mp3"
      printf '%0*d' $(((10#$d * 131 + 10#$f * 37) % 4096)) 0 >"$p"
      echo "#EXTINF:215,Album $d - Song $f"
      echo "$p"
    done
  done
} >"$tmp/big.m3u"

results=()
inproc=()
# bench NAME TARGET OURS_CMD OURS_PREPARE BASE_CMD BASE_PREPARE
# Without prepare commands the pair runs without a shell (-N) and at least 30
# times: those commands take a few milliseconds, where a shell's start and
# this machine's jitter would blur the ratio.
bench() {
  local name="$1" target="$2" csv="$out/$1.csv"
  local -a how=(--warmup 1 --runs "$runs")
  if [ -z "$4" ] && [ -z "$6" ]; then
    how=(-N --warmup 5 --runs "$((runs > 30 ? runs : 30))")
  fi
  echo "== $name"
  hyperfine "${how[@]}" --style basic --export-csv "$csv" \
    --prepare "${4:-true}" --command-name "ours" "$3" \
    --prepare "${6:-true}" --command-name "baseline" "$5"
  results+=("$(awk -F, -v n="$name" -v t="$target" '
    NR == 2 { ours = $4 } NR == 3 { base = $4 }
    END {
      r = ours / base
      printf "| %s | %.1f ms | %.1f ms | %.2fx | at most %.2fx | %s |", n, ours * 1000,
        base * 1000, r, t, (r <= t ? "yes" : "no")
    }' "$csv")")
}

# ---- in process --------------------------------------------------------------
echo "== in-process script writing"
mkdir -p "$tmp/inprocess"
TMPDIR="$tmp/inprocess" BENCH_KEEP_FILES=1 "$bin/bench_scripts" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/bench_scripts.csv" --benchmark_out_format=csv
median() { awk -F, -v n="$1" '$1 ~ n && $1 ~ /_median/ { print $3 }' "$out/bench_scripts.csv"; }
row() {
  awk -v w="$2" -v n="$1" -v t="$3" 'BEGIN {
    if (t == "") { printf "| %s | %.2f ms | - | - | - | - |", n, w; exit }
    printf "| %s | %.2f ms | - | - | under %s ms | %s |", n, w, t, (w < t ? "yes" : "no") }'
}
inproc+=("$(row "in-process writing of the scripts of 950 tracks (128 files) into an empty mod folder" "$(median BM_WriteScriptsIntoEmptyFolder/longest:0)" 10)")
inproc+=("$(row "the same with 255-byte names (272 files)" "$(median BM_WriteScriptsIntoEmptyFolder/longest:1)" "")")
inproc+=("$(row "the same over the scripts of another playlist (every file replaced)" "$(median BM_WriteScriptsChanged)" 10)")
inproc+=("$(row "the same over the same scripts (nothing to replace)" "$(median BM_WriteScriptsUnchanged)" 10)")
inproc+=("$(row "in-process building of the same texts (no files)" "$(median BM_BuildScripts/longest:0)" "")")
inproc+=("$(row "the same with 255-byte names" "$(median BM_BuildScripts/longest:1)" "")")

# ---- whole process --------------------------------------------------------
bench "save of 950 tracks of 256 KiB into an empty mod folder vs cp of the tracks" 1.10 \
  "$save" "$fresh_mod" \
  "cp $tracks '$tmp/copy/'" "$fresh_copy"

eval "$fresh_mod"
eval "$save" 2>/dev/null
scripts=""
for f in mp3.cfg userconfig.cfg gfx/shell/kb_act.lst "$mod"/playlist*.cfg; do
  case "$f" in /*) scripts+=" '$f'" ;; *) scripts+=" '$mod/$f'" ;; esac
done
bench "second save of the same 950 tracks vs cp of the script files" 2.0 \
  "$save" "" \
  "cp $scripts '$tmp/copy/'" "$fresh_copy"

bench "cache-size of 10,000 files in 100 folders vs du -sb" 1.2 \
  "'$cli' cache-size --mod '$cache'" "" \
  "du -sb '$cache/mp3s'" ""

bench "list of an extended M3U of 10,000 entries vs find -newer (stat of each)" 2.0 \
  "'$cli' list '$tmp/big.m3u'" "" \
  "find '$cache/mp3s' -type f -newer /" ""

echo
echo "| Work | Our median | Baseline median | Ratio | Target | Met? |"
echo "| --- | --- | --- | --- | --- | --- |"
printf '%s\n' "${results[@]}" "${inproc[@]}"
echo "| window: see below | not yet measured | | | | |"
