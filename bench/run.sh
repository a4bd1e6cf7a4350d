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
# Runs "$@" once and prints "wall cpu" in seconds (cpu = user + system, which a
# busy machine disturbs less than the wall time). The output is removed after
# each run so every run writes a fresh file.
timed() {
    local t0 t1 cpu
    t0=$(now)
    /usr/bin/time -f "%U %S" -o "$work/cpu.txt" "$@" >/dev/null 2>&1
    t1=$(now)
    cpu=$(awk '{print $1 + $2}' "$work/cpu.txt")
    rm -f "$work"/out.*
    sync # write-back of one run must not land in the next one's time
    echo "$(echo "$t1 - $t0" | bc -l) $cpu"
}
median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
column_median() { echo "$1" | tr ',' '\n' | grep . | awk -v c="$2" '{print $c}' | median; }
column_best() { echo "$1" | tr ',' '\n' | grep . | awk -v c="$2" '{print $c}' | sort -g | head -1; }

declare -A runs_of
# Interleaved, so a slow phase of the machine hits every contender alike; one
# warm-up round first so all three read the source from the page cache.
for round in $(seq 0 "$runs"); do
    c=$(timed "$bin/trackforge-convert" convert "$wave" "$work/out.kpf" --name Bench)
    p=$(timed cp "$wave" "$work/out.copy")
    s=$(timed sox "$wave" -e unsigned-integer -b 16 -t raw "$work/out.raw")
    if [ "$round" -gt 0 ]; then
        runs_of[conv]+="$c,"; runs_of[cp]+="$p,"; runs_of[sox]+="$s,"
        printf '  run %d (wall/cpu s): converter %.3f/%.2f   cp %.3f/%.2f   sox %.3f/%.2f\n' \
            "$round" $c $p $s
    fi
done

mc=$(column_median "${runs_of[conv]}" 1); cc=$(column_median "${runs_of[conv]}" 2)
mp=$(column_median "${runs_of[cp]}" 1);   cp_=$(column_median "${runs_of[cp]}" 2)
ms=$(column_median "${runs_of[sox]}" 1);  cs=$(column_median "${runs_of[sox]}" 2)
# Best runs too: on a virtual machine a run that is handed memory the host has
# not backed yet pays for it inside its copies, which can double a time.
bc_=$(column_best "${runs_of[conv]}" 1); bp=$(column_best "${runs_of[cp]}" 1); bs=$(column_best "${runs_of[sox]}" 1)
peak=$( { /usr/bin/time -v "$bin/trackforge-convert" convert "$wave" "$work/out.kpf" --name Bench >/dev/null; } 2>&1 |
        awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
rm -f "$work"/out.*

echo "== medians of $runs runs (${megabytes} MB source; load average: $(cut -d' ' -f1-3 /proc/loadavg))"
printf '                   wall       cpu        best wall\n'
printf '  converter        %.3f s    %.2f s     %.3f s\n' "$mc" "$cc" "$bc_"
printf '  cp               %.3f s    %.2f s     %.3f s\n' "$mp" "$cp_" "$bp"
printf '  sox              %.3f s    %.2f s     %.3f s\n' "$ms" "$cs" "$bs"
ratio() { echo "$1 / $2" | bc -l; }
printf '  converter/cp     %.2f       %.2f       %.2f   (goal <= 1.3)\n' \
    "$(ratio "$mc" "$mp")" "$(ratio "$cc" "$cp_")" "$(ratio "$bc_" "$bp")"
printf '  converter/sox    %.2f       %.2f       %.2f   (goal < 1)\n' \
    "$(ratio "$mc" "$ms")" "$(ratio "$cc" "$cs")" "$(ratio "$bc_" "$bs")"
printf '  converter peak memory  %d kB = %.1f MB   (goal < 8 MB)\n' "$peak" "$(echo "$peak / 1024" | bc -l)"

# The same again with the written file forced onto the disk (fsync through
# `sync FILE`), which is what a user waits for before taking the file away.
echo "== with the output flushed to the disk ($runs runs)"
flushed=""
for round in $(seq 1 "$runs"); do
    c=$(timed sh -c "\"$bin/trackforge-convert\" convert \"$wave\" \"$work/out.kpf\" --name Bench && sync \"$work/out.kpf\"")
    p=$(timed sh -c "cp \"$wave\" \"$work/out.copy\" && sync \"$work/out.copy\"")
    flushed+="$c $p,"
done
fc=$(echo "$flushed" | tr ',' '\n' | grep . | awk '{print $1}' | median)
fp=$(echo "$flushed" | tr ',' '\n' | grep . | awk '{print $3}' | median)
printf '  converter        %.3f s\n  cp               %.3f s\n  converter/cp     %.2f\n' \
    "$fc" "$fp" "$(ratio "$fc" "$fp")"
