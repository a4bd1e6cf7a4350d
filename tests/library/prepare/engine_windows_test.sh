#!/bin/sh
# The Media Foundation backend under Wine on generated files: 24-bit 48 kHz
# and FLAC decode and convert to 44.1 kHz with a clean tone and the exact
# length, also through trackforge-convert.exe prepare; a mono 22.05 kHz file
# keeps its format, and a file nothing decodes or a folder are told apart.
#   mf_windows_test.sh EMULATOR audio_probe.exe trackforge-convert.exe WORKDIR
set -u
run=$1 probe=$2 conv=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }
# Under Wine the resampler has no quality switch: its default filter must
# still keep the tone this clean, and the length within these frames of the
# exact ratio. The prepared 16-bit wave, dithered, cannot pass about 93 dB.
min_snr=85 max_error=2

tone() { sox -D -n -r "$1" -b "$2" -c "$3" "$4" synth 2 sine 1000 gain -1 || fail "sox $4"; }
tone 48000 24 2 "$work/tone48.wav"
flac -s -f -o "$work/tone48.flac" "$work/tone48.wav" 2>/dev/null || fail "flac"
tone 22050 16 1 "$work/mono22.wav"

# probe FILE ARGS...: runs the probe, keeps its report in $out.
probe() {
    "$run" "$probe" "$@" > "$work/report.txt"
    status=$?
    out=$(tr -d '\r' < "$work/report.txt")
    echo "$1: $out"
}
field() { echo "$out" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
clean_tone() {
    awk -v s="$(field snr_db)" -v m=$min_snr 'BEGIN { exit !(s >= m) }' || fail "$1: SNR $(field snr_db) dB"
}
converts_cleanly() {
    probe "$work/$1" --rate 44100 --tone 1000
    [ $status -eq 0 ] || fail "$1: exit status $status"
    echo "$out" | grep -q "rate=48000 channels=2 kind=$2 " || fail "$1: format"
    [ "$(field decoded)" = 96000 ] || fail "$1: decoded $(field decoded) frames, not 96000"
    error=$(field error)
    [ "${error#-}" -le $max_error ] || fail "$1: length off by $error frames"
    clean_tone "$1"

    "$run" "$conv" prepare "$work/$1" "$work/$1.prepared.wav" || fail "prepare $1: exit status $?"
    probe "$work/$1.prepared.wav" --tone 1000
    echo "$out" | grep -q "rate=44100 channels=2 kind=pcm16 declared=88200" || fail "prepared $1: format"
    [ "$(field decoded)" = 88200 ] || fail "prepared $1: $(field decoded) frames, not 88200"
    clean_tone "prepared $1"
}
converts_cleanly tone48.wav pcm24
converts_cleanly tone48.flac compressed

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

# Windows sold without Media Foundation (N editions): the converter must still
# start and convert device-ready waves; only the preparation is missing.
tone 44100 16 2 "$work/ready.wav"
WINEDLLOVERRIDES="mfplat=d" "$run" "$conv" convert "$work/ready.wav" "$work/ready.kpf" >/dev/null 2>&1 ||
    fail "without Media Foundation: convert exit status $?"
WINEDLLOVERRIDES="mfplat=d" "$run" "$conv" prepare "$work/tone48.wav" "$work/none.wav" >/dev/null 2>&1
status=$?
[ $status -eq 20 ] && [ ! -e "$work/none.wav" ] ||
    fail "without Media Foundation: prepare exit status $status"
echo "OK"
