#!/usr/bin/env bash
# Fuzzes the header check, the audio search and the writer for a bounded time.
#   bench/fuzz.sh [SECONDS]     (default 60)
# Needs clang and libFuzzer (Debian: clang, libclang-rt-14-dev). Not part of CI.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
work="$here/build/fuzz"
mkdir -p "$work/corpus"

cxx=$(command -v clang++ || command -v clang++-14 || true)
[ -n "$cxx" ] || { echo "clang++ is missing (apt-get install clang)" >&2; exit 1; }

echo "== building the fuzz target"
"$cxx" -std=c++20 -g -O1 -fsanitize=address,undefined -I"$here/tests/library" \
    -c "$here/bench/fuzz_reference.cpp" -o "$work/fuzz_reference.o"
"$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$here" -I"$here/tests/library" \
    "$here/bench/fuzz_project.cpp" "$work/fuzz_reference.o" \
    "$here/library/project_format.cpp" "$here/library/project_writer.cpp" \
    "$here/library/file_system.cpp" "$here/library/wave_header.cpp" \
    -o "$work/fuzz_project"

# Seeds: a canonical wave, one with chunks around the audio, a bare header.
if [ -z "$(ls -A "$work/corpus")" ]; then
    for bin in "$here/build/native/library/cli" "$here/build/lib-native/library/cli"; do
        if [ -x "$bin/tf-wavegen" ]; then
            "$bin/tf-wavegen" "$work/corpus/plain.wav" --frames 300
            "$bin/tf-wavegen" "$work/corpus/list.wav" --frames 301 --list
            "$bin/tf-wavegen" "$work/corpus/empty.wav" --frames 0
            break
        fi
    done
fi

echo "== fuzzing for ${seconds} s"
"$work/fuzz_project" "$work/corpus" -max_total_time="$seconds" -max_len=70000 -print_final_stats=1 \
    -artifact_prefix="$work/"
