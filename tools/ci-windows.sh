#!/usr/bin/env bash
# The Windows installer under Wine (run by .ci/run after `make windows`):
#   - a silent install of build/windows/Tunebelt-*-win64.exe into
#     C:\Program Files\Tunebelt;
#   - the installed tunebelt-cli.exe saves a real three-track playlist into
#     a temporary mod folder, checked byte for byte (mp3s\ paths, CR LF, the
#     say lines in code page 1252);
#   - a silent uninstall leaves nothing behind: no folder, no uninstall key.
# It uses the build's own Wine prefix and environment (cmake/wine-run.sh.in).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
run=$root/build/windows/wine/wine-run.sh
installers=(build/windows/Tunebelt-*-win64.exe)
[ ${#installers[@]} -eq 1 ] && [ -f "${installers[0]}" ] ||
  { echo "ci-windows.sh: no installer; run make windows first" >&2; exit 1; }
installer=$root/${installers[0]}

step() { printf '\n==== %s\n' "$*"; }
prefix=$("$run" cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')
"$run" --start-session
trap '"$run" --stop-session' EXIT
unix() { "$run" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
dir=$(unix "$prefix\\Tunebelt")
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tunebelt'

step "silent install into $prefix\\Tunebelt"
# What an earlier, interrupted run may have left in this build's prefix.
rm -rf "$dir"
"$run" reg delete "$uninstallKey" /f >/dev/null 2>&1 || true
"$run" "$installer" /S
ls -l "$dir"
[ -f "$dir/tunebelt-cli.exe" ] && [ -f "$dir/kb_act/cstrike/kb_act.lst" ]
"$run" reg query "$uninstallKey" >/dev/null

step "tunebelt-cli.exe --version"
version=$("$run" "$dir/tunebelt-cli.exe" --version | tr -d '\r')
echo "$version"
# The first line names the program and its version; the licence follows.
[ "$(head -n 1 <<<"$version")" = "tunebelt-cli $(sed -n 's/^project(Tunebelt VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]

step "a three-track save with the installed program"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; "$run" --stop-session' EXIT
mod=$scratch/Half-Life/cstrike
mkdir -p "$mod/gfx/shell" "$scratch/music"
cp "$dir/kb_act/cstrike/kb_act.lst" "$mod/gfx/shell/kb_act.lst"
for name in "Intro.mp3" "Two Words.mp3" "Café.mp3"; do
  cp "$dir/velloran_glasshour.mp3" "$scratch/music/$name"
done
winmod=$("$run" winepath -w "$mod" | tr -d '\r')
winmusic=$("$run" winepath -w "$scratch/music" | tr -d '\r')
"$run" "$dir/tunebelt-cli.exe" save --mod "$winmod" --mp3-volume 80 --game-volume 80 \
  "$winmusic\\Intro.mp3" "$winmusic\\Two Words.mp3" "$winmusic\\Café.mp3"
ls -l "$mod" "$mod/mp3s"
for f in Intro.mp3 TwoWords.mp3 Café.mp3; do
  cmp "$dir/velloran_glasshour.mp3" "$mod/mp3s/$f"
done
# playlist1.cfg as the game on Windows reads it: code page 1252, "mp3s\",
# CR LF after every line.
expected=$scratch/expected.cfg
{
  printf '\r\n'
  printf 'alias track1 "mp3 play mp3s\\Intro.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1; alias playtrack track1; alias looptrack lptrack1; alias saytrack saytrack1; alias tsaytrack tsaytrack1"\r\n'
  printf 'alias lptrack1 "mp3 loop mp3s\\Intro.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1"\r\n'
  printf 'alias nexttrack1 "alias looptrack lptrack2; alias playtrack track2; alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: next track; playtrack;"\r\n'
  printf 'alias prevtrack1 "alias looptrack lptrack3; alias playtrack track3; playtrack; alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: previous track;"\r\n'
  printf 'alias saytrack1 "say listening to Intro.mp3 with Tunebelt"\r\n'
  printf 'alias tsaytrack1 "say_team listening to Intro.mp3 with Tunebelt;"\r\n'
  printf 'alias track2 "mp3 play mp3s\\TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2; alias playtrack track2; alias looptrack lptrack2; alias saytrack saytrack2; alias tsaytrack tsaytrack2"\r\n'
  printf 'alias lptrack2 "mp3 loop mp3s\\TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2"\r\n'
  printf 'alias nexttrack2 "alias looptrack lptrack3; alias playtrack track3; alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: next track; playtrack;"\r\n'
  printf 'alias prevtrack2 "alias looptrack lptrack1; alias playtrack track1; playtrack; alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: previous track;"\r\n'
  printf 'alias saytrack2 "say listening to Two Words.mp3 with Tunebelt"\r\n'
  printf 'alias tsaytrack2 "say_team listening to Two Words.mp3 with Tunebelt;"\r\n'
  printf 'alias track3 "mp3 play mp3s\\Caf\xe9.mp3; alias nexttracks nexttrack3; alias prevtrack prevtrack3; alias playtrack track3; alias looptrack lptrack3; alias saytrack saytrack3; alias tsaytrack tsaytrack3"\r\n'
  printf 'alias lptrack3 "mp3 loop mp3s\\Caf\xe9.mp3; alias nexttracks nexttrack3; alias prevtrack prevtrack3"\r\n'
  printf 'alias nexttrack3 "alias looptrack lptrack1; alias playtrack track1; alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: next track; playtrack;"\r\n'
  printf 'alias prevtrack3 "alias looptrack lptrack2; alias playtrack track2; playtrack; alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: previous track;"\r\n'
  printf 'alias saytrack3 "say listening to Caf\xe9.mp3 with Tunebelt"\r\n'
  printf 'alias tsaytrack3 "say_team listening to Caf\xe9.mp3 with Tunebelt;"\r\n'
} > "$expected"
cmp "$expected" "$mod/playlist1.cfg"
[ "$(cat "$mod/userconfig.cfg")" = $'exec mp3.cfg\r' ]
grep -q $'^echo Tunebelt Script Loaded\r$' "$mod/mp3.cfg"
tail -n 1 "$mod/gfx/shell/kb_act.lst" | grep -q 'Game Volume Down'
[ ! -e "$dir/settings.jst" ]

step "silent uninstall"
# The uninstaller copies itself away and returns at once; the copy does the
# work. Without the session kept up, the Wine server ends once every
# program has, and that is waited for.
"$run" --stop-session
"$run" "$dir/Uninstall.exe" /S
"$run" --wait
if [ -e "$dir" ]; then
  echo "the uninstaller left files behind:" >&2
  find "$dir" >&2
  exit 1
fi
if "$run" reg query "$uninstallKey" >/dev/null 2>&1; then
  echo "the uninstaller left its registry key behind" >&2
  exit 1
fi
echo "Windows installer checks passed"
