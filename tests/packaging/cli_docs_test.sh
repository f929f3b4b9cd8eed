#!/usr/bin/env bash
# The installed documentation of tunebelt-cli against the program itself:
# every command and option the program's usage names is in the man page and
# offered by the bash completion, and the completion offers the right kind of
# word in each place.
#
#   cli_docs_test.sh TUNEBELT_CLI MAN_PAGE COMPLETION
set -uo pipefail

cli=$1 manpage=$2 completion=$3
failures=0 passes=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}

# Commands and options as the program's own usage names them.
usage=$("$cli" --help)
mapfile -t words < <(grep -oE -- '(^|[[ |])--?[a-z0-9-]+|\b(save|list|cache-size|remove|mods)\b' <<<"$usage" |
  sed 's/^[[ |]//' | sort -u)
[ ${#words[@]} -ge 10 ] || { echo "FAIL the usage names too few words: ${words[*]}"; exit 1; }
man_text=$(sed 's/\\-/-/g' "$manpage")
for w in "${words[@]}"; do
  grep -qF -- "$w" <<<"$man_text" && found=yes || found=no
  check "man page names $w" yes "$found"
done

# shellcheck source=/dev/null
source "$completion"
complete_line() {  # complete_line WORD... : completes the last word
  COMP_WORDS=(tunebelt-cli "$@")
  COMP_CWORD=$#
  COMP_LINE="tunebelt-cli $*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _tunebelt_cli tunebelt-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

offered=" $(complete_line '') $(complete_line save --) $(complete_line cache-size --) $(complete_line remove --) "
for w in "${words[@]}"; do
  [[ $offered == *" $w "* ]] && found=yes || found=no
  check "completion offers $w" yes "$found"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir -p cstrike music
touch music/a.mp3 music/b.pls music/c.m3u music/notes.txt music/d.MP3 e.mp3

check "commands" "cache-size" "$(complete_line ca)"
check "save options" "--debug --delete-unused" "$(complete_line save --de)"
check "save --dry-run" "--dry-run" "$(complete_line save --dr)"
check "cache-size options" "--german --mod" "$(complete_line cache-size -)"
check "remove options" "--dry-run --mod --tracks" "$(complete_line remove -)"
check "remove takes no items" "" "$(complete_line remove --mod cstrike mu)"
check "folders after --mod" "cstrike" "$(complete_line save --mod c)"
check "folders only after --mod" "" "$(complete_line save --mod e)"
check "volume steps" "9 90 95" "$(complete_line save --mp3-volume 9)"
check "items: tracks and playlists" "music/a.mp3 music/b.pls music/c.m3u" \
  "$(complete_line save --mod cstrike music/)"
check "items: folders on the way" "music" "$(complete_line list mu)"
check "after -- a dash is a name" "" "$(complete_line list -- --)"
check "unknown command" "" "$(complete_line play '')"
check "mods takes nothing" "" "$(complete_line mods '')"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
