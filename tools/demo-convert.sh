#!/usr/bin/env bash
# Makes a demo wave file, converts it with the native converter
# and prints what the project file holds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

bin=""
for dir in "$here/build/native" "$here/build/lib-native"; do
    if [ -x "$dir/library/cli/trackforge-convert" ]; then bin="$dir/library/cli"; break; fi
done
if [ -z "$bin" ]; then
    echo "trackforge-convert is not built; run ./build.sh build first" >&2
    exit 1
fi

out="$here/build/demo"
mkdir -p "$out"
echo "== demo wave: 20 s stereo sine, 16 bit, 44.1 kHz, with a trailing LIST chunk"
"$bin/tf-wavegen" "$out/demo.wav" --seconds 20 --freq 440 --list
ls -l "$out/demo.wav"
echo "== converting"
"$bin/trackforge-convert" convert "$out/demo.wav" "$out/demo.kpf" --name "Trackforge Demo" --code 0120
echo "== reading it back"
"$bin/trackforge-convert" info "$out/demo.kpf"
