#!/usr/bin/env bash
# The audio benchmarks (bench/bench_audio.cpp), in process, against their
# goals: the check of 950 MP3s, conversion and loudness measurement in
# times real time on one core, the same measurement on every core, and the
# gain of an MP3 changed without decoding.
#   bench/audio.sh BIN_DIR [REPETITIONS]     (make bench: build/release/bin, 5)
# Google Benchmark's CSV files stay in $BENCH_OUT (default: build/bench-results).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(cd "${1:?usage: bench/audio.sh BIN_DIR [REPETITIONS]}" && pwd)"
reps="${2:-5}"
out="${BENCH_OUT:-$root/build/bench-results}"
mkdir -p "$out"

# Two runs: the CSV takes one set of counters per run, and the check of
# the MP3s has none.
run() {
  "$bin/bench_audio" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_filter="$1" --benchmark_out="$2" --benchmark_out_format=csv
}
run 'BM_(Probe|Drop|SecondSave)' "$out/bench_audio_probe.csv"
run 'BM_(Convert|Measure|Mp3Gain)' "$out/bench_audio.csv"

# The medians of a benchmark: real time and CPU time in ms, and x real time
# by each (seconds of sound per second of wall clock, and per second of the
# benchmark thread's CPU: one core's throughput on a busy machine).
medians() {
  awk -F, -v n="\"$1/real_time_median\"" -v seconds="$2" '
    $1 == "name" { for (i = 1; i <= NF; i++) { if ($i == "real_time") r = i; if ($i == "cpu_time") c = i } }
    $1 == n { printf "%s %s %s %s\n", $r, $c, seconds * 1000 / $r, seconds * 1000 / $c }' \
    "$out/bench_audio_probe.csv" "$out/bench_audio.csv"
}
row() {  # name benchmark seconds-of-sound goal(x real time per core, or ms) [cpu]
  local real cpu xwall xcpu
  read -r real cpu xwall xcpu <<<"$(medians "$2" "${3:-1}")"
  awk -v n="$1" -v real="$real" -v cpu="$cpu" -v xw="$xwall" -v xc="$xcpu" -v s="${3:-}" \
    -v g="${4:-}" -v cpuonly="${5:-}" 'BEGIN {
    if (s == "") {
      printf "| %s | %.1f ms | %.1f ms | - | - | %s | %s |\n", n, real, cpu, (g == "" ? "-" : "under " g " ms"), (g == "" ? "-" : (real < g ? "yes" : "no"))
    } else if (g == "") {
      printf "| %s | %.0f ms | %s | %.0fx | %s | - | - |\n", n, real, (cpuonly ? "-" : sprintf("%.0f ms", cpu)), xw, (cpuonly ? "-" : sprintf("%.0fx", xc))
    } else {
      printf "| %s | %.0f ms | %.0f ms | %.0fx | %.0fx | at least %sx per core | %s |\n", n, real, cpu, xw, xc, g, (xc >= g ? "yes" : "no")
    }
  }'
}
echo
echo "| Work | Real time | CPU time | x real time (wall) | x real time (CPU) | Goal | Met? |"
echo "| --- | --- | --- | --- | --- | --- | --- |"
row "check of 950 MP3s (ID3 tag, first frames), page cache warm" BM_Probe950Mp3s "" 1000
row "950 MP3s dropped on the window (each probed as it is added)" BM_Drop950Mp3s "" 1000
row "second save of 950 unchanged MP3s, not levelled" BM_SecondSave/level:0 "" ""
row "second save of 950 unchanged MP3s, levelled (goal: within 10% of the one above)" BM_SecondSave/level:1 "" ""
row "conversion of a 3-minute WAV into MP3 (192 kb/s)" BM_Convert/from_mp3:0 180 40
row "conversion of a 3-minute MP3 into MP3 (192 kb/s)" BM_Convert/from_mp3:1 180 40
row "loudness of a 3-minute WAV" BM_Measure/mp3:0 180 150
row "loudness of a 3-minute MP3" BM_Measure/mp3:1 180 150
row "loudness of eight 3-minute MP3s on every core" BM_MeasureTracksOnEveryCore 1440 "" cpu
row "950 tracks measured before, all found in the cache (a second save)" BM_MeasureTracksCached950 "" ""
row "gain of a 3-minute MP3 changed without decoding (two passes, a copy)" BM_Mp3Gain 180
