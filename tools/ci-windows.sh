#!/usr/bin/env bash
# The Windows installer under Wine (run by .ci/run after `make windows`):
#   - its licence page shows the project's licence;
#   - a silent install for the current user (the default, no administrator
#     rights asked) with /DESKTOP: the program folder in
#     %LOCALAPPDATA%\Programs\Tunebelt, the Start-menu shortcuts to the
#     window, the read-me and the uninstaller, the desktop shortcut, the keys
#     in HKCU and none in HKLM;
#   - the installed tunebelt-cli.exe saves a real three-track playlist into
#     a temporary mod folder, checked byte for byte (mp3s\ paths, CR LF, the
#     say lines in code page 1252);
#   - a silent uninstall leaves nothing behind: no folder, no shortcut, no
#     key (the vendor's key too), no copy of the uninstaller in %TEMP%;
#   - the same for an installation for all users (/AllUsers): Program Files,
#     the common Start menu, HKLM.
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
fail() { echo "ci-windows.sh: $*" >&2; exit 1; }
"$run" --start-session
trap '"$run" --stop-session' EXIT
unix() { "$run" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
winvar() { "$run" cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
vendorKey='Software\The Tunebelt developers'
appKey="$vendorKey\Tunebelt"
uninstallKey='Software\Microsoft\Windows\CurrentVersion\Uninstall\Tunebelt'
hasKey() { "$run" reg query "$1" >/dev/null 2>&1; }
temp=$(unix "$(winvar TEMP)")
userPrograms=$(unix "$(winvar LOCALAPPDATA)\Programs\Tunebelt")
userMenu=$(unix "$(winvar APPDATA)\Microsoft\Windows\Start Menu\Programs\Tunebelt")
userDesktop=$(unix "$(winvar USERPROFILE)\Desktop")
allPrograms=$(unix "$(winvar ProgramFiles)\Tunebelt")
allMenu=$(unix "$(winvar ProgramData)\Microsoft\Windows\Start Menu\Programs\Tunebelt")

# What an earlier, interrupted run may have left in this build's prefix.
rm -rf "$userPrograms" "$userMenu" "$allPrograms" "$allMenu" "$temp"/~nsu*.tmp
for hive in HKCU HKLM; do
  "$run" reg delete "$hive\\$uninstallKey" /f >/dev/null 2>&1 || true
  "$run" reg delete "$hive\\$vendorKey" /f >/dev/null 2>&1 || true
done

step "the licence page shows the project's licence"
grep -q 'MUI_PAGE_LICENSE ".*LICENSE.txt"' build/windows/_CPack_Packages/win64/NSIS/project.nsi
cmp LICENSE build/windows/LICENSE.txt

step "silent install for the current user, with the desktop shortcut"
"$run" "$installer" /S /DESKTOP
dir=$userPrograms
ls -l "$dir"
[ -f "$dir/tunebelt.exe" ] && [ -f "$dir/tunebelt-cli.exe" ] && [ -f "$dir/kb_act/cstrike/kb_act.lst" ] ||
  fail "the program folder is not complete"
for link in "Tunebelt.lnk" "Tunebelt Read-me.lnk" "Uninstall Tunebelt.lnk"; do
  [ -f "$userMenu/$link" ] || fail "no Start-menu shortcut $link"
done
[ -f "$userDesktop/Tunebelt.lnk" ] || fail "no desktop shortcut"
hasKey "HKCU\\$uninstallKey" || fail "no uninstall key in HKCU"
hasKey "HKCU\\$appKey" || fail "no program key in HKCU"
! hasKey "HKLM\\$uninstallKey" || fail "an uninstall key in HKLM for a per-user install"
[ ! -e "$allPrograms" ] || fail "a per-user install wrote into Program Files"

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

# The uninstaller copies itself away and returns at once; the copy does the
# work and a hidden command removes the copy once it has ended. Without the
# session kept up, the Wine server ends once every program has, and that is
# waited for.
uninstall() {  # uninstall FOLDER [OPTION...]
  local folder=$1
  shift
  "$run" --stop-session
  "$run" "$folder/Uninstall.exe" /S "$@"
  "$run" --wait
  "$run" --start-session
}
nothingLeft() {  # nothingLeft FOLDER MENU ROOT
  if [ -e "$1" ]; then
    find "$1" >&2
    fail "the uninstaller left files behind"
  fi
  [ ! -e "$2" ] || fail "the uninstaller left the Start-menu folder"
  [ ! -e "$userDesktop/Tunebelt.lnk" ] || fail "the uninstaller left the desktop shortcut"
  ! hasKey "$3\\$uninstallKey" || fail "the uninstaller left its uninstall key"
  ! hasKey "$3\\$vendorKey" || fail "the uninstaller left the vendor's key"
  if compgen -G "$temp/~nsu*.tmp" >/dev/null; then
    ls -la "$temp"/~nsu*.tmp >&2
    fail "the uninstaller left its copy in %TEMP%"
  fi
}

step "silent uninstall of the current user's installation"
uninstall "$userPrograms"
nothingLeft "$userPrograms" "$userMenu" HKCU

step "silent install for all users"
"$run" "$installer" /S /AllUsers
[ -f "$allPrograms/tunebelt.exe" ] || fail "no tunebelt.exe in Program Files"
[ -f "$allMenu/Tunebelt.lnk" ] || fail "no shortcut in the common Start menu"
hasKey "HKLM\\$uninstallKey" || fail "no uninstall key in HKLM"
! hasKey "HKCU\\$uninstallKey" || fail "an uninstall key in HKCU for an all-users install"
[ ! -e "$userPrograms" ] || fail "an all-users install wrote into the user's programs"

step "silent uninstall of the installation for all users"
uninstall "$allPrograms"
nothingLeft "$allPrograms" "$allMenu" HKLM
echo "Windows installer checks passed"
