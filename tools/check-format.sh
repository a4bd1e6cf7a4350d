#!/usr/bin/env bash
# Fails when a C++ source of the tree differs from what the root .clang-format
# makes of it. With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null ||
                     find app setup platform library shared tests bench -name '*.cpp' -o -name '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/tf-format.$$; then
  grep -oE '^[^ :]+:[0-9]+:[0-9]+: (warning|error)' /tmp/tf-format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/  not formatted: /'
  rm -f /tmp/tf-format.$$
  echo "== run tools/check-format.sh --fix (clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -1))" >&2
  exit 1
fi
rm -f /tmp/tf-format.$$
echo "== formatting: ${#files[@]} files as .clang-format wants them"
