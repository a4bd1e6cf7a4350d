#!/usr/bin/env bash
# Installs for real under Wine, into a fresh prefix of its own (the installer
# writes to C:), and checks what a user would find afterwards: a window shown
# for its picture that installs nothing, the first install, a second run that
# finds everything identical, and a program folder that fills up during the
# copy (a tmpfs; root needed, that part is skipped otherwise).
#   wine_install_test.sh <Setup.exe> <Trackforge.exe> <Sonwerk_Projekt.dll> <setup_probe.exe> <work folder>
set -euo pipefail
setup_exe=$1 program_exe=$2 library_dll=$3 probe=$4 work=$5

export WINEPREFIX=$work/prefix
export HOME=$work/home # the prefix links its Desktop into $HOME, not into the real one
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
fail() { echo "FAIL: $*" >&2; exit 1; }
c=$WINEPREFIX/drive_c
prog="$c/Programme/NOVALUX Trackforge"
full=$work/full-disk

cleanup() {
  wineserver -k 2>/dev/null || true
  if mountpoint -q "$prog" 2>/dev/null; then umount "$prog" 2>/dev/null || umount -l "$prog" || true; fi
}
trap cleanup EXIT
cleanup
rm -rf "$work"
mkdir -p "$WINEPREFIX" "$HOME" "$work/medium"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
cp "$setup_exe" "$program_exe" "$library_dll" "$work/medium/"

install() { # install <trace file>: Setup.exe /S from the medium; its exit status in $status
  status=0
  (cd "$work/medium" && WINEDEBUG=+process wine ./Setup.exe /S 2>"$1") || status=$?
  wineserver -w
}

# The log the installer's own table gives: files on the medium copied (and
# registered where they end in dll or ocx), the others not copied.
wine "$probe" table | tr -d '\r' > "$work/table.txt"
[ "$(wc -l < "$work/table.txt")" -gt 2 ] || fail "the installer's table could not be read"
expected_log() { # expected_log <line for a file on the medium, with %s for name and folder>
  local name folder
  while IFS=$'\t' read -r name folder; do
    if [ -f "$work/medium/$name" ]; then
      # shellcheck disable=SC2059
      printf "$1" "$name" "$folder" "$name"
      if [[ "$1" == *kopiert* && ( $name == *dll || $name == *ocx ) ]]; then
        printf '%s wurde registriert\r\n\r\n' "$name"
      fi
    else
      printf '%s - Datei konnte nicht kopiert werden!\r\n' "$name"
    fi
  done < "$work/table.txt"
}
check_log() { # check_log <expected file> <what>
  cmp "$1" "$prog/TF_log.txt" || {
    diff <(cat -A "$1") <(cat -A "$prog/TF_log.txt") >&2 || true
    fail "$2"
  }
}

# A window shown for its picture acts on no button and ends when closed.
(cd "$work/medium" && wine "$probe" ansicht Setup.exe /ansicht:2:de) | tr -d '\r' > "$work/ansicht.txt"
grep -qx 'buttons=3' "$work/ansicht.txt" && grep -qx 'exit=0' "$work/ansicht.txt" ||
  { cat "$work/ansicht.txt" >&2; fail "the picture of the install window did not close quietly"; }
[ ! -e "$prog" ] || fail "the picture of the install window installed something"

# First install, from the medium's folder; the trace shows the processes started.
install "$work/trace1.txt"
[ "$status" = 0 ] || fail "Setup.exe /S ended with $status"
[ -d "$prog/Tools" ] || fail "no Tools folder"
cmp -s "$program_exe" "$prog/Trackforge.exe" || fail "Trackforge.exe not in the program folder"
cmp -s "$library_dll" "$c/windows/system32/Sonwerk_Projekt.dll" || fail "library not in the system folder"
grep -q 'NtCreateUserProcess .*regsvr32.exe" cmdline L"c:/windows/system32\\\\regsvr32.exe /s Sonwerk_Projekt.dll"' \
  "$work/trace1.txt" || fail "regsvr32.exe was not started for the library"
expected_log '%s wurde nach %s/%s kopiert\r\n' > "$work/expected1.txt"
check_log "$work/expected1.txt" "first log differs"

# The shortcut, read back through the shell's link object.
wine "$probe" lnk > "$work/lnk.txt" 2>/dev/null || { cat "$work/lnk.txt" >&2; fail "shortcut not readable"; }
tr -d '\r' < "$work/lnk.txt" > "$work/lnk_unix.txt"
printf '%s\n' 'path=C:\Programme\NOVALUX Trackforge\Trackforge.exe' 'args=' 'desc=' 'workdir=' \
  > "$work/lnk_expected.txt"
diff "$work/lnk_expected.txt" "$work/lnk_unix.txt" >&2 || fail "shortcut holds something else"

# Second run: what is present is identical, nothing registered.
install "$work/trace2.txt"
[ "$status" = 0 ] || fail "second Setup.exe /S ended with $status"
expected_log '%s - Datei ist identisch mit der Datei auf der Festplatte\r\n%.0s%.0s' > "$work/expected2.txt"
check_log "$work/expected2.txt" "second log differs"
! grep -q 'regsvr32.exe /s' "$work/trace2.txt" || fail "second run registered again"

# The documented exit statuses: a medium without the program and the library.
mkdir -p "$work/bare" && cp "$setup_exe" "$work/bare/"
status=0
(cd "$work/bare" && wine ./Setup.exe /S >/dev/null 2>&1) || status=$?
wineserver -w
[ "$status" = 6 ] || fail "a medium without program and library ended with $status, not 6"
wine "$setup_exe" '/?' 2>/dev/null | tr -d '\r' > "$work/usage.txt" || true
grep -q '/S' "$work/usage.txt" && grep -q '6' "$work/usage.txt" ||
  { cat "$work/usage.txt" >&2; fail "Setup.exe /? does not list the exit statuses"; }

# A full disk during the copy. The program folder holds what an earlier, broken
# run left: half of the program carrying the source's date. Too little room
# for the copy: that file stays as it was and no temporary file is left. Room
# again: the next run sees the size and repairs it.
rm -rf "$prog"/* && mkdir -p "$prog"
half=$(( $(stat -c %s "$program_exe") / 2 ))
if ! out=$(mount -t tmpfs -o size=$(( half + 256 * 1024 )) tf-setup-full "$prog" 2>&1); then
  echo "SKIPPED the full disk part: cannot mount a tmpfs ($out); run as root"
else
  mkdir -p "$prog/Tools"
  head -c "$half" "$program_exe" > "$prog/Trackforge.exe"
  touch -r "$program_exe" "$prog/Trackforge.exe"
  cp "$prog/Trackforge.exe" "$full"
  install "$work/trace3.txt"
  [ "$status" = 2 ] || fail "a program that did not fit ended with $status, not 2"
  cmp -s "$full" "$prog/Trackforge.exe" || fail "the failed copy changed the installed program"
  [ "$(ls -A "$prog" | LC_ALL=C sort | tr '\n' ' ')" = "TF_log.txt Tools Trackforge.exe " ] ||
    fail "left in the program folder: $(ls -A "$prog")"
  grep -q $'^Trackforge.exe - Datei konnte nicht kopiert werden!\r$' "$prog/TF_log.txt" ||
    fail "the log does not say the program was not copied"

  mount -o remount,size=64m "$prog"
  install "$work/trace4.txt"
  [ "$status" = 0 ] || fail "the run with room again ended with $status"
  cmp -s "$program_exe" "$prog/Trackforge.exe" || fail "the program was not repaired"
  grep -q $'^Trackforge.exe wurde nach C:\\\\Programme\\\\NOVALUX Trackforge/Trackforge.exe kopiert\r$' \
    "$prog/TF_log.txt" || fail "the repair is not logged as a copy"
fi

echo "picture inert; installed, shortcut and log as expected; second run identical;" \
  "exit statuses; full disk leaves the old file and the next run repairs it"
