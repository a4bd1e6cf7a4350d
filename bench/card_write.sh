#!/usr/bin/env bash
# The card write of a one-hour show (a 636 MB project file) on a slow card,
# through the real window under Wine: the strict layer's slow-card rule holds
# the card's files to 10 MB/s writing and 20 MB/s reading, and a probe thread
# asks the window for an answer every 100 ms. Prints the copy's and the
# read-back's seconds against the card's floor (size / write speed + size /
# read speed) and the longest stretch the window left unanswered.
#   bench/card_write.sh [BYTES]       (default: 636442188, a 60-minute show)
# Needs root for the 1 GiB tmpfs card and a built Windows tree. Not part of
# the test run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bytes=${1:-636442188}
exe="$here/build/windows/tests/wine_ui/wine_ui_long_steps_test.exe"
[ -f "$exe" ] || { echo "not built: $exe (cmake --build --preset windows)" >&2; exit 1; }
dir=$(mktemp -d /tmp/tf-bench-card.XXXXXX)
mkdir -p "$dir/card"
cleanup() {
  umount "$dir/card" 2>/dev/null || umount -l "$dir/card" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
mount -t tmpfs -o size=1g tf-bench-card "$dir/card" ||
  { echo "cannot mount a tmpfs for the card; run as root" >&2; exit 1; }
echo "tmpfs=yes" >"$dir/status"
echo "== $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
TF_WINE_DRIVES="$dir" TF_CARD_BYTES="$bytes" xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$here/cmake/wine-run.sh" "$exe" --gtest_filter='*SlowCardIsWrittenAndVerified*' 2>&1 |
  grep -E '^card write|OK \]|FAILED|Failure|Expected|Which is' || true
echo "== load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
