#!/usr/bin/env bash
# Quality, speed and memory of the converter's preparation against sox, side by
# side in one run, on a 1 kHz sine at -1 dBFS generated here in the forms people
# send: 48 kHz 24-bit, 96 kHz 32-bit float, 22.05 kHz 16-bit mono, FLAC and MP3.
#   bench/prepare.sh [--wine] [SECONDS] [RUNS] [LONG_MINUTES]   (defaults: 60, 5, 30)
# Each input goes through `trackforge-convert prepare IN OUT.wav` and
# `sox IN -r 44100 -b 16 -c 2 OUT`, interleaved, RUNS times after a warm-up
# round; the table gives the signal-to-noise ratio of the fitted tone, the
# length against round(frames * 44100 / rate), times real time (median wall)
# and peak memory. A LONG_MINUTES input (0 skips it) shows whether memory
# grows with the length. --wine adds trackforge-convert.exe under Wine.
# Not part of the test run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
wine=0
if [ "${1:-}" = --wine ]; then wine=1; shift; fi
seconds=${1:-60}
runs=${2:-5}
long_minutes=${3:-30}

native="$here/build/native"
convert="$native/library/cli/trackforge-convert"
snr="$native/bench/tf-tone-snr"
convert_exe="$here/build/windows/library/cli/trackforge-convert.exe"
for tool in "$convert" "$snr"; do
    [ -x "$tool" ] || { echo "$tool is not built; run ./build.sh build" >&2; exit 1; }
done
for tool in sox soxi flac lame bc; do
    command -v $tool >/dev/null || { echo "$tool is missing (see packages.txt)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 1; }
# Without the subcommand the table still shows sox, so the harness can be run alone.
has_prepare=1
"$convert" --help 2>&1 | grep -qw prepare || has_prepare=0
if [ $wine = 1 ] && [ ! -f "$convert_exe" ]; then
    echo "$convert_exe is not built; run ./build.sh build" >&2; exit 1
fi

work="$here/build/bench-prepare"
mkdir -p "$work"
trap 'rm -f "$work"/out.* "$work"/short-* "$work"/long-* "$work"/time.txt "$work"/stderr.txt' EXIT
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
     "$(free -g | awk '/Mem:/ {print $2}') GB memory, load average $(load) at the start"
echo "== $(sox --version | sed 's/.*SoX v/sox /'), $(flac --version), $(lame --version | head -1 | cut -d'(' -f1)"

# The analysis itself first: files of known noise must read as theory says,
# or every figure below means nothing.
check_analysis() {
    local name=$1 expected got; shift
    expected=$("$snr" make "$work/check.wav" --seconds 20 "$@" | sed 's/.*=//')
    got=$("$snr" analyse "$work/check.wav" | sed 's/.*snr_db=\([^ ]*\).*/\1/')
    printf '  %-34s expected %6.2f dB, measured %6.2f dB\n' "$name" "$expected" "$got"
    if [ "$(echo "d = $got - $expected; d < -0.3 || d > 0.3" | bc -l)" = 1 ]; then
        echo "the tone analysis is off; no figures" >&2; exit 1
    fi
}
echo "== checking the tone analysis (16-bit 44.1 kHz stereo, 20 s)"
check_analysis "TPDF-dithered sine" --dither
check_analysis "sine + noise at -80 dBFS" --noise-dbfs -80
check_analysis "sine + noise at -60 dBFS, dithered" --noise-dbfs -60 --dither --freq 1000.4
sox -n -r 44100 -b 16 -c 2 "$work/check.wav" synth 20 sine 1000 gain -1
printf '  %-34s %s\n' "sox's dithered sine (theory 92.3)" \
    "$("$snr" analyse "$work/check.wav" | sed 's/.*snr_db=\([^ ]*\).*/\1 dB/')"
sox -D -n -r 44100 -b 16 -c 2 "$work/check.wav" synth 20 sine 1000 gain -1
printf '  %-34s %s\n' "sox's rounded sine (theory 97.1)" \
    "$("$snr" analyse "$work/check.wav" | sed 's/.*snr_db=\([^ ]*\).*/\1 dB/')"
rm -f "$work/check.wav"

# name|file|rate of the tone (the MP3's length is judged against its source's)
tone() { sox -n "$@" synth "$length" sine 1000 gain -1; }
make_inputs() {
    local length=$1 prefix=$2
    tone -r 48000 -b 24 -c 2 "$work/$prefix-48k24.wav"
    tone -r 96000 -e floating-point -b 32 -c 2 "$work/$prefix-96kf.wav"
    tone -r 22050 -b 16 -c 1 "$work/$prefix-22k16mono.wav"
    # flac warns about the fact chunk sox writes; a real failure still stops the run.
    flac -s -f -o "$work/$prefix-48k24.flac" "$work/$prefix-48k24.wav" 2>/dev/null
    lame --quiet -b 320 -q 0 "$work/$prefix-48k24.wav" "$work/$prefix-48k320.mp3"
}
echo "== generating ${seconds} s inputs in $work"
make_inputs "$seconds" short
inputs=("48 kHz 24-bit WAV|short-48k24.wav|48000" "96 kHz float WAV|short-96kf.wav|96000"
        "22.05 kHz 16-bit mono|short-22k16mono.wav|22050" "48 kHz 24-bit FLAC|short-48k24.flac|48000"
        "48 kHz MP3 320k|short-48k320.mp3|48000")
cat "$work"/short-* >/dev/null # into the page cache

now() { date +%s.%N; }
# Runs "$@" once; prints "wall cpu rss_kB". The output never exists beforehand,
# since the preparation refuses to replace a file.
timed() {
    local out=$1 t0 t1; shift
    rm -f "$out"
    t0=$(now)
    /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
        { echo "failed: $*" >&2; cat "$work/stderr.txt" >&2; head -1 "$work/time.txt" >&2; return 1; }
    t1=$(now)
    sync
    echo "$(echo "$t1 - $t0" | bc -l) $(awk '{print $1 + $2, $3}' "$work/time.txt")"
}
# The median of the blank-separated figures in $1; nothing for none.
median_of() { echo "$1" | tr ' ' '\n' | { grep . || true; } | median; }
median() { sort -g | awk '{v[NR]=$1} END {if (NR == 0) exit; if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

tools=(sox)
[ $has_prepare = 0 ] || tools=(converter "${tools[@]}")
[ $wine = 0 ] || tools+=(wine)
run_tool() { # tool input output
    case $1 in
        converter) timed "$3" "$convert" prepare "$2" "$3" ;;
        sox) timed "$3" sox "$2" -r 44100 -b 16 -c 2 "$3" ;;
        # Wine maps the Unix root to drive Z:.
        wine) timed "$3" "$here/cmake/wine-run.sh" "$convert_exe" prepare "Z:$2" "Z:$3" ;;
    esac
}
# "x real time, SNR, length error, peak RSS" of one output, for the table.
analyse() { # output source_frames source_rate
    "$snr" analyse "$1" --source-frames "$2" --source-rate "$3" |
        sed 's/.*snr_db=\([^ ]*\).*length_error=\([^ ]*\).*/\1 \2/'
}
row_format='%-24s %-10s %7s %8s %9s %8s %9s %10s\n'
header() { printf "$row_format" input tool "SNR dB" "length" "x real" "wall s" "cpu s" "peak RSS"; }

if [ $wine = 1 ]; then
    # Wine's own start is in every wine row's wall time; measured here to tell it apart.
    starts=""
    for round in 0 1 2 3; do
        read -r w c m <<<"$(timed "$work/out.none" "$here/cmake/wine-run.sh" "$convert_exe" --help)"
        [ "$round" = 0 ] || starts+="$w "
    done
    printf '== Wine start (trackforge-convert.exe --help), median of 3: %.3f s\n' \
        "$(median_of "$starts")"
fi

declare -A wall cpu rss
echo "== $runs interleaved runs after a warm-up round (tools per input: ${tools[*]})"
for round in $(seq 0 "$runs"); do
    for i in "${!inputs[@]}"; do
        IFS='|' read -r name file rate <<<"${inputs[$i]}"
        for tool in "${tools[@]}"; do
            read -r w c m <<<"$(run_tool "$tool" "$work/$file" "$work/out.$tool.$i.wav")"
            [ -n "$w" ] || exit 1
            [ "$round" -gt 0 ] || continue
            wall[$tool.$i]+="$w "
            # Under Wine cpu and memory are those of wine's loader, not the converter's: left out.
            [ "$tool" = wine ] || { cpu[$tool.$i]+="$c "; rss[$tool.$i]+="$m "; }
        done
    done
    [ "$round" -gt 0 ] && echo "  round $round done, load average $(load)" || true
done

# The largest of the kB figures given, in MB; "-" for none.
mb() {
    local top
    top=$(echo "$1" | tr ' ' '\n' | { grep . || true; } | sort -g | tail -1)
    if [ -n "$top" ]; then printf '%.1f MB' "$(echo "$top / 1024" | bc -l)"; else echo -; fi
}
echo "== results: SNR of the fitted 1 kHz tone (50 ms skipped at each end), length error in"
echo "   frames against round(frames * 44100 / rate) of the source, times real time and wall and"
echo "   cpu (user + system) as medians, peak RSS as the largest of the runs"
declare -A snr_of len_of wall_of rss_of name_of
# Prints one table row and keeps its figures for the goals.
row() { # label key output source_frames source_rate audio_seconds walls cpus rss_kBs
    local s e w c
    read -r s e <<<"$(analyse "$3" "$4" "$5")"
    w=$(median_of "$7")
    c=$(median_of "$8")
    printf "$row_format" "$1" "${2%%.*}" "$s" "$e" "$(printf '%.1f' "$(echo "$6 / $w" | bc -l)")" \
        "$(printf '%.3f' "$w")" "$([ -z "$c" ] && echo - || printf '%.2f' "$c")" "$(mb "$9")"
    name_of[$2]=$1 snr_of[$2]=$s len_of[$2]=$e wall_of[$2]=$w rss_of[$2]=$(echo "$9" | tr ' ' '\n' | sort -g | tail -1)
}
header
for i in "${!inputs[@]}"; do
    IFS='|' read -r name file rate <<<"${inputs[$i]}"
    for tool in "${tools[@]}"; do
        row "$name" "$tool.$i" "$work/out.$tool.$i.wav" $((seconds * rate)) "$rate" "$seconds" \
            "${wall[$tool.$i]}" "${cpu[$tool.$i]:-}" "${rss[$tool.$i]:-}"
    done
done
rm -f "$work"/out.* "$work"/short-*
echo "  load average after: $(load)"

if [ "$long_minutes" -gt 0 ]; then
    long=$((long_minutes * 60))
    echo "== memory against length: one ${long_minutes} min 48 kHz 24-bit WAV, once per tool"
    length=$long tone -r 48000 -b 24 -c 2 "$work/long-48k24.wav"
    ls -l "$work/long-48k24.wav"
    header
    for tool in "${tools[@]}"; do
        [ "$tool" != wine ] || continue
        read -r w c m <<<"$(run_tool "$tool" "$work/long-48k24.wav" "$work/out.long.wav")"
        [ -n "$w" ] || exit 1
        row "${long_minutes} min 48 kHz 24-bit" "$tool.long" "$work/out.long.wav" \
            $((long * 48000)) 48000 "$long" "$w" "$c" "$m"
        rm -f "$work/out.long.wav"
    done
    rm -f "$work/long-48k24.wav"
fi

# The issue's goals, each with the figures it was judged on.
goal() { # description failures
    if [ -z "$2" ]; then echo "  met:     $1"; else echo "  NOT met: $1 (${2%; })"; fi
}
if [ $has_prepare = 1 ]; then
    echo "== goals for the converter"
    g1="" g2="" g3="" g4="" g5=""
    for key in "${!snr_of[@]}"; do
        tool=${key%%.*} i=${key#*.} n=${name_of[$key]}
        [ "$tool" = converter ] || continue
        e=${len_of[$key]}
        [ "${e#-}" -le 1 ] || g2+="$n: $e frames; "
        [ "${rss_of[$key]}" -lt $((32 * 1024)) ] || g5+="$n: ${rss_of[$key]} kB; "
        [ "$i" != long ] || continue
        case $i in 0 | 1 | 3)
            [ "$(echo "${snr_of[$key]} >= 90" | bc)" = 1 ] || g1+="$n: ${snr_of[$key]} dB; " ;;
        esac
        # Dither differs from run to run by a few hundredths of a dB.
        [ "$(echo "${snr_of[$key]} >= ${snr_of[sox.$i]} - 0.05" | bc)" = 1 ] ||
            g3+="$n: ${snr_of[$key]} against ${snr_of[sox.$i]} dB; "
        [ "$(echo "${wall_of[$key]} < ${wall_of[sox.$i]}" | bc)" = 1 ] ||
            g4+="$n: $(printf '%.3f against %.3f s' "${wall_of[$key]}" "${wall_of[sox.$i]}"); "
    done
    goal "SNR at least 90 dB on the 24-bit, float and FLAC inputs" "$g1"
    goal "length within one frame" "$g2"
    goal "SNR at least sox's (less 0.05 dB for the dither's spread)" "$g3"
    goal "median wall time below sox's" "$g4"
    goal "peak memory under 32 MB" "$g5"
fi
if [ $wine = 1 ]; then
    g=""
    for i in "${!inputs[@]}"; do
        [ "$(echo "${snr_of[wine.$i]} >= 85" | bc)" = 1 ] || g+="${name_of[wine.$i]}: ${snr_of[wine.$i]} dB; "
    done
    goal "under Wine, SNR at least 85 dB" "$g"
fi
echo "== load average at the end: $(load)"
