#!/usr/bin/env bash
# A user's whole day, end to end, under Wine in a fresh prefix of its own:
#   1. Setup.exe /S installs from an install medium laid out as tools/dist.sh does;
#   2. e2e_driver starts the program the desktop shortcut points to and works
#      through its window: a 48 kHz wave file, refused, copied in the device's
#      format on the user's Yes, name, target, "Start", card drive, clearing
#      the card, writing the project file, English, closing;
#   3. from here: the copy is a device-ready wave, the card holds exactly the
#      project file, byte for byte what the converter writes natively from
#      that copy, and the settings file holds four lines.
# The card is a 128 MB tmpfs mounted here (root needed; skipped otherwise)
# and mapped as a removable drive by the driver.
#
#   user_day.sh --setup Setup.exe --program Trackforge.exe --library Sonwerk_Projekt.dll
#               --driver e2e_driver.exe --convert-exe trackforge-convert.exe
#               --wavegen-exe tf-wavegen.exe --native-build DIR --work DIR
set -euo pipefail
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
t0=$EPOCHREALTIME
stamp() { awk -v a="$t0" -v b="$EPOCHREALTIME" -v m="$*" 'BEGIN { printf "[%6.1f s] %s\n", b - a, m }'; }

while [ $# -gt 1 ]; do
  case "$1" in
  --setup) setup_exe=$2 ;;
  --program) program_exe=$2 ;;
  --library) library_dll=$2 ;;
  --driver) driver_exe=$2 ;;
  --convert-exe) convert_exe=$2 ;;
  --wavegen-exe) wavegen_exe=$2 ;;
  --native-build) native_build=$2 ;;
  --work) work=$2 ;;
  *) fail "unknown option $1" ;;
  esac
  shift 2
done
: "${setup_exe:?}" "${program_exe:?}" "${library_dll:?}" "${driver_exe:?}" "${convert_exe:?}"
: "${wavegen_exe:?}" "${native_build:?}" "${work:?}"

[ -n "${DISPLAY:-}" ] || skip "no display (run the Windows tests under xvfb-run)"

export WINEPREFIX=$work/prefix
export HOME=$work/home # the prefix links its Desktop into $HOME, not into the real one
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8 # command lines and file names reach Wine as UTF-8
card=$work/card
letter=r

cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
  if mountpoint -q "$card" 2>/dev/null; then
    umount "$card" 2>/dev/null || umount -l "$card" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# A fresh start: a card left mounted by a run that was cut short goes first.
cleanup
rm -rf "$work"
mkdir -p "$WINEPREFIX" "$HOME" "$card" "$work/medium"

# The card: 128 MB, holding some files and a folder tree before the day starts.
out=$(mount -t tmpfs -o size=128m tf-e2e-card "$card" 2>&1) ||
  skip "cannot mount a tmpfs for the card ($out); run as root"
head -c 150000 /dev/urandom >"$card/alt.kpf"
printf 'Probe vom Montag\r\n' >"$card/notiz.txt"
mkdir -p "$card/Ordner/Tiefer"
printf 'innen\r\n' >"$card/Ordner/innen.txt"
head -c 4096 /dev/urandom >"$card/Ordner/Tiefer/rest.bin"
chmod a-w "$card/notiz.txt" # a read-only file goes too

stamp "creating the prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
# No window manager runs on the virtual display: Wine would wait 2 s for one
# to acknowledge each closed box or dialog. Unmanaged windows close at once.
printf '\n[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n' >>"$WINEPREFIX/user.reg"
c=$WINEPREFIX/drive_c
prog="$c/Programme/NOVALUX Trackforge"

# The install medium, as tools/dist.sh lays it out.
cp "$setup_exe" "$program_exe" "$library_dll" "$work/medium/"
stamp "installing: Setup.exe /S"
(cd "$work/medium" && wine ./Setup.exe /S >/dev/null 2>&1) || fail "Setup.exe /S ended with $?"
cmp -s "$program_exe" "$prog/Trackforge.exe" || fail "Trackforge.exe not in the program folder"
cmp -s "$library_dll" "$c/windows/system32/Sonwerk_Projekt.dll" || fail "library not in the system folder"
[ ! -e "$prog/Trackforge.kps" ] || fail "a settings file exists before the first start"
settings_user=$(find "$c/users" -path '*/Trackforge/Trackforge.kps' 2>/dev/null | head -n 1)
[ -z "$settings_user" ] || fail "a settings file exists before the first start: $settings_user"

# The wave file: stereo, 16 bit, 48 kHz, as a workstation exports it, with a
# LIST chunk after the audio, in a folder whose name needs the ANSI code page.
folder_win='C:\Daten\Übung'
mkdir -p "$c/Daten/Übung"
wave=$c/Daten/Übung/show.wav
prepared="$c/Daten/Übung/show (Tarvolin Audio).wav"
name='Show 2003!'
expected=$work/expected.kpf
native_cli=$native_build/library/cli
if [ -x "$native_cli/tf-wavegen" ] && [ -x "$native_cli/trackforge-convert" ]; then
  stamp "wave file from the native tools in $native_cli"
  "$native_cli/tf-wavegen" "$wave" --seconds 6 --freq 440 --rate 48000 --list >/dev/null
else
  native_cli=
  stamp "no native build in $native_build: wave file from the Windows tools"
  wine "$wavegen_exe" "Z:$wave" --seconds 6 --freq 440 --rate 48000 --list >/dev/null
fi

stamp "the day: driving Trackforge.exe"
set +e
wine "$driver_exe" --card "$letter" --card-unix "$card" --wave "$folder_win\\show.wav" \
  --target "$folder_win\\Show.kpf" --name "$name" 2>"$work/driver-stderr.txt" | tr -d '\r' | tee "$work/driver.log"
driver_rc=${PIPESTATUS[0]}
set -e
stamp "driver ended with $driver_rc"
wineserver -w
[ "$driver_rc" = 0 ] || fail "the driver found faults (log: $work/driver.log)"

# The copy Trackforge.exe made is a device-ready wave; the project file is
# what the converter writes from exactly that copy.
[ -s "$prepared" ] || fail "no copy \"$prepared\" beside the original"
header=$(od -An -tx1 -N44 "$prepared" | tr -d ' \n')
# Bytes 20 to 39: PCM, 2 channels, 44100 Hz, 176400 bytes/s, 4-byte frames, 16 bit, "data".
[ "${header:40:40}" = 0100020044ac000010b102000400100064617461 ] ||
  fail "the copy is not PCM, stereo, 44100 Hz, 16 bit: $header"
if [ -n "$native_cli" ]; then
  "$native_cli/trackforge-convert" convert "$prepared" "$expected" --name "$name" --code 0120 >/dev/null
else
  wine "$convert_exe" convert "Z:$prepared" "Z:$expected" --name "$name" --code 0120 >/dev/null
fi
[ -s "$expected" ] || fail "no expected project file"

# The card's root holds exactly the project file, as the converter writes it.
listing=$(cd "$card" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$listing" = "./Show.kpf " ] || fail "card holds: $listing"
cmp "$expected" "$card/Show.kpf" || fail "project file on the card differs from the converter's"
cmp "$expected" "$c/Daten/Übung/Show.kpf" || fail "converted project file differs from the converter's"
stamp "card holds exactly Show.kpf, identical to the converter's output for the copy ($(stat -c %s "$expected") bytes)"

# The settings: four lines, 8-bit ANSI text, CR LF; the card drive as the
# drive list shows it ("r:"), both paths, and English (0).
settings="$prog/Trackforge.kps"
if [ ! -f "$settings" ]; then
  settings=$(find "$c/users" -path '*/Trackforge/Trackforge.kps' 2>/dev/null | head -n 1)
  [ -n "$settings" ] || fail "no settings file in the program folder nor in the user's application data"
fi
printf '%s\r\n' "$letter:" "$folder_win\\show (Tarvolin Audio).wav" "$folder_win\\Show.kpf" "0" | iconv -f UTF-8 -t CP1252 \
  >"$work/expected.kps"
cmp -s "$work/expected.kps" "$settings" || {
  diff <(cat -A "$work/expected.kps") <(cat -A "$settings") >&2 || true
  fail "settings file $settings differs"
}
stamp "settings file $settings holds the four lines"
stamp "a user's day went through"
