#!/bin/sh
# trackforge-convert.exe under Wine: a batch conversion, reading the results
# back, refused inputs and targets, and 5 GiB waves, with the exit statuses a
# script relies on.
#   cli_windows_test.sh EMULATOR tf-wavegen.exe trackforge-convert.exe WORKDIR
set -u
run=$1 gen=$2 conv=$3 work=$4
rm -rf "$work" && mkdir -p "$work/out"
fail() { echo "FAIL: $*"; exit 1; }

"$run" "$gen" "$work/a.wav" --frames 1000 --list || fail "wavegen"
"$run" "$gen" "$work/b.wav" --frames 3 || fail "wavegen"
"$run" "$gen" "$work/c48.wav" --frames 10 --rate 48000 || fail "wavegen"

"$run" "$conv" convert "$work/a.wav" "$work/b.wav" "$work/out" --name "Show 2003!" || fail "batch convert"
[ "$(stat -c %s "$work/out/a.kpf")" = $((1402188 + 4000)) ] || fail "size of a.kpf"
[ "$(stat -c %s "$work/out/b.kpf")" = $((1402188 + 12)) ] || fail "size of b.kpf"
name=$(dd if="$work/out/a.kpf" bs=1 skip=11 count=30 2>/dev/null)
[ "$name" = "Show 2003                     " ] || fail "name '$name'"

info=$("$run" "$conv" info "$work/out/a.kpf") || fail "info exit status"
echo "$info"
echo "$info" | grep -q "Structure:     holds" || fail "structure"

"$run" "$conv" convert "$work/c48.wav" "$work/out/c.kpf" > "$work/refused.txt" 2>&1
status=$?
[ $status -eq 12 ] || fail "48 kHz exit status $status"
grep -q "Only waves with 44.1 kHz can be used." "$work/refused.txt" || fail "48 kHz message"
[ ! -e "$work/out/c.kpf" ] || fail "refused file written"
"$run" "$conv" convert "$work" "$work/out/d.kpf" > "$work/folder.txt" 2>&1
status=$?
[ $status -eq 3 ] || fail "folder as input: exit status $status"
grep -q "is a folder, not a wave file" "$work/folder.txt" || fail "folder message"
"$run" "$conv" convert NUL "$work/out/d.kpf" > "$work/device.txt" 2>&1
status=$?
[ $status -eq 3 ] || fail "device as input: exit status $status"
grep -q "is a device, not a file" "$work/device.txt" || fail "device message"

# A second wave file as the target (what convert *.wav gives) stays as it is.
cp "$work/b.wav" "$work/keep.wav"
"$run" "$conv" convert "$work/a.wav" "$work/b.wav" > "$work/wave.txt" 2>&1
status=$?
[ $status -eq 4 ] || fail "wave file as target: exit status $status"
grep -q "b.wav is a wave file" "$work/wave.txt" || fail "wave target message"
cmp -s "$work/b.wav" "$work/keep.wav" || fail "the wave file target was changed"

# A device-ready wave under a name with umlauts is copied with its audio as it
# is, and an existing target is never replaced.
cp "$work/a.wav" "$work/Grüße.wav"
"$run" "$conv" prepare "$work/Grüße.wav" "$work/für Ü.wav" || fail "prepare: exit status $?"
# a.wav carries a LIST chunk behind its 4000 audio bytes; only the audio is copied.
[ "$(stat -c %s "$work/für Ü.wav")" = 4044 ] || fail "prepare: size"
cmp -s -i 44 -n 4000 "$work/a.wav" "$work/für Ü.wav" || fail "prepare: audio not copied unchanged"
cp "$work/für Ü.wav" "$work/prepared.wav"
"$run" "$conv" prepare "$work/b.wav" "$work/für Ü.wav" > /dev/null 2>&1
status=$?
[ $status -eq 22 ] || fail "prepare over an existing file: exit status $status"
cmp -s "$work/prepared.wav" "$work/für Ü.wav" || fail "prepare replaced an existing file"
ls "$work" | grep -qa partial && fail "prepare left a partial file"

# A name that no ANSI code page holds reaches the converter whole (it reads the
# wide command line), is written and removed under its own name, and comes
# back in the messages as UTF-8; on a console as the characters themselves.
uni="♪ Ωμέγα 音楽"
export LC_ALL=C.UTF-8
cp "$work/a.wav" "$work/$uni.wav"
"$run" "$conv" convert "$work/$uni.wav" "$work/out/$uni.kpf" --name "Unicode" > "$work/uni.txt" 2>&1 ||
    fail "convert of a non-ANSI name: exit status $?: $(cat "$work/uni.txt")"
[ "$(stat -c %s "$work/out/$uni.kpf")" = $((1402188 + 4000)) ] || fail "size of the non-ANSI project file"
grep -q "$uni.kpf" "$work/uni.txt" || fail "the non-ANSI name is not printed as UTF-8: $(cat "$work/uni.txt")"
"$run" "$conv" prepare "$work/$uni.wav" "$work/$uni (2).wav" > /dev/null 2>&1 || fail "prepare of a non-ANSI name"
cmp -s -i 44 -n 4000 "$work/a.wav" "$work/$uni (2).wav" || fail "prepare of a non-ANSI name: audio"
# convert --prepare removes the wave it made beside the project file by its name.
sox -n -r 48000 -b 16 -c 2 "$work/c48 $uni.wav" synth 0.1 sine 1000 || fail "sox"
"$run" "$conv" convert "$work/c48 $uni.wav" "$work/out/$uni 48.kpf" --prepare > /dev/null 2>&1 ||
    fail "convert --prepare of a non-ANSI name"
ls "$work/out" | grep -q "prepare" && fail "convert --prepare left its wave behind: $(ls "$work/out")"
if command -v script > /dev/null; then
    # A short name, since the console wraps long lines at the terminal's width.
    (cd "$work/out" && script -qec "\"$run\" \"$conv\" info \"$uni.kpf\"" /dev/null) > "$work/console.txt" 2>&1
    grep -q "$uni.kpf" "$work/console.txt" || fail "the name on a console: $(cat "$work/console.txt")"
fi

# Sparse 5 GiB waves whose sizes are all ones or wrapped at 2^32: all audio is
# converted. NUL takes the data, so the status must go to standard error.
fmt='WAVEfmt \020\000\000\000\001\000\002\000\104\254\000\000\020\261\002\000\004\000\020\000data'
for form in '\377\377\377\377 \377\377\377\377' '\370\377\377\077 \324\377\377\077'; do
    riff=${form% *} data=${form#* }
    printf "RIFF$riff$fmt$data" > "$work/big.wav"
    truncate -s 5G "$work/big.wav" || { echo "SKIP: no room for a sparse 5 GiB file"; break; }
    "$run" "$conv" convert "$work/big.wav" NUL > "$work/big.out" 2> "$work/big.err"
    status=$?
    rm -f "$work/big.wav"
    cat "$work/big.err"
    [ $status -eq 0 ] || fail "5 GiB wave: exit status $status"
    grep -q "audio 5368709076 bytes" "$work/big.err" || fail "5 GiB wave: not all audio converted"
    [ ! -s "$work/big.out" ] || fail "status line written to standard output with NUL as target"
done
echo "OK"
