#!/usr/bin/env bash
# The largest save there is: 950 tracks of 256 KiB whose names are 255 bytes
# long, the longest a file name can be. Times a first save into an empty mod
# folder and a second save over it, and prints the playlist files a save
# writes (how many, the largest).
#   bench/long-names.sh CLI [OTHER_CLI] [RUNS]     (RUNS: 15)
# With OTHER_CLI (another build of tunebelt-cli) the two builds take turns,
# run by run and in alternating order, so a busy machine or a filling disk
# weighs on both alike. Prints the median, fastest and slowest run of each.
set -euo pipefail
cli="$(realpath "${1:?usage: bench/long-names.sh CLI [OTHER_CLI] [RUNS]}")"
other="${2:+$(realpath "$2")}"
runs="${3:-15}"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/tunebelt-long-XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/music" "$tmp/trash"
head -c $((256 * 1024)) /dev/urandom >"$tmp/track.bin"
printf '"+attack"            "Fire"\r\n' >"$tmp/kb_act.lst"
tracks=()
for i in $(seq -w 1 950); do
  # "Some Artist - Some Title NNN " padded with letters to 251 bytes, then ".mp3".
  name="Some Artist - Some Title $i "
  name="$name$(head -c $((251 - ${#name})) </dev/zero | tr '\0' 'x').mp3"
  cp "$tmp/track.bin" "$tmp/music/$name"
  tracks+=("$tmp/music/$name")
done

builds=("$cli")
[ -n "$other" ] && builds+=("$other")

# Earlier output is moved aside, not deleted, until the end (see
# docs/PERFORMANCE.md on deleted inodes and file creation on ext4), and the
# disk is synced before each first save.
fresh() {
  [ -e "$1" ] && mv "$1" "$(mktemp -d "$tmp/trash/XXXXXX")"
  mkdir -p "$1/gfx/shell"
  cp "$tmp/kb_act.lst" "$1/gfx/shell/"
  sync
}
save_ms() {
  local start end
  start=$(date +%s%N)
  if ! "$1" save --mod "$2" --mp3-volume 80 --game-volume 80 "${tracks[@]}" >/dev/null 2>"$tmp/err"; then
    cat "$tmp/err" >&2
    return 1
  fi
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

declare -A first second
for ((r = 0; r < runs; r++)); do
  order=("${!builds[@]}")
  ((r % 2)) && order=($(printf '%s\n' "${order[@]}" | sort -r))
  for b in "${order[@]}"; do
    mod="$tmp/mod$b"
    fresh "$mod"
    ms=$(save_ms "${builds[$b]}" "$mod") || exit 1
    first[$b]+="$ms "
    ms=$(save_ms "${builds[$b]}" "$mod") || exit 1
    second[$b]+="$ms "
  done
done

stats() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "median %d ms (fastest %d, slowest %d, %d runs)", m, v[1], v[NR], NR }'; }
for b in "${!builds[@]}"; do
  mod="$tmp/mod$b"
  set -- "$mod"/playlist*.cfg
  largest=$(stat -c '%s %n' "$@" | sort -n | tail -1)
  echo "${builds[$b]}"
  echo "  first save:  $(stats <<<"${first[$b]}")"
  echo "  second save: $(stats <<<"${second[$b]}")"
  echo "  $# playlist files, largest ${largest% *} bytes (${largest##*/})"
done
