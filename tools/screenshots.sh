#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ from the Windows build, under Wine on
# a virtual X display. Builds nothing itself: run `./build.sh screenshots`.
#   TF_WINDOWS_BUILD    the Windows build folder (default build/windows)
#   TF_SCREENSHOT_DPIS  the screen resolutions to take (default "96 144"): 96 goes
#                       to docs/screenshots/, 144 to docs/screenshots/144dpi/, any
#                       other only to build/screenshots/<dpi>dpi/ for a look.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TF_WINDOWS_BUILD:-$here/build/windows}
out=$here/docs/screenshots
work=$here/build/screenshots
exe=$build/app/Trackforge.exe
[ -f "$exe" ] || { echo "no $exe - build the Windows target first" >&2; exit 1; }
mkdir -p "$work"

# A prefix of its own per resolution, in which Wine draws window frames itself
# (there is no window manager on the virtual display). The prefix's LogPixels is
# the resolution every window of the programs sees.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
use_prefix() { # use_prefix <dpi>
  export WINEPREFIX=$work/wineprefix-$1dpi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  fi
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}

# The program runs from a folder of its own so its settings file choose the language.
prog=$work/program
rm -rf "$prog"; mkdir -p "$prog"
cp "$exe" "$prog/"
dll=$(find "$build" -name Sonwerk_Projekt.dll -print -quit || true)
[ -n "$dll" ] && cp "$dll" "$prog/"
[ -f "$build/setup/Setup.exe" ] && cp "$build/setup/Setup.exe" "$prog/"

inner=$work/inner.sh
cat > "$inner" <<'INNER'
#!/usr/bin/env bash
# Runs on the virtual display: start, wait for the window, grab it, stop.
set -uo pipefail
find_window() { # find_window name:<title> | class:<X class> (the last visible one)
  case $1 in
    name:*) xdotool search --onlyvisible --name "^${1#name:}\$" 2>/dev/null | tail -1 ;;
    class:*) xdotool search --onlyvisible --class "${1#class:}" 2>/dev/null | tail -1 ;;
  esac
}
shot() { # shot <exe> <window> <png> [program arguments...]
  local exe=$1 window=$2 png=$3; shift 3
  xdotool mousemove 0 0
  wine "$exe" "$@" >/dev/null 2>&1 &
  local pid=$! id="" i
  for i in $(seq 1 150); do
    id=$(find_window "$window") && [ -n "$id" ] && break
    sleep 0.2
  done
  if [ -z "$id" ]; then echo "window $window did not appear" >&2; kill "$pid" 2>/dev/null; return 1; fi
  xdotool mousemove 0 0 # away from the window, so no tooltip shows
  sleep 2 # activation waits and the first paint
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$png"
  echo "   $png (${WIDTH}x${HEIGHT})"
  kill "$pid" 2>/dev/null; wineserver -k 2>/dev/null; wait "$pid" 2>/dev/null
  return 0
}
settings() { printf '\r\n\r\n\r\n%s\r\n' "$1" > "$PROG/Trackforge.kps"; }
rc=0
tf=$PROG/Trackforge.exe
main_title="Korvant NOVALUX +V[0-9.]+" # a pattern: the version comes from the build
settings -1; shot "$tf" "name:$main_title" "$OUT/main-de.png" || rc=1
settings 0;  shot "$tf" "name:$main_title" "$OUT/main-en.png" || rc=1
settings -1; shot "$tf" "name:Info über Trackforge" "$OUT/about-de.png" /info || rc=1
settings 0;  shot "$tf" "name:Info about Trackforge" "$OUT/about-en.png" /info || rc=1
if [ -f "$PROG/Setup.exe" ]; then
  for lang in de en; do
    for n in 1 2 4; do
      shot "$PROG/Setup.exe" "name:Setup Trackforge" "$OUT/setup$n-$lang.png" "/ansicht:$n:$lang" || rc=1
    done
    shot "$PROG/Setup.exe" "class:setup.exe" "$OUT/setup3-$lang.png" "/ansicht:3:$lang" || rc=1
  done
fi
exit $rc
INNER
chmod +x "$inner"
rc=0
for dpi in ${TF_SCREENSHOT_DPIS:-96 144}; do
  case $dpi in
    96) dir=$out ;;
    144) dir=$out/144dpi ;;
    *) dir=$work/${dpi}dpi ;;
  esac
  mkdir -p "$dir"
  use_prefix "$dpi"
  echo "== screenshots at $dpi DPI into $dir"
  # Room for the largest window at 192 DPI.
  PROG=$prog OUT=$dir xvfb-run -a -s "-screen 0 2560x2048x24" "$inner" || rc=1
done
exit $rc
