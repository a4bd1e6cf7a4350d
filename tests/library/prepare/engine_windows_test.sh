#!/bin/sh
# The Windows build's audio engine (libsndfile and libsoxr, cross-built) under
# Wine on generated files: a 24-bit 48 kHz wave and the same as FLAC, holding
# a 20 kHz tone on the left and a 23 kHz tone on the right, decode and convert
# to 44.1 kHz flat to 20 kHz with nothing of the 23 kHz tone folded back, at
# the exact length, also through trackforge-convert.exe prepare; an MP3 is
# read; a mono 22.05 kHz file keeps its format; a file nothing decodes and a
# folder are told apart; without Media Foundation (N editions) all of it still
# works.
#   engine_windows_test.sh EMULATOR audio_probe.exe trackforge-convert.exe WORKDIR
set -u
run=$1 probe=$2 conv=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }

# Each tone at -6 dBFS. Flat within 0.05 dB at 20 kHz (Media Foundation's
# resampler under Wine: -3.3 dB), and the 23 kHz tone's fold at 21.1 kHz at
# least 120 dB below it (Media Foundation: -87 dB).
sox -D -n -r 48000 -b 24 -c 2 "$work/tones48.wav" synth 4 sine 20000 sine 23000 gain -6 ||
    fail "sox"
flac -s -f -o "$work/tones48.flac" "$work/tones48.wav" 2>/dev/null || fail "flac"
sox -D -n -r 22050 -b 16 -c 1 "$work/mono22.wav" synth 2 sine 1000 gain -1 || fail "sox mono"

# probe FILE ARGS...: runs the probe, keeps its report in $out.
probe() {
    "$run" "$probe" "$@" > "$work/report.txt"
    status=$?
    out=$(tr -d '\r' < "$work/report.txt")
    echo "$1: $(echo "$out" | tr '\n' ' ')"
}
field() { echo "$out" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
holds() { awk "BEGIN { exit !($1) }"; }
clean_and_flat() { # name
    l20=$(field line_0_20000) alias=$(field line_1_21100)
    holds "$l20 > -6.05 && $l20 < -5.95" || fail "$1: 20 kHz at $l20 dBFS, not -6"
    holds "$alias < -126" || fail "$1: the 23 kHz tone folds back at $alias dBFS"
}
lines="--line 0:20000 --line 1:21100"
converts_cleanly() { # file kind
    probe "$work/$1" --rate 44100 $lines
    [ $status -eq 0 ] || fail "$1: exit status $status"
    echo "$out" | grep -q "rate=48000 channels=2 kind=$2 declared=192000" || fail "$1: format"
    [ "$(field decoded)" = 192000 ] || fail "$1: decoded $(field decoded) frames, not 192000"
    [ "$(field error)" = 0 ] || fail "$1: length off by $(field error) frames"
    clean_and_flat "$1"

    "$run" "$conv" prepare "$work/$1" "$work/$1.prepared.wav" || fail "prepare $1: exit status $?"
    probe "$work/$1.prepared.wav" $lines
    echo "$out" | grep -q "rate=44100 channels=2 kind=pcm16 declared=176400" || fail "prepared $1: format"
    [ "$(field decoded)" = 176400 ] || fail "prepared $1: $(field decoded) frames, not 176400"
    clean_and_flat "prepared $1"
}
converts_cleanly tones48.wav pcm24
converts_cleanly tones48.flac pcm24

lame --quiet -b 192 "$work/tones48.wav" "$work/tones48.mp3" || fail "lame"
"$run" "$conv" prepare "$work/tones48.mp3" "$work/mp3.prepared.wav" || fail "prepare MP3: exit status $?"

probe "$work/mono22.wav" --tone 1000
[ $status -eq 0 ] || fail "mono: exit status $status"
echo "$out" | grep -q "rate=22050 channels=1 kind=pcm16 declared=44100" || fail "mono: format"
[ "$(field decoded)" = 44100 ] || fail "mono: decoded $(field decoded) frames"

head -c 100000 /dev/urandom > "$work/noise.wav"
probe "$work/noise.wav"
[ $status -eq 4 ] || fail "random bytes: exit status $status, not 'not decodable'"
"$run" "$conv" prepare "$work/noise.wav" "$work/noise.prepared.wav" > "$work/noise.txt" 2>&1
status=$?
[ $status -eq 20 ] && grep -q "not an audio file that can be decoded" "$work/noise.txt" ||
    fail "prepare random bytes: exit status $status, $(cat "$work/noise.txt")"
[ ! -e "$work/noise.prepared.wav" ] || fail "prepare random bytes: a wave was written"
probe "$work"
[ $status -eq 3 ] || fail "folder: exit status $status, not 'not opened'"

# Windows sold without Media Foundation (N editions): the engine needs none.
WINEDLLOVERRIDES="mfplat=d" "$run" "$conv" prepare "$work/tones48.flac" "$work/without-mf.wav" \
    >/dev/null 2>&1 || fail "without Media Foundation: prepare exit status $?"
echo "OK"
