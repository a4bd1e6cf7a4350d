#!/usr/bin/env bash
# Packs the Windows deliverables for the install medium:
#   dist/Trackforge/{Setup.exe,Trackforge.exe,Sonwerk_Projekt.dll} and dist/Trackforge.zip
# Setup.exe installs from its own folder; the other files of its table are
# runtime files this statically linked build does not need, and it logs them
# as not copied.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TF_WINDOWS_BUILD:-$here/build/windows}"
out="$here/dist"

# The build's own output path first; otherwise the one file of that name in the build.
find_output() {
  local name=$1 expected=$2
  if [ -f "$build/$expected" ]; then
    echo "$build/$expected"
    return
  fi
  local found
  found=$(find "$build" -name "$name" -type f -not -path '*/googletest/*' -not -path '*/i686/*' \
            -not -path '*/tests/*' 2>/dev/null | head -n 1)
  if [ -z "$found" ]; then
    echo "dist: $name not found under $build (run ./build.sh build first)" >&2
    exit 1
  fi
  echo "$found"
}

setup_exe=$(find_output Setup.exe setup/Setup.exe)
program_exe=$(find_output Trackforge.exe app/Trackforge.exe)
library_dll=$(find_output Sonwerk_Projekt.dll library/Sonwerk_Projekt.dll)

rm -rf "$out/Trackforge" "$out/Trackforge.zip"
mkdir -p "$out/Trackforge"
cp "$setup_exe" "$program_exe" "$library_dll" "$out/Trackforge/"
(cd "$out" && zip -q -r -X Trackforge.zip Trackforge)
echo "== dist: $out/Trackforge/ and $out/Trackforge.zip"
ls -l "$out/Trackforge" "$out/Trackforge.zip"
