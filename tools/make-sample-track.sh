#!/usr/bin/env bash
# Synthesises the free sample track "Velloran - Glasshour" and encodes it as
# data/velloran_glasshour.mp3. Needs sox and lame (Debian packages of the same
# names; the script installs them with apt-get when it runs as root).
#
# The tune: 120 bpm, four bars of A minor - F - C - G played three times, a
# plucked arpeggio over a soft pad and a sine bass, with a little reverb and a
# fade at both ends. About 27 seconds.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/data/velloran_glasshour.mp3}

if ! command -v sox >/dev/null || ! command -v lame >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y sox lame
  else
    echo "make-sample-track.sh: needs sox and lame (apt-get install sox lame)" >&2
    exit 1
  fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
eighth=0.25          # 120 bpm
bar=2.0              # four beats
halfbar=1.0

# Chords: root for the bass, three notes for the pad, eight notes for the arpeggio.
chords=(
  "A2|A3 C4 E4|A4 C5 E5 A5 E5 C5 E5 C5"
  "F2|F3 A3 C4|F4 A4 C5 F5 C5 A4 C5 A4"
  "C3|C4 E4 G4|C5 E5 G5 C6 G5 E5 G5 E5"
  "G2|G3 B3 D4|G4 B4 D5 G5 D5 B4 D5 B4"
)
rounds=3

note() { # note FILE DURATION SYNTH-ARGS... : one note with a gentle tail
  local file=$1 dur=$2
  shift 2
  sox -q -n -r $rate -c 1 "$file" synth "$dur" "$@" fade q 0.005 "$dur" "$(awk -v d="$dur" 'BEGIN { print d * 0.8 }')"
}

lead=() pad=() bass=()
n=0
for ((r = 0; r < rounds; r++)); do
  for chord in "${chords[@]}"; do
    IFS='|' read -r broot bpad barp <<<"$chord"
    # Bass: two half-bar notes.
    for half in 1 2; do
      f=$work/bass$n-$half.wav
      note "$f" $halfbar sine "$broot" gain -11
      bass+=("$f")
    done
    # Pad: the chord for the whole bar, three soft triangle voices.
    f=$work/pad$n.wav
    read -r p1 p2 p3 <<<"$bpad"
    sox -q -n -r $rate -c 1 "$f" synth $bar triangle "$p1" triangle "$p2" triangle "$p3" \
      remix - gain -18 fade t 0.4 $bar 0.6
    pad+=("$f")
    # Lead: plucked arpeggio in eighths; the last round rings an octave up.
    i=0
    for pitch in $barp; do
      f=$work/lead$n-$i.wav
      if ((r == rounds - 1)) && ((i % 2 == 0)); then
        note "$f" $eighth pluck "$pitch" pluck "${pitch%?}$((${pitch: -1} + 1))" remix - gain -8
      else
        note "$f" $eighth pluck "$pitch" gain -8
      fi
      lead+=("$f")
      i=$((i + 1))
    done
    n=$((n + 1))
  done
done

sox -q "${lead[@]}" "$work/lead.wav"
sox -q "${pad[@]}" "$work/pad.wav"
sox -q "${bass[@]}" "$work/bass.wav"

# A closing chord that rings out after the last bar.
sox -q -n -r $rate -c 1 "$work/end.wav" synth 3 pluck A3 pluck E4 pluck A4 pluck C5 remix - gain -10 \
  fade q 0.005 3 2.5
sox -q "$work/lead.wav" "$work/end.wav" "$work/lead2.wav"

# Mix: lead slightly right, pad slightly left, bass in the middle; reverb, fades.
sox -q "$work/lead2.wav" -c 2 "$work/leadst.wav" remix 1v0.8 1v1.0
sox -q "$work/pad.wav" -c 2 "$work/padst.wav" remix 1v1.0 1v0.8
sox -q "$work/bass.wav" -c 2 "$work/bassst.wav" remix 1 1
sox -q -m "$work/leadst.wav" "$work/padst.wav" "$work/bassst.wav" "$work/mix.wav" \
  lowpass 9000 reverb 35 50 70 \
  fade t 1.0 -0 3.0 \
  norm -1.5

lame --quiet -b 128 -q 2 \
  --tt "Glasshour" --ta "Velloran" --tl "Tunebelt sample track" --ty 2024 --tg "Electronic" \
  --tc "Free sample track shipped with Tunebelt" \
  "$work/mix.wav" "$out"

echo "Wrote $out ($(stat -c %s "$out") bytes)"
