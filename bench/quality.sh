#!/usr/bin/env bash
# The figures resamplers are ranked by, side by side in one run: Trackforge's
# engine (its decoder and resampler, as the preparation drives them, through
# audio_probe) natively and (with --wine) the Windows build's under Wine,
# against `sox rate -v` and ffmpeg's soxr at its highest precision. Every tool
# writes 32-bit float at 44.1 kHz, so the resampler is measured, not the 16-bit
# dither the preparation adds afterwards (whose floor would hide everything
# below about -120 dB). Sources: 96 kHz float and 48 kHz 24-bit, made here by
# tf-resampler-quality (see its header for what each signal measures). Then
# the time of `prepare` (the whole job, 16-bit output) of a 60 s 48 kHz 24-bit
# file against sox doing the same, median of RUNS interleaved runs.
#   bench/quality.sh [--wine] [RUNS]     (default 5)
# Not part of the test run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
wine=0
if [ "${1:-}" = --wine ]; then wine=1; shift; fi
runs=${1:-5}

convert="$here/build/native/library/cli/trackforge-convert"
probe="$here/build/native/tests/library/audio_probe"
quality="$here/build/native/bench/tf-resampler-quality"
convert_exe="$here/build/windows/library/cli/trackforge-convert.exe"
probe_exe="$here/build/windows/tests/library/audio_probe.exe"
for tool in "$convert" "$probe" "$quality"; do
    [ -x "$tool" ] || { echo "$tool is not built; run ./build.sh build" >&2; exit 1; }
done
[ $wine = 0 ] || [ -f "$probe_exe" ] || { echo "$probe_exe is not built" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is missing (see packages.txt)" >&2; exit 1; }
tools=(engine)
[ $wine = 0 ] || tools+=(wine)
tools+=(sox)
if command -v ffmpeg >/dev/null; then tools+=(ffmpeg); else echo "(ffmpeg missing: apt-get install ffmpeg for its column)"; fi

work="$here/build/bench-quality"
rm -rf "$work" && mkdir -p "$work"
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
     "load average $(load) at the start"
echo "== $(sox --version | sed 's/.*SoX v/sox /')$(command -v ffmpeg >/dev/null && ffmpeg -version | head -1 | cut -d' ' -f1-3 | sed 's/^/, /')"

run_tool() { # tool in out
    case $1 in
        engine) "$probe" "$2" --rate 44100 --write "$3" ;;
        wine) "$here/cmake/wine-run.sh" "$probe_exe" "Z:$2" --rate 44100 --write "Z:$3" ;;
        sox) sox "$2" -e floating-point -b 32 "$3" rate -v 44100 ;;
        ffmpeg) ffmpeg -v error -nostdin -i "$2" -af aresample=44100:resampler=soxr:precision=28 \
            -c:a pcm_f32le "$3" ;;
        prepare) "$convert" prepare "$2" "$3" ;;
        prepare.exe) "$here/cmake/wine-run.sh" "$convert_exe" prepare "Z:$2" "Z:$3" ;;
        sox16) sox "$2" -b 16 "$3" rate -v 44100 dither ;;
    esac >/dev/null 2>"$work/stderr.txt" || { echo "failed: $1 $2" >&2; cat "$work/stderr.txt" >&2; exit 1; }
}

sources=("96 kHz float|96000|f32" "48 kHz 24-bit|48000|s24")
signals=(sweep high passband thd)
declare -A figures
for source in "${sources[@]}"; do
    IFS='|' read -r label rate format <<<"$source"
    for signal in "${signals[@]}"; do
        in="$work/$signal-$rate.wav"
        "$quality" make "$signal" "$in" --rate "$rate" --format "$format"
        for tool in "${tools[@]}"; do
            out="$work/out-$tool-$signal-$rate.wav"
            run_tool "$tool" "$in" "$out"
            figures[$tool.$rate]+=" $("$quality" analyse "$signal" "$out" --rate "$rate")"
            rm -f "$out"
        done
    done
done

field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p" | head -1; }
fmt='%-26s'
echo "== quality (channel 0 of the float output; dB below the signal or re its level; -600: nothing at all)"
for source in "${sources[@]}"; do
    IFS='|' read -r label rate format <<<"$source"
    echo "-- source $label"
    printf "$fmt" ""
    for tool in "${tools[@]}"; do printf '%12s' "$tool"; done
    echo
    for row in "sweep aliasing dB|sweep_alias_db" "tones >22.05k alias dB|high_alias_db" \
               "passband dev to 20k dB|passband_dev_db" "level at 21 kHz dB|level_21k_db" \
               "level at 22 kHz dB|level_22k_db" "THD of 1 kHz dB|thd_db" "delay us|delay_us" \
               "length error (sweep)|length_error"; do
        IFS='|' read -r name key <<<"$row"
        printf "$fmt" "$name"
        for tool in "${tools[@]}"; do printf '%12s' "$(field "${figures[$tool.$rate]}" "$key")"; done
        echo
    done
done

echo "== speed: prepare (16-bit output) of 60 s 48 kHz 24-bit stereo against sox doing the same,"
echo "   median wall time of $runs interleaved runs after a warm-up round (source in the page cache)"
"$quality" make thd "$work/speed.wav" --rate 48000 --format s24 --seconds 60
cat "$work/speed.wav" >/dev/null
speed_tools=(prepare)
[ $wine = 0 ] || speed_tools+=(prepare.exe)
speed_tools+=(sox16)
declare -A walls
for round in $(seq 0 "$runs"); do
    for tool in "${speed_tools[@]}"; do
        rm -f "$work/speed-out.wav"
        t0=$(date +%s.%N)
        run_tool "$tool" "$work/speed.wav" "$work/speed-out.wav"
        t1=$(date +%s.%N)
        [ "$round" = 0 ] || walls[$tool]+="$(echo "$t1 - $t0" | bc -l) "
    done
done
rm -f "$work/speed-out.wav" "$work/speed.wav"
median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
for tool in "${speed_tools[@]}"; do
    printf '  %-12s %.3f s\n' "$tool" "$(echo "${walls[$tool]}" | median)"
done
echo "== load average at the end: $(load)"
