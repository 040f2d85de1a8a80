#!/usr/bin/env bash
# The Windows installer under Wine: installs silently, checks the files, the
# Start-menu shortcut, the .kvn association and the entry among the installed
# programs, runs the installed kvn.exe through a round trip, uninstalls
# silently and checks that no file and no registry key is left.
#   installer.sh SETUP_EXE
set -euo pipefail
setup=$1
wine_run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"
prefix=${WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/windows/wine}
folder="$prefix/drive_c/Program Files/Kelvanetrix Plus"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kelvanetrix Plus"
keys=('HKLM\Software\Classes\.kvn' 'HKLM\Software\Classes\KelvanetrixPlus.Document'
  'HKLM\Software\Classes\Applications\Kelvanetrix.exe'
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KelvanetrixPlus')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
value() { "$wine_run" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
has_key() { "$wine_run" reg query "$1" >/dev/null 2>&1; }
uninstall() {
  # The uninstaller runs from a copy of itself and returns at once.
  "$wine_run" "C:\\Program Files\\Kelvanetrix Plus\\Uninstall.exe" /S || true
  for _ in $(seq 100); do
    [ -e "$folder" ] || break
    sleep 0.2
  done
}

[ ! -e "$folder/Uninstall.exe" ] || uninstall # a run that stopped half-way
"$wine_run" "Z:$setup" /S || fail "the installer ended with an error"
for f in Kelvanetrix.exe kvn.exe Tessiral.dll tips.txt help.html license.txt Uninstall.exe; do
  [ -f "$folder/$f" ] || fail "$f was not installed"
done
[ -f "$menu/Kelvanetrix Plus.lnk" ] || fail "no Start-menu shortcut"
[ "$(value 'HKLM\Software\Classes\.kvn')" = KelvanetrixPlus.Document ] || fail ".kvn is not associated"
[ "$(value 'HKLM\Software\Classes\KelvanetrixPlus.Document')" = "Kelvanetrix Document" ] || fail "no document type"
command=$(value 'HKCR\KelvanetrixPlus.Document\shell\open\command')
[ "$command" = '"C:\Program Files\Kelvanetrix Plus\Kelvanetrix.exe" "%1"' ] || fail "opens with: $command"
"$wine_run" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KelvanetrixPlus' /v QuietUninstallString \
  >/dev/null 2>&1 || fail "no entry among the installed programs"

# The installed kvn.exe, with the DLL beside it, both ways.
head -c 100000 /dev/urandom >"$work/data.bin"
cp "$work/data.bin" "$work/original.bin"
printf 'installed key\n' >"$work/key"
kvn="C:\\Program Files\\Kelvanetrix Plus\\kvn.exe"
"$wine_run" "$kvn" encrypt -q -c serpent -k "Z:$work/key" "Z:$work/data.bin" || fail "kvn.exe could not encrypt"
[ -f "$work/data.bin.kvn" ] || fail "kvn.exe wrote no .kvn file"
rm -f "$work/data.bin"
"$wine_run" "$kvn" decrypt -q -c serpent -k "Z:$work/key" "Z:$work/data.bin.kvn" || fail "kvn.exe could not decrypt"
cmp -s "$work/data.bin" "$work/original.bin" || fail "the round trip changed the file"

uninstall
[ ! -e "$folder" ] || fail "left in Program Files: $(ls "$folder" | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start-menu folder is left"
for key in "${keys[@]}"; do
  ! has_key "$key" || fail "registry key left: $key"
done
echo "installer: $failures failures"
[ "$failures" -eq 0 ]
