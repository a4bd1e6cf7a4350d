#!/usr/bin/env bash
# Installs for real under Wine, into a fresh prefix of its own (the installer
# writes to C:), and checks what a user would find afterwards: a window shown
# for its picture that installs nothing, the first install (Setup.exe started
# from another folder; one library that registers itself, one whose
# registration fails, and the conversion library, which has nothing to
# register), a second run that finds everything identical, a program held
# open, uninstalling (silent and asked, with the library's shared count), and
# a program folder that fills up during the copy (a tmpfs; root needed, that
# part is skipped otherwise).
#   wine_install_test.sh <Setup.exe> <Trackforge.exe> <Sonwerk_Projekt.dll> <setup_probe.exe> <work folder> <register_probe.dll>
set -euo pipefail
setup_exe=$1 program_exe=$2 library_dll=$3 probe=$4 work=$5 register_dll=$6

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
cp "$register_dll" "$work/medium/VB6STKIT.dll"
cp "$register_dll" "$work/medium/VB6DE.dll"
sys32=$c/windows/system32
shared='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trackforge'
libvalue='c:\windows\System32\Sonwerk_Projekt.dll'
uninstaller='C:\Programme\NOVALUX Trackforge\Setup.exe'

install() { # install <trace file>: Setup.exe /S, started from a folder without the files
  status=0
  (cd "$work" && WINEDEBUG=+process wine "$work/medium/Setup.exe" /S 2>"$1") || status=$?
  wineserver -w
}
uninstall() { # uninstall: the silent uninstall the entry names; its exit status in $status
  status=0
  (cd "$work" && wine "$uninstaller" /uninstall /S >/dev/null 2>&1) || status=$?
  wineserver -w
}
count() { # the library's shared count, empty when there is none
  wine reg query "$shared" /reg:64 /v "$libvalue" 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_DWORD[[:space:]]*0x\([0-9a-f]*\).*/\1/p'
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
      if [[ "$1" == *kopiert* ]]; then
        case $name in
          VB6STKIT.dll) printf '%s wurde registriert\r\n\r\n' "$name" ;;
          VB6DE.dll) printf '%s konnte nicht registriert werden! (regsvr32 endete mit N)\r\n' "$name" ;;
          *.dll) printf '%s enthält keine DllRegisterServer-Funktion und wird nicht registriert\r\n' "$name" ;;
        esac
      fi
    else
      printf '%s - Datei konnte nicht kopiert werden!\r\n' "$name"
    fi
  done < "$work/table.txt"
}
check_log() { # check_log <expected file> <what>; the log is in the ANSI code page
  iconv -f CP1252 -t UTF-8 "$prog/TF_log.txt" |
    sed -E 's/\(regsvr32 endete mit [1-9][0-9]*\)/(regsvr32 endete mit N)/' > "$work/log.txt"
  cmp "$1" "$work/log.txt" || {
    diff <(cat -A "$1") <(cat -A "$work/log.txt") >&2 || true
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
cmp -s "$library_dll" "$sys32/Sonwerk_Projekt.dll" || fail "library not in the system folder"
grep -q 'NtCreateUserProcess .*regsvr32.exe" cmdline L"c:/windows/system32\\\\regsvr32.exe /s VB6STKIT.dll"' \
  "$work/trace1.txt" || fail "regsvr32.exe was not started for the library that registers itself"
! grep -q 'regsvr32.exe /s Sonwerk_Projekt.dll' "$work/trace1.txt" ||
  fail "regsvr32.exe was started for a library without DllRegisterServer"
[ -e "$sys32/VB6STKIT.dll.registered" ] || fail "VB6STKIT.dll did not register itself"
expected_log '%s wurde nach %s/%s kopiert\r\n' > "$work/expected1.txt"
check_log "$work/expected1.txt" "first log differs"

# The shortcuts on the public desktop and in the Start menu, read back through
# the shell's link object.
printf '%s\n' 'path=C:\Programme\NOVALUX Trackforge\Trackforge.exe' 'args=' 'desc=' 'workdir=' \
  > "$work/lnk_expected.txt"
for csidl in 25 23; do # CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS
  wine "$probe" lnk $csidl > "$work/lnk.txt" 2>/dev/null || { cat "$work/lnk.txt" >&2; fail "shortcut $csidl not readable"; }
  tr -d '\r' < "$work/lnk.txt" > "$work/lnk_unix.txt"
  diff "$work/lnk_expected.txt" "$work/lnk_unix.txt" >&2 || fail "shortcut $csidl holds something else"
done

# The entry in Programs and Features, and the library counted once.
wine reg query "$entry" /reg:64 2>/dev/null | tr -d '\r' > "$work/entry.txt"
for want in 'DisplayName    REG_SZ    Trackforge' 'Publisher    REG_SZ    NOVALUX' \
            'InstallLocation    REG_SZ    C:\Programme\NOVALUX Trackforge' \
            'QuietUninstallString    REG_SZ    "C:\Programme\NOVALUX Trackforge\Setup.exe" /uninstall /S' \
            'DisplayIcon    REG_SZ    C:\Programme\NOVALUX Trackforge\Trackforge.exe,0'; do
  grep -qF "$want" "$work/entry.txt" || { cat "$work/entry.txt" >&2; fail "uninstall entry lacks: $want"; }
done
grep -q 'EstimatedSize    REG_DWORD    0x[0-9a-f]*[1-9a-f]' "$work/entry.txt" || fail "no estimated size"
cmp -s "$setup_exe" "$prog/Setup.exe" || fail "no uninstaller in the program folder"
[ "$(count)" = 1 ] || fail "the library's shared count is '$(count)', not 1"

# Second run: what is present is identical, nothing registered, not counted twice.
install "$work/trace2.txt"
[ "$status" = 0 ] || fail "second Setup.exe /S ended with $status"
[ "$(count)" = 1 ] || fail "a second run counted the library again: '$(count)'"
expected_log '%s - Datei ist identisch mit der Datei auf der Festplatte\r\n%.0s%.0s' > "$work/expected2.txt"
check_log "$work/expected2.txt" "second log differs"
! grep -q 'regsvr32.exe /s' "$work/trace2.txt" || fail "second run registered again"

# A program held open cannot be replaced: the unattended install says 2.
touch -r "$work/medium/Trackforge.exe" "$work/medium-date"
touch -d '+1 day' "$work/medium/Trackforge.exe"
wine "$probe" sperre 'C:\Programme\NOVALUX Trackforge\Trackforge.exe' 'C:\held' >/dev/null 2>&1 &
holder=$!
for _ in $(seq 100); do [ -e "$c/held" ] && break; sleep 0.2; done
[ -e "$c/held" ] || fail "the program could not be held open"
status=0 # not install(): its wait for every Wine process would wait for the holder too
(cd "$work" && wine "$work/medium/Setup.exe" /S >/dev/null 2>&1) || status=$?
rm -f "$c/held"; wait $holder || true
wineserver -w
[ "$status" = 2 ] || fail "a program held open ended with $status, not 2"
LC_ALL=C grep -q $'^Trackforge.exe wird gerade ausgef.hrt und kann nicht ersetzt werden\r$' "$prog/TF_log.txt" ||
  fail "the log does not say the program is in use"
touch -r "$work/medium-date" "$work/medium/Trackforge.exe"
install "$work/trace6.txt"
[ "$status" = 0 ] || fail "the install after closing the program ended with $status"

# Uninstalling: everything the install put in place goes, the settings stay,
# and the library goes with its last count.
echo settings > "$prog/Trackforge.kps"
uninstall
[ "$status" = 0 ] || fail "Setup.exe /uninstall /S ended with $status"
[ "$(ls -A "$prog")" = Trackforge.kps ] || fail "left in the program folder: $(ls -A "$prog")"
[ ! -e "$sys32/Sonwerk_Projekt.dll" ] || fail "the library stayed although nothing counts on it"
[ -z "$(count)" ] || fail "the shared count stayed: $(count)"
! wine reg query "$entry" /reg:64 >/dev/null 2>&1 || fail "the uninstall entry stayed"
for f in "$c/users/Public/Desktop/Trackforge.lnk" \
         "$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Trackforge.lnk"; do
  [ ! -e "$f" ] || fail "left: $f"
done
rm "$prog/Trackforge.kps"

# Another program counts on the library: it stays, with that program's count.
install "$work/trace7.txt"
[ "$status" = 0 ] || fail "the install before the shared uninstall ended with $status"
wine reg add "$shared" /reg:64 /v "$libvalue" /t REG_DWORD /d 2 /f >/dev/null 2>&1
uninstall
[ "$status" = 0 ] || fail "the uninstall with a shared library ended with $status"
[ -e "$sys32/Sonwerk_Projekt.dll" ] || fail "the library went although another program counts on it"
[ "$(count)" = 1 ] || fail "the shared count is '$(count)', not 1"
[ ! -e "$prog" ] || fail "the program folder stayed: $(ls -A "$prog")"

# Asked: one question, then the outcome, in the language of the install.
install "$work/trace8.txt"
wine reg add "$entry" /reg:64 /v Sprache /t REG_DWORD /d 2 /f >/dev/null 2>&1
wine "$probe" antworte "$uninstaller" /uninstall 7 2>/dev/null | tr -d '\r' > "$work/ask-no.txt" # IDNO
grep -q '^box=Do you want to remove Trackforge' "$work/ask-no.txt" && grep -qx 'exit=3' "$work/ask-no.txt" ||
  { cat "$work/ask-no.txt" >&2; fail "no to the question did not cancel"; }
[ -e "$prog/Trackforge.exe" ] || fail "no to the question removed the program"
wine "$probe" antworte "$uninstaller" /uninstall 6 1 2>/dev/null | tr -d '\r' > "$work/ask-yes.txt" # IDYES, IDOK
wineserver -w
grep -qx 'box=Trackforge has been removed.' "$work/ask-yes.txt" && grep -qx 'exit=0' "$work/ask-yes.txt" ||
  { cat "$work/ask-yes.txt" >&2; fail "the asked uninstall did not end as removed"; }
[ ! -e "$prog" ] || fail "the asked uninstall left: $(ls -A "$prog")"

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

echo "picture inert; installed from another folder, registrations, shortcuts, entry and log as" \
  "expected; second run identical; program held open; uninstalled silent, shared and asked;" \
  "exit statuses; full disk leaves the old file and the next run repairs it"
