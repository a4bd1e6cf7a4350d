#!/bin/sh
# Every function a deliverable imports must be there on Windows 7 SP1 as
# installed, without optional updates; otherwise the loader refuses to start
# the program ("entry point not found").
#   check_windows7_imports.sh OBJDUMP CXX FILE...
#
# No list of what Windows 7 exports can be had here, so the judgement is made
# of three parts:
#  - the DLL must be one Windows 7 has (no api-ms-win-* sets, no shcore.dll);
#  - a function that MinGW-w64's headers declare for _WIN32_WINNT=0x0A00 but
#    not for 0x0601 is newer than Windows 7;
#  - the headers declare some newer functions unguarded: those are named
#    below from their documented minimum versions.
set -u
objdump=$1 cxx=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# DLLs of a Windows 7 SP1 installation that the programs may import from.
windows7_dlls="kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll ole32.dll
oleaut32.dll advapi32.dll winmm.dll shlwapi.dll uxtheme.dll msvcrt.dll mpr.dll version.dll
ws2_32.dll imm32.dll crypt32.dll"

# Newer than Windows 7 SP1 by Microsoft's documentation, declared by the
# headers even for 0x0601 (or only in headers not read here).
newer="GetDpiForWindow GetDpiForSystem AdjustWindowRectExForDpi GetSystemMetricsForDpi
SystemParametersInfoForDpi SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext
GetThreadDpiAwarenessContext GetWindowDpiAwarenessContext GetAwarenessFromDpiAwarenessContext
AreDpiAwarenessContextsEqual EnableNonClientDpiScaling SetProcessDpiAwareness
GetProcessDpiAwareness GetDpiForMonitor AddDllDirectory RemoveDllDirectory
SetDefaultDllDirectories GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2
GetCurrentThreadStackLimits WaitOnAddress WakeByAddressSingle WakeByAddressAll
PrefetchVirtualMemory GetOverlappedResultEx SetThreadDescription GetThreadDescription
CreateFileMappingFromApp MapViewOfFileFromApp VirtualAllocFromApp GetPackageFamilyName
GetCurrentPackageId GetFirmwareType InitializeSynchronizationBarrier
EnterSynchronizationBarrier SetCoalescableTimer GetPointerType EnableMouseInPointer
GetProcessInformation SetProcessInformation GetThreadInformation SetThreadInformation
QueryUnbiasedInterruptTimePrecise GetOsSafeBootMode PathCchCombine PathCchAppend
PathCchCanonicalize PathAllocCombine GetSystemCpuSetInformation CompareObjectHandles
SetWindowDisplayAffinity"

# "DLL function" for every named import of every file.
for file in "$@"; do
    if [ ! -f "$file" ]; then
        echo "FAIL: $file was not built"
        echo "x-missing-file $file" >>"$work/failures"
        continue
    fi
    "$objdump" -p "$file" | awk -v file="$file" '
        /^[ \t]*DLL Name:/ { dll = tolower($3); next }
        /^[ \t]*$/ { if (dll != "") { dll = "" }; next }
        dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF >= 3 { print file, dll, $3 }
    ' >>"$work/imports"
done
[ -s "$work/imports" ] || { echo "FAIL: no imports read"; exit 1; }

# The functions the headers know, once per version.
{
    echo '#include <windows.h>'
    for h in commctrl.h commdlg.h shellapi.h shlobj.h shlwapi.h mmsystem.h uxtheme.h objbase.h \
        winioctl.h; do
        echo "#include <$h>"
    done
    awk '$2 != "msvcrt.dll" { print $3 }' "$work/imports" | sort -u |
        awk '{ printf "auto *p%d = &::%s;\n", NR, $1 }'
} >"$work/probe.cpp"
undeclared() {
    "$cxx" -std=c++20 -fsyntax-only -fmax-errors=0 -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN \
        -D_WIN32_WINNT="$1" -DWINVER="$1" "$work/probe.cpp" 2>&1 |
        sed -n "s/.*error: .::\([A-Za-z0-9_]*\). has not been declared.*/\1/p" | sort -u
}
undeclared 0x0601 >"$work/not7"
undeclared 0x0A00 >"$work/not10"
comm -23 "$work/not7" "$work/not10" >"$work/newer_by_headers"
printf '%s\n' $newer | sort -u >"$work/newer_by_docs"

status=0
while read -r file dll function; do
    reason=""
    case " $(echo $windows7_dlls) " in
    *" $dll "*) ;;
    *) reason="$dll is not a DLL of Windows 7" ;;
    esac
    if [ -z "$reason" ] && grep -qx "$function" "$work/newer_by_headers"; then
        reason="declared by the headers only after Windows 7"
    fi
    if [ -z "$reason" ] && grep -qx "$function" "$work/newer_by_docs"; then
        reason="documented minimum after Windows 7 SP1"
    fi
    if [ -n "$reason" ]; then
        echo "FAIL: $(basename "$file") imports $function from $dll: $reason"
        status=1
    fi
done <"$work/imports"
[ -s "$work/failures" ] && status=1

for file in "$@"; do
    [ -f "$file" ] && echo "$(basename "$file"): $(grep -c "^$file " "$work/imports") imports read"
done
unjudged=$(comm -12 "$work/not7" "$work/not10" | tr '\n' ' ')
[ -n "$unjudged" ] && echo "not declared by the headers read (judged by the lists only): $unjudged"
[ $status -eq 0 ] && echo "OK: every import is there on Windows 7 SP1"
exit $status
