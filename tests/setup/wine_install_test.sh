#!/usr/bin/env bash
# Installs for real under Wine, into a fresh prefix of its own (the installer
# writes to C:), and checks what a user would find afterwards.
#   wine_install_test.sh <Setup.exe> <Trackforge.exe> <Sonwerk_Projekt.dll> <lnk reader> <work folder>
set -euo pipefail
setup_exe=$1 program_exe=$2 library_dll=$3 lnk_reader=$4 work=$5

export WINEPREFIX=$work/prefix
export HOME=$work/home # the prefix links its Desktop into $HOME, not into the real one
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$WINEPREFIX" "$HOME" "$work/medium"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
cp "$setup_exe" "$program_exe" "$library_dll" "$work/medium/"
c=$WINEPREFIX/drive_c

# First install, from the medium's folder; the trace shows the processes started.
(cd "$work/medium" && WINEDEBUG=+process wine ./Setup.exe /S 2>"$work/trace1.txt") ||
  fail "Setup.exe /S ended with $?"
wineserver -w

prog="$c/Programme/NOVALUX Trackforge"
[ -d "$prog" ] || fail "no program folder"
[ -d "$prog/Tools" ] || fail "no Tools folder"
cmp -s "$program_exe" "$prog/Trackforge.exe" || fail "Trackforge.exe not in the program folder"
cmp -s "$library_dll" "$c/windows/system32/Sonwerk_Projekt.dll" || fail "library not in the system folder"
grep -q 'NtCreateUserProcess .*regsvr32.exe" cmdline L"c:/windows/system32\\\\regsvr32.exe /s Sonwerk_Projekt.dll"' \
  "$work/trace1.txt" || fail "regsvr32.exe was not started for the library"

expected_log() { # expected_log <line for Sonwerk_Projekt.dll...> -- <line for Trackforge.exe>
  local f
  for f in VB6STKIT.dll MSVCRT40.dll COMCAT.dll VB6DE.dll STDOLE2.tlb asycfilt.dll olepro32.dll \
           OLEAUT32.dll msvbvm60.dll SHELLLNK.tlb cdex_140_deu.zip VB5DB.dll MSREPL35.dll \
           MSRD2X35.dll expsrv.dll vbajet32.dll MSJINT35.dll MSJTER35.dll MSJET35.dll CMDLGDE.dll \
           Comdlg32.ocx; do
    printf '%s - Datei konnte nicht kopiert werden!\r\n' "$f"
  done
  printf '%s\r\n' "$@"
}
expected_log "Sonwerk_Projekt.dll wurde nach c:/windows/System32/Sonwerk_Projekt.dll kopiert" \
             "Sonwerk_Projekt.dll wurde registriert" "" \
             'Trackforge.exe wurde nach C:\Programme\NOVALUX Trackforge/Trackforge.exe kopiert' \
  > "$work/expected1.txt"
cmp "$work/expected1.txt" "$prog/TF_log.txt" || {
  diff <(cat -A "$work/expected1.txt") <(cat -A "$prog/TF_log.txt") >&2 || true
  fail "first log differs"
}

# The shortcut, read back through the shell's link object.
wine "$lnk_reader" > "$work/lnk.txt" 2>/dev/null || { cat "$work/lnk.txt" >&2; fail "shortcut not readable"; }
tr -d '\r' < "$work/lnk.txt" > "$work/lnk_unix.txt"
printf '%s\n' 'path=C:\Programme\NOVALUX Trackforge\Trackforge.exe' 'args=' 'desc=' 'workdir=' \
  > "$work/lnk_expected.txt"
diff "$work/lnk_expected.txt" "$work/lnk_unix.txt" >&2 || fail "shortcut holds something else"

# Second run: what is present is identical, nothing registered.
(cd "$work/medium" && WINEDEBUG=+process wine ./Setup.exe /S 2>"$work/trace2.txt") ||
  fail "second Setup.exe /S ended with $?"
wineserver -w
expected_log "Sonwerk_Projekt.dll - Datei ist identisch mit der Datei auf der Festplatte" \
             "Trackforge.exe - Datei ist identisch mit der Datei auf der Festplatte" \
  > "$work/expected2.txt"
cmp "$work/expected2.txt" "$prog/TF_log.txt" || {
  diff <(cat -A "$work/expected2.txt") <(cat -A "$prog/TF_log.txt") >&2 || true
  fail "second log differs"
}
! grep -q 'regsvr32.exe /s' "$work/trace2.txt" || fail "second run registered again"

wineserver -k 2>/dev/null || true
echo "installed, shortcut and log as expected; second run identical"
