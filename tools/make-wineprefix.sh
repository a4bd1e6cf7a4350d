#!/bin/sh
# Creates the Wine prefix that the Windows tests run in (build/wineprefix), once.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${TF_WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
