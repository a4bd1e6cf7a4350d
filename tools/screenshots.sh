#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ from the Windows build, under Wine on
# a virtual X display. Builds nothing itself: run `./build.sh screenshots`.
#   TF_WINDOWS_BUILD  the Windows build folder (default build/windows)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TF_WINDOWS_BUILD:-$here/build/windows}
out=$here/docs/screenshots
work=$here/build/screenshots
exe=$build/app/Trackforge.exe
[ -f "$exe" ] || { echo "no $exe - build the Windows target first" >&2; exit 1; }
mkdir -p "$out" "$work"

# A prefix of its own, in which Wine draws window frames itself (there is no
# window manager on the virtual display).
export WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
fi

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
echo "== screenshots into $out"
PROG=$prog OUT=$out xvfb-run -a -s "-screen 0 1280x1024x24" "$inner"
