#!/bin/sh
# Creates the Wine prefix that the Windows tests run in (build/wineprefix), once,
# and brings a prefix made before 32-bit Wine was installed up to date: without
# its 32-bit system folder the 32-bit loader, which `wine` then starts, cannot
# run even a 64-bit program.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${TF_WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating Wine prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
elif [ -x /usr/lib/wine/wine ] && [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ] &&
     grep -q '^#arch=win64' "$WINEPREFIX/system.reg"; then
  echo "== adding 32-bit Wine to the prefix $WINEPREFIX" >&2
  rm -f "$WINEPREFIX/.update-timestamp"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w
fi
