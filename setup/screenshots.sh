#!/usr/bin/env bash
# Takes the pictures of the installer's four windows in both languages,
# docs/screenshots/setup-<n>-<de|en>.png, from the Windows build under Wine on
# a virtual X display. Builds nothing itself; tools/screenshots.sh may call it.
#   TF_WINDOWS_BUILD  the Windows build folder (default build/windows)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TF_WINDOWS_BUILD:-$here/build/windows}
out=$here/docs/screenshots
work=$here/build/screenshots-setup
exe=$build/setup/Setup.exe
[ -f "$exe" ] || { echo "no $exe - build the Windows target first" >&2; exit 1; }
mkdir -p "$out" "$work"

# A prefix of its own, in which Wine draws window frames itself (there is no
# window manager on the virtual display).
export WINEPREFIX=$work/wineprefix
export HOME=$work/home
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
fi
cp "$exe" "$work/Setup.exe"

inner=$work/inner.sh
cat > "$inner" <<'INNER'
#!/usr/bin/env bash
# Runs on the virtual display: show one window, grab it, stop.
set -uo pipefail
shot() { # shot <window> <de|en> <png>
  local n=$1 lang=$2 png=$3
  xdotool mousemove 1279 1023 # no tooltip in the picture
  (cd "$WORK" && wine ./Setup.exe "/ansicht:$n:$lang" >/dev/null 2>&1) &
  local pid=$! id="" i
  for i in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --class 'setup.exe' 2>/dev/null | tail -1) && [ -n "$id" ] && break
    sleep 0.2
  done
  if [ -z "$id" ]; then echo "window $n ($lang) did not appear" >&2; kill "$pid" 2>/dev/null; return 1; fi
  sleep 1.5 # the first paint
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$png"
  echo "   $png (${WIDTH}x${HEIGHT})"
  wineserver -k 2>/dev/null; wait "$pid" 2>/dev/null
  return 0
}
rc=0
for n in 1 2 3 4; do
  for lang in de en; do
    shot "$n" "$lang" "$OUT/setup-$n-$lang.png" || rc=1
  done
done
exit $rc
INNER
chmod +x "$inner"
echo "== installer screenshots into $out"
WORK=$work OUT=$out xvfb-run -a -s "-screen 0 1280x1024x24" "$inner"
