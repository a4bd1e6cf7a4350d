#!/usr/bin/env bash
# Times the converter against cp and sox on a generated wave file, side by
# side in one run, and reports medians, ratios and the converter's peak memory,
# each under the conditions it was taken in:
#   1. source in the page cache, fresh target (every output removed before a run)
#   2. source in the page cache, overwritten target (the last run's output stays)
#   3. fresh target flushed to the disk before the clock stops (sync FILE)
#   bench/run.sh [MEGABYTES] [RUNS]      (defaults: 500, 5)
# Not part of the test run. The source always sits in the page cache (it is
# read once before timing); caches are never dropped, as that would disturb
# everything else on the machine.
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
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
     "$(free -g | awk '/Mem:/ {print $2}') GB memory, load average $(load) at the start"
echo "== generating a ${megabytes} MB wave ($wave)"
"$bin/tf-wavegen" "$wave" --megabytes "$megabytes"
cat "$wave" >/dev/null # into the page cache
ls -l "$wave"

now() { date +%s.%N; }
# Runs "$@" once and prints "wall cpu" in seconds (cpu = user + system, which a
# busy machine disturbs less than the wall time). With KEEP=1 the outputs stay
# for the next run to overwrite; otherwise they are removed after each run.
timed() {
    local t0 t1 cpu
    t0=$(now)
    /usr/bin/time -f "%U %S" -o "$work/cpu.txt" "$@" >/dev/null 2>&1
    t1=$(now)
    cpu=$(awk '{print $1 + $2}' "$work/cpu.txt")
    [ "${KEEP:-0}" = 1 ] || rm -f "$work"/out.*
    sync # write-back of one run must not land in the next one's time
    echo "$(echo "$t1 - $t0" | bc -l) $cpu"
}
median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
column_median() { echo "$1" | tr ',' '\n' | grep . | awk -v c="$2" '{print $c}' | median; }
column_best() { echo "$1" | tr ',' '\n' | grep . | awk -v c="$2" '{print $c}' | sort -g | head -1; }
ratio() { echo "$1 / $2" | bc -l; }

convert_cmd=("$bin/trackforge-convert" convert "$wave" "$work/out.kpf" --name Bench)
cp_cmd=(cp "$wave" "$work/out.copy")
sox_cmd=(sox "$wave" -e unsigned-integer -b 16 -t raw "$work/out.raw")

# One interleaved series, so a slow phase of the machine hits every contender
# alike; round 0 is a warm-up and is not counted.
series() {
    local title=$1 round c p s conv="" copy="" so=""
    echo "== $title: $runs runs"
    for round in $(seq 0 "$runs"); do
        c=$(timed "${convert_cmd[@]}"); p=$(timed "${cp_cmd[@]}"); s=$(timed "${sox_cmd[@]}")
        [ "$round" -gt 0 ] || continue
        conv+="$c,"; copy+="$p,"; so+="$s,"
        printf '  run %d (wall/cpu s): converter %.3f/%.2f   cp %.3f/%.2f   sox %.3f/%.2f\n' \
            "$round" $c $p $s
    done
    local mc cc mp cp_ ms cs
    mc=$(column_median "$conv" 1); cc=$(column_median "$conv" 2)
    mp=$(column_median "$copy" 1); cp_=$(column_median "$copy" 2)
    ms=$(column_median "$so" 1); cs=$(column_median "$so" 2)
    printf '                   median wall  median cpu  best wall\n'
    printf '  converter        %.3f s      %.2f s      %.3f s\n' "$mc" "$cc" "$(column_best "$conv" 1)"
    printf '  cp               %.3f s      %.2f s      %.3f s\n' "$mp" "$cp_" "$(column_best "$copy" 1)"
    printf '  sox              %.3f s      %.2f s      %.3f s\n' "$ms" "$cs" "$(column_best "$so" 1)"
    printf '  converter/cp     %.2f         %.2f\n' "$(ratio "$mc" "$mp")" "$(ratio "$cc" "$cp_")"
    printf '  converter/sox    %.2f         %.2f\n' "$(ratio "$mc" "$ms")" "$(ratio "$cc" "$cs")"
    echo "  load average after: $(load)"
}

series "source in the page cache, fresh target"
KEEP=1 series "source in the page cache, overwritten target"
rm -f "$work"/out.*

peak=$( { /usr/bin/time -v "${convert_cmd[@]}" >/dev/null; } 2>&1 |
        awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
rm -f "$work"/out.*
printf '== converter peak memory (/usr/bin/time -v): %d kB = %.1f MB\n' "$peak" \
    "$(echo "$peak / 1024" | bc -l)"

# What a user waits for before taking the file away: the output forced onto
# the disk (fsync through `sync FILE`) before the clock stops.
echo "== fresh target flushed to the disk: $runs runs"
flushed=""
for round in $(seq 1 "$runs"); do
    c=$(timed sh -c '"$@" && sync "$0"' "$work/out.kpf" "${convert_cmd[@]}")
    p=$(timed sh -c '"$@" && sync "$0"' "$work/out.copy" "${cp_cmd[@]}")
    s=$(timed sh -c '"$@" && sync "$0"' "$work/out.raw" "${sox_cmd[@]}")
    flushed+="$c $p $s,"
done
fc=$(echo "$flushed" | tr ',' '\n' | grep . | awk '{print $1}' | median)
fp=$(echo "$flushed" | tr ',' '\n' | grep . | awk '{print $3}' | median)
fs=$(echo "$flushed" | tr ',' '\n' | grep . | awk '{print $5}' | median)
printf '  median wall: converter %.3f s   cp %.3f s   sox %.3f s\n' "$fc" "$fp" "$fs"
printf '  converter/cp %.2f   converter/sox %.2f\n' "$(ratio "$fc" "$fp")" "$(ratio "$fc" "$fs")"
echo "== load average at the end: $(load)"
