#!/usr/bin/env bash
# Installs build/windows/tramino-<version>-win64-setup.exe silently under wine64 (in the wine
# prefix of the other Windows tests: a fresh one keeps its first window program waiting a minute),
# runs the installed tramino-cli.exe and tramino.exe (under Xvfb: a scripted start that writes a
# picture of the window and quits, leaving no picture store), checks the Start menu entry and the
# file associations, uninstalls silently and checks that nothing of it is left.
# Usage: scripts/windows/test-installer.sh [WINDOWS-BUILD-DIR]   (build/windows by default)
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$PWD"
setup="$(ls "${1:-build/windows}"/tramino-*-win64-setup.exe)"
export WINEPREFIX="${WINEPREFIX:-/tmp/tramino-wine}"
wine() { timeout 300 "$root/scripts/windows/wine.sh" "$@" 2>&1 | tr -d '\r'; }
fail() { echo "test-installer: $*" >&2; exit 1; }
folder="$WINEPREFIX/drive_c/Program Files/Tramino"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tramino.lnk"
temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
# What an earlier run that failed half-way may have left.
rm -rf "$folder" "$menu" "$WINEPREFIX/drive_c/window.png"
stores() { ls "$temp" 2>/dev/null | grep '^Qrvtemp' || true; }
stores_before="$(stores)"

wine "$setup" /S >/dev/null
[ -f "$folder/tramino.exe" ] || fail "tramino.exe was not installed"
wine 'C:\Program Files\Tramino\tramino-cli.exe' --version | grep -q '^tramino-cli ' ||
  fail "the installed tramino-cli.exe did not run"
# As a user starts it: on the screen, with the platform plugin installed beside it (the tests'
# QT_QPA_PLATFORM=offscreen names one the installer does not carry).
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! env -u QT_QPA_PLATFORM TRAMINO_AUTORUN='shot:C:\window.png' \
  xvfb-run -a -s "-screen 0 800x480x24" timeout 300 "$root/scripts/windows/wine.sh" \
  'C:\Program Files\Tramino\tramino.exe' >"$log" 2>&1; then
  tr -d '\r' <"$log" | grep -v '^[0-9a-f]*:fixme:' | tail -n 20 >&2
  fail "the installed tramino.exe failed"
fi
file "$WINEPREFIX/drive_c/window.png" | grep -q 'PNG image' || fail "the installed window wrote no picture"
if [ "$(stores)" != "$stores_before" ]; then
  fail "the window left its picture store"
fi
[ -f "$menu" ] || fail "no Start menu entry"
for type in Tramino.Project Tramino.Show; do
  wine reg query "HKLM\\Software\\Classes\\$type\\shell\\open\\command" | grep -q 'tramino.exe" "%1"' ||
    fail "$type is not opened by tramino.exe"
done

# The uninstaller copies itself away and returns at once; the copy does the work.
wine 'C:\Program Files\Tramino\uninstall.exe' /S >/dev/null
for _ in $(seq 60); do [ -e "$folder" ] || break; sleep 1; done
[ ! -e "$folder" ] || fail "the uninstaller left $folder"
[ ! -e "$menu" ] || fail "the uninstaller left the Start menu entry"
for key in .tramino .qrv Tramino.Project Tramino.Show; do
  if wine reg query "HKLM\\Software\\Classes\\$key" | grep -q "$key"; then
    fail "the uninstaller left the registry key $key"
  fi
done
echo "test-installer: installed, ran, uninstalled, nothing left"
