#!/bin/sh
# The 32-bit library run by a 32-bit program under Wine: it must write the same
# bytes as the 64-bit library called by the same program built for 64 bits.
#   dll32_test.sh EMULATOR tf-wavegen.exe caller64.exe caller32.exe WORKDIR
set -u
run=$1 gen=$2 caller64=$3 caller32=$4 work=$5
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }

"$run" "$gen" "$work/in.wav" --frames 300001 --list || fail "wavegen"
"$run" "$caller64" "$work/in.wav" "$work/out64.kpf" || fail "64-bit call"
"$run" "$caller32" "$work/in.wav" "$work/out32.kpf" || fail "32-bit call (is wine32 installed?)"
[ "$(stat -c %s "$work/out64.kpf")" = $((1402188 + 1200004)) ] || fail "size of the 64-bit file"
cmp "$work/out64.kpf" "$work/out32.kpf" || fail "the two libraries wrote different bytes"
echo "OK"
