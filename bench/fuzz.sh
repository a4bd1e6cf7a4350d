#!/usr/bin/env bash
# Longer runs of the fuzz targets that the test suite runs for a few seconds
# each (tests/fuzz): the wave header and conversion, the converter's `info`,
# the preparation's decoding.
#   bench/fuzz.sh [SECONDS]     (default 60 per target)
# Needs clang and libFuzzer (Debian: clang, libclang-rt-14-dev).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$here/build/native
cd "$here"
cmake --preset native >/dev/null
cmake --build --preset native --target tf_fuzz_wave_header tf_fuzz_info tf_fuzz_prepare tf-wavegen \
    trackforge-convert
for target in "fuzz_wave_header wave 70000" "fuzz_info project 1500000" \
    "fuzz_prepare audio 20000"; do
    read -r name kind max_len <<<"$target"
    echo "== $name for ${seconds} s"
    "$here/tests/fuzz/fuzz_run.sh" "$build/tests/fuzz/$name" "$kind" "$max_len" "$seconds" \
        "$build/library/cli/tf-wavegen" "$build/library/cli/trackforge-convert"
done
