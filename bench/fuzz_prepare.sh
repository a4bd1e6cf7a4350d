#!/usr/bin/env bash
# Feeds the preparation thousands of damaged audio files and checks four
# promises: no crash, no hang, nothing left behind after a failure, and no
# success for a file cut short or with a broken rate in its header.
#   bench/fuzz_prepare.sh [PER_FORMAT] [CONVERTER] [FIRST_SEED]   (defaults: 400, the native build's, 1)
# Seeds are 2-second files made here in every form the preparation reads
# (wave 16/24-bit, float, device-ready, AIFF, FLAC, Ogg Vorbis, MP3); each is
# damaged PER_FORMAT times by tf-mutate (cut, flip, field, zero, drop) and
# prepared with a time limit of 30 s. Another CONVERTER (an older build) can
# be run on the same inputs for comparison. Not part of the test run.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
per_format=${1:-400}
convert=${2:-"$here/build/native/library/cli/trackforge-convert"}
first_seed=${3:-1}
mutate="$here/build/native/bench/tf-mutate"
for tool in "$convert" "$mutate"; do
    [ -x "$tool" ] || { echo "$tool is not built; run ./build.sh build" >&2; exit 1; }
done
for tool in sox lame; do
    command -v $tool >/dev/null || { echo "$tool is missing (see packages.txt)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tf-fuzz-prepare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/out"
s="$work/seeds"
tone=(synth 2 sine 1000 sine 7000 remix 1,2 1,2 gain -3)
sox -n -r 48000 -c 2 -b 16 "$s/w16.wav" "${tone[@]}"
sox -n -r 96000 -c 2 -b 24 "$s/w24.wav" "${tone[@]}"
sox -n -r 48000 -c 1 -e floating-point -b 32 "$s/float.wav" synth 2 sine 1000
sox -n -r 44100 -c 2 -b 16 "$s/ready.wav" "${tone[@]}"
sox -n -r 48000 -c 2 -b 16 "$s/aiff.aiff" "${tone[@]}"
sox -n -r 48000 -c 2 -b 24 "$s/flac.flac" "${tone[@]}"
sox -n -r 48000 -c 2 -b 16 "$s/ogg.ogg" "${tone[@]}"
lame --quiet -b 192 "$s/w16.wav" "$s/mp3.mp3"

# One line per input: format kind status leftover
results="$work/results"
: >"$results"
seed=$first_seed
for seedfile in "$s"/*; do
    name=$(basename "$seedfile")
    ext=${name##*.}
    format=${name%.*}
    for ((i = 0; i < per_format; i++, seed++)); do
        in="$work/in.$ext"
        kind=$("$mutate" "$seed" "$seedfile" "$in")
        rm -rf "$work/out" && mkdir "$work/out"
        timeout 30 "$convert" prepare "$in" "$work/out/out.wav" >/dev/null 2>&1
        status=$?
        left=$(ls -A "$work/out" | wc -l)
        echo "$format $kind $status $left $seed" >>"$results"
    done
done

total=$(wc -l <"$results")
echo "== $total damaged inputs, $per_format per format, seeds $first_seed to $((seed - 1))"
echo "   converter: $convert"
awk '
{ n[$1]++; ok[$1] += ($3 == 0); dam[$1] += ($3 == 27 || $3 == 28);
  crash += ($3 >= 128 && $3 != 124); hang += ($3 == 124);
  left += ($3 != 0 && $4 > 0); cuts[$1] += ($2 == "cut"); cutok[$1] += ($2 == "cut" && $3 == 0);
  status[$3]++ }
END {
  printf "%-8s %7s %9s %13s %6s %13s\n", "format", "inputs", "exit 0", "damaged 27/28", "cuts", "cuts exit 0";
  for (f in n) printf "%-8s %7d %8.1f%% %12.1f%% %6d %6d (%4.1f%%)\n", f, n[f], 100*ok[f]/n[f], 100*dam[f]/n[f], cuts[f], cutok[f], cuts[f] ? 100*cutok[f]/cuts[f] : 0;
  printf "crashes %d, hangs (over 30 s) %d, files left after a failure %d\n", crash, hang, left;
  printf "exit statuses:"; for (c in status) printf " %s:%d", c, status[c]; printf "\n";
}' "$results"
# Repeat a finding: tf-mutate SEED SEEDFILE IN; the seeds are the lines' last field.
awk '($3 >= 128 && $3 != 124) || $3 == 124 || ($3 != 0 && $4 > 0) { print "finding:", $0 }' "$results" | head -20
