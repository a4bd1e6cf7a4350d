#!/usr/bin/env bash
# One bounded fuzz run: seeds made here, then libFuzzer for a few seconds.
#   fuzz_run.sh FUZZER wave|project|audio MAX_LEN SECONDS TF-WAVEGEN TRACKFORGE-CONVERT
# A crash, a sanitizer finding, an input that takes over 20 s (a hang) or a
# target's own check (a file left behind, a wrong result) fails the run; the
# input that did it is kept beside the fuzzer as crash-*, timeout-* or oom-*.
set -euo pipefail
fuzzer=$1 kind=$2 max_len=$3 seconds=$4 wavegen=$5 convert=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds=$work/seeds
mkdir "$seeds"

case $kind in
wave)
    "$wavegen" "$seeds/plain.wav" --frames 300
    "$wavegen" "$seeds/list.wav" --frames 301 --list
    "$wavegen" "$seeds/empty.wav" --frames 0
    ;;
project)
    "$wavegen" "$work/in.wav" --frames 300
    "$convert" convert "$work/in.wav" "$seeds/whole.kpf" --name Fuzz >/dev/null
    head -c 64 "$seeds/whole.kpf" >"$seeds/header.kpf"
    ;;
audio)
    "$wavegen" "$seeds/ready.wav" --frames 200
    "$wavegen" "$seeds/mono48.wav" --frames 240 --rate 48000 --channels 1
    "$wavegen" "$seeds/deep.wav" --frames 150 --bits 24 --list
    "$wavegen" "$seeds/float.wav" --frames 150 --bits 32 --format 3
    if command -v flac >/dev/null; then
        flac --silent --force -o "$seeds/ready.flac" "$seeds/ready.wav"
    fi
    ;;
*)
    echo "unknown seed kind $kind" >&2
    exit 2
    ;;
esac

# The fixed seed makes a run repeatable as far as the time bound allows.
mkdir "$work/corpus" "$work/scratch"
status=0
TF_FUZZ_SCRATCH=$work/scratch "$fuzzer" -seed=1 -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$(dirname "$fuzzer")/" \
    "$work/corpus" "$seeds" >"$work/log" 2>&1 || status=$?
tail -n 40 "$work/log"
if [ "$status" = 0 ] && [ -n "$(ls -A "$work/scratch")" ]; then
    echo "left in the scratch folder:" $(ls -A "$work/scratch") >&2
    status=1
fi
exit "$status"
