#!/bin/sh
# Runs a Windows program in the project's Wine prefix (created on first use).
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${TF_WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] ||
   [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64")" ]; then
  WINEDEBUG=-all "$here/tools/make-wineprefix.sh"
fi
exec wine "$@"
