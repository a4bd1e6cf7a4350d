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

inner=$work/inner.sh
cat > "$inner" <<'INNER'
#!/usr/bin/env bash
# Runs on the virtual display: start, wait for the window, grab it, stop.
set -uo pipefail
shot() { # shot <window title> <png> [program arguments...]
  local title=$1 png=$2; shift 2
  xdotool mousemove 1279 1023 # no tooltip in the picture
  wine "$PROG/Trackforge.exe" "$@" >/dev/null 2>&1 &
  local pid=$! id="" i
  for i in $(seq 1 150); do
    id=$(xdotool search --name "^${title}\$" 2>/dev/null | tail -1) && [ -n "$id" ] && break
    sleep 0.2
  done
  if [ -z "$id" ]; then echo "window '$title' did not appear" >&2; kill "$pid" 2>/dev/null; return 1; fi
  sleep 2 # activation waits and the first paint
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$png"
  echo "   $png (${WIDTH}x${HEIGHT})"
  kill "$pid" 2>/dev/null; wineserver -k 2>/dev/null; wait "$pid" 2>/dev/null
  return 0
}
settings() { printf '\r\n\r\n\r\n%s\r\n' "$1" > "$PROG/Trackforge.kps"; }
rc=0
main_title="Korvant NOVALUX                                              V2.1.0.7"
settings -1; shot "$main_title" "$OUT/main-de.png" || rc=1
settings 0;  shot "$main_title" "$OUT/main-en.png" || rc=1
settings -1; shot "Info über Trackforge" "$OUT/about-de.png" /info || rc=1
settings 0;  shot "Info about Trackforge" "$OUT/about-en.png" /info || rc=1
exit $rc
INNER
chmod +x "$inner"
echo "== screenshots into $out"
PROG=$prog OUT=$out xvfb-run -a -s "-screen 0 1280x1024x24" "$inner"
