#!/usr/bin/env bash
# Trackforge's one entry point.
#   ./build.sh run    set up, build both targets, run the program (main job)
#   ./build.sh test   set up, build both targets, run every test (native and under Wine)
# Further verbs: setup, build, dist, screenshots, bench.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

setup() {
  local missing=() foreign=0
  while read -r pkg; do
    pkg=${pkg%%#*}; pkg=$(echo "$pkg" | xargs)
    [ -n "$pkg" ] || continue
    case "$pkg" in *:i386) foreign=1 ;; esac
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done < packages.txt
  if [ ${#missing[@]} -gt 0 ]; then
    # 32-bit packages are only offered once the architecture is known to dpkg;
    # the update that follows fetches its package lists.
    if [ $foreign -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
      echo "== adding the i386 architecture (32-bit Wine)"
      as_root dpkg --add-architecture i386
    fi
    echo "== installing: ${missing[*]}"
    # A mirror caught mid-sync serves a package list of the wrong size for a
    # minute or so: try again before giving up, then install from what came.
    local try lists=complete
    for try in 1 2 3 4 5; do
      as_root apt-get update -qq && { lists=complete; break; }
      lists=partial
      echo "== the package lists did not all arrive (try $try of 5)"
      [ $try -lt 5 ] && sleep $((try * 15))
    done
    local install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o Acquire::Retries=3)
    if ! as_root "${install[@]}" "${missing[@]}" >/dev/null; then
      [ $lists = partial ] || exit 1
      # Without the security archive's 32-bit list, a 32-bit library has only
      # the release's version while its 64-bit twin has the security one, and
      # both must be equal: take both from the release.
      local release
      release=$(. /etc/os-release && echo "$VERSION_CODENAME")
      echo "== installing from $release alone"
      as_root "${install[@]}" -t "$release" "${missing[@]}" >/dev/null
    fi
  fi
}

build() {
  cmake --preset native >/dev/null
  cmake --build --preset native
  cmake --preset windows >/dev/null
  cmake --build --preset windows
  tools/make-wineprefix.sh
}

# Runs the Windows tests under a virtual display, since they create real windows.
windows_ctest() {
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows "$@"
}

run_tests() {
  local rc=0
  tools/check-format.sh || rc=$?
  ctest --preset native || rc=$?
  windows_ctest || rc=$?
  return $rc
}

main_job() {
  tools/main-job.sh
}

case "${1:-}" in
  setup) setup ;;
  build) setup; build ;;
  run) setup; build; main_job ;;
  test) setup; build; run_tests ;;
  dist) setup; build; tools/dist.sh ;;
  screenshots) setup; build; tools/screenshots.sh ;;
  bench) setup; cmake --preset native >/dev/null; cmake --build --preset native; bench/run.sh; bench/prepare.sh; bench/quality.sh ;;
  *) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
