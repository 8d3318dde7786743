#!/usr/bin/env bash
# Runs a Windows program under wine64 in Tramino's wine prefix ($WINEPREFIX, /tmp/tramino-wine by
# default), with wine's crash dialog off, so that a crash ends the program instead of waiting.
# Usage: scripts/windows/wine.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}" WINEPREFIX="${WINEPREFIX:-/tmp/tramino-wine}"
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.crash-dialog-off" ]; then
  mkdir -p "$WINEPREFIX"
  $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.crash-dialog-off"
fi
exec $wine "$@"
