#!/usr/bin/env bash
# The main job: Trackforge.exe under Wine on the current display. Without a
# display it says so and runs the command-line converter on a demo wave instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe="$here/build/windows/app/Trackforge.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    if [ ! -f "$exe" ]; then
        echo "Trackforge.exe is not built; run ./build.sh build first" >&2
        exit 1
    fi
    echo "== starting Trackforge.exe on display $DISPLAY (close its window to end)"
    # The program keeps its settings file beside itself, so it runs from its own folder.
    cd "$(dirname "$exe")"
    exec "$here/cmake/wine-run.sh" "$exe"
fi

echo "== no display (DISPLAY is ${DISPLAY:-not set}): Trackforge.exe needs one to show its window."
echo "== running the command-line converter on a demo wave instead."
exec "$here/tools/demo-convert.sh"
