#!/bin/sh
# trackforge-convert.exe under Wine: a batch conversion, reading the results
# back, and a refused wave file, with the exit statuses a script relies on.
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
echo "OK"
