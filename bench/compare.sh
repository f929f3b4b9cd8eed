#!/usr/bin/env bash
# Two builds of tunebelt-cli side by side, with cp as the baseline, run in
# turns (old, new, cp, old, new, cp, ...) so that a busy machine slows all
# three alike. Prints the median of each and the ratios.
#   bench/compare.sh OLD_CLI NEW_CLI [ROUNDS]      (default 15 rounds)
set -euo pipefail
old="$(realpath "${1:?usage: bench/compare.sh OLD_CLI NEW_CLI [ROUNDS]}")"
new="$(realpath "${2:?usage: bench/compare.sh OLD_CLI NEW_CLI [ROUNDS]}")"
rounds="${3:-15}"
tmp="$(mktemp -d "${TMPDIR:-/tmp}/tunebelt-compare-XXXXXX")"
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$tmp/music" "$tmp/trash"
head -c $((256 * 1024)) /dev/urandom >"$tmp/track.bin"
tracks=()
for i in $(seq -w 1 950); do
  cp "$tmp/track.bin" "$tmp/music/Track $i.mp3"
  tracks+=("$tmp/music/Track $i.mp3")
done
printf '"+attack"            "Fire"\r\n' >"$tmp/kb_act.lst"
mkdir -p "$tmp/cache/mp3s"
for d in $(seq 1 100); do
  mkdir "$tmp/cache/mp3s/album$d"
  for f in $(seq 1 100); do printf '%0*d' $(((d * 131 + f * 37) % 4096)) 0 >"$tmp/cache/mp3s/album$d/s$f.mp3"; done
done

# Earlier output is moved aside, not deleted, until the end (see
# docs/PERFORMANCE.md: a burst of deletions slows later creations on ext4).
fresh() {
  [ -e "$tmp/out" ] && mv "$tmp/out" "$(mktemp -d "$tmp/trash/XXXXXX")"
  mkdir -p "$tmp/out/cstrike/gfx/shell"
  cp "$tmp/kb_act.lst" "$tmp/out/cstrike/gfx/shell/"
  sync
}
ms() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N); echo $(((e - s) / 1000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f", m / 1000 }'; }

: >"$tmp/first.old"; : >"$tmp/first.new"; : >"$tmp/first.cp"
: >"$tmp/second.old"; : >"$tmp/second.new"; : >"$tmp/size.old"; : >"$tmp/size.new"
for r in $(seq 1 "$rounds"); do
  for who in old new; do
    cli="$old"; [ "$who" = new ] && cli="$new"
    fresh
    ms "$cli" save --mod "$tmp/out/cstrike" --mp3-volume 80 --game-volume 80 "${tracks[@]}" >>"$tmp/first.$who"
    ms "$cli" save --mod "$tmp/out/cstrike" --mp3-volume 80 --game-volume 80 "${tracks[@]}" >>"$tmp/second.$who"
    ms "$cli" cache-size --mod "$tmp/cache" >>"$tmp/size.$who"
  done
  fresh
  ms cp "${tracks[@]}" "$tmp/out/cstrike/" >>"$tmp/first.cp"
  echo -n "." >&2
done
echo >&2
for w in first second size; do
  o=$(median <"$tmp/$w.old"); n=$(median <"$tmp/$w.new")
  line="$w: old $o ms, new $n ms, new/old $(awk -v a="$n" -v b="$o" 'BEGIN { printf "%.2f", a / b }')"
  if [ "$w" = first ]; then
    c=$(median <"$tmp/first.cp")
    line+=", cp $c ms, old/cp $(awk -v a="$o" -v b="$c" 'BEGIN { printf "%.2f", a / b }'), new/cp $(awk -v a="$n" -v b="$c" 'BEGIN { printf "%.2f", a / b }')"
  fi
  echo "$line"
done
