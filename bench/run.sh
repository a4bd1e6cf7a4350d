#!/usr/bin/env bash
# Times the converter against cp and sox on a 500 MB wave file, side by side in
# one run, and reports medians, ratios and the converter's peak memory.
#   bench/run.sh [MEGABYTES] [RUNS]      (defaults: 500, 5)
# Not part of the test run; figures depend on the machine and its page cache.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
megabytes=${1:-500}
runs=${2:-5}

bin=""
for dir in "$here/build/native" "$here/build/lib-native"; do
    if [ -x "$dir/library/cli/trackforge-convert" ]; then bin="$dir/library/cli"; break; fi
done
[ -n "$bin" ] || { echo "trackforge-convert is not built; run ./build.sh build" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is missing (apt-get install sox)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 1; }

work="$here/build/bench"
mkdir -p "$work"
wave="$work/bench.wav"
trap 'rm -f "$work"/out.*' EXIT
echo "== generating a ${megabytes} MB wave ($wave)"
"$bin/tf-wavegen" "$wave" --megabytes "$megabytes"
ls -l "$wave"

now() { date +%s.%N; }
# Runs "$@" once and prints its wall time in seconds; the output is removed
# afterwards so every run writes a fresh file.
timed() {
    local t0 t1
    t0=$(now)
    "$@" >/dev/null 2>&1
    t1=$(now)
    rm -f "$work"/out.*
    sync # write-back of one run must not land in the next one's time
    echo "$t1 - $t0" | bc -l
}
median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

declare -A times
# Interleaved, so a slow phase of the machine hits every contender alike; one
# warm-up round first so all three read the source from the page cache.
for round in $(seq 0 "$runs"); do
    c=$(timed "$bin/trackforge-convert" convert "$wave" "$work/out.kpf" --name Bench)
    p=$(timed cp "$wave" "$work/out.copy")
    s=$(timed sox "$wave" -e unsigned-integer -b 16 -t raw "$work/out.raw")
    if [ "$round" -gt 0 ]; then
        times[conv]+="$c "; times[cp]+="$p "; times[sox]+="$s "
        printf '  run %d: converter %.3f s   cp %.3f s   sox %.3f s\n' "$round" "$c" "$p" "$s"
    fi
done

mc=$(echo "${times[conv]}" | tr ' ' '\n' | grep . | median)
mp=$(echo "${times[cp]}" | tr ' ' '\n' | grep . | median)
ms=$(echo "${times[sox]}" | tr ' ' '\n' | grep . | median)
peak=$( { /usr/bin/time -v "$bin/trackforge-convert" convert "$wave" "$work/out.kpf" --name Bench >/dev/null; } 2>&1 |
        awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
rm -f "$work"/out.*

echo "== medians of $runs runs (${megabytes} MB source)"
printf '  converter        %.3f s\n' "$mc"
printf '  cp               %.3f s\n' "$mp"
printf '  sox              %.3f s\n' "$ms"
printf '  converter/cp     %.2f   (goal <= 1.3)\n' "$(echo "$mc / $mp" | bc -l)"
printf '  converter/sox    %.2f   (goal < 1)\n' "$(echo "$mc / $ms" | bc -l)"
printf '  converter peak memory  %d kB = %.1f MB   (goal < 8 MB)\n' "$peak" "$(echo "$peak / 1024" | bc -l)"
