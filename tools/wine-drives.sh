#!/bin/sh
# Prepares (setup) or removes (cleanup) the host side of the drives the Win32
# platform tests run on. Run by CTest around those tests.
#
#   tools/wine-drives.sh setup   DIR
#   tools/wine-drives.sh cleanup DIR
#
# DIR gets the backing folders: card/ (a tmpfs of exactly 100 MiB when
# mounting is allowed), disk/, net/, cd/,
# and "status" saying "tmpfs=yes" or
# "tmpfs=no (why)". The test program itself maps them to r: .. v: through
# Wine's mount manager, which takes the drive types at once (the prefix
# registry is only read when the mount manager starts).
set -u
verb=${1:?setup or cleanup}
dir=${2:?folder}
here=$(cd "$(dirname "$0")/.." && pwd)
dos="${TF_WINEPREFIX:-$here/build/wineprefix}/dosdevices"

unmount_card() {
  if mountpoint -q "$dir/card" 2>/dev/null; then
    umount "$dir/card" || umount -l "$dir/card" || true
  fi
}

case "$verb" in
setup)
  "$here/tools/make-wineprefix.sh" >/dev/null 2>&1 || true
  unmount_card
  mkdir -p "$dir/card" "$dir/disk" "$dir/net" "$dir/cd"
  rm -rf "$dir/nocard"
  if out=$(mount -t tmpfs -o size=100m tf-card "$dir/card" 2>&1); then
    echo "tmpfs=yes" >"$dir/status"
  else
    echo "tmpfs=no ($out)" | tr '\n' ' ' >"$dir/status"
  fi
  ;;
cleanup)
  # Links the mount manager may have left when a test run was cut short.
  for l in r s t u v w; do
    rm -f "$dos/$l:" "$dos/$l::"
  done
  unmount_card
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 setup|cleanup DIR" >&2
  exit 2
  ;;
esac
exit 0
