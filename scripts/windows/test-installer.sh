#!/usr/bin/env bash
# Installs build/windows/tramino-<version>-win64-setup.exe silently under wine64 in a wine prefix of
# its own, runs the installed tramino-cli.exe, checks the Start menu entry and the file
# associations, uninstalls silently and checks that nothing of it is left.
# Usage: scripts/windows/test-installer.sh [WINDOWS-BUILD-DIR]   (build/windows by default)
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$PWD"
setup="$(ls "${1:-build/windows}"/tramino-*-win64-setup.exe)"
export WINEPREFIX
WINEPREFIX="$(mktemp -d /tmp/tramino-installer-XXXXXX)"
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
wine() { timeout 300 "$root/scripts/windows/wine.sh" "$@" 2>&1 | tr -d '\r'; }
fail() { echo "test-installer: $*" >&2; exit 1; }
folder="$WINEPREFIX/drive_c/Program Files/Tramino"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tramino.lnk"

wine "$setup" /S >/dev/null
[ -f "$folder/tramino.exe" ] || fail "tramino.exe was not installed"
wine 'C:\Program Files\Tramino\tramino-cli.exe' --version | grep -q '^tramino-cli ' ||
  fail "the installed tramino-cli.exe did not run"
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
