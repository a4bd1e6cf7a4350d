#include "support/strict/windows7_system.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

namespace tf::testing::strict {
namespace {

decltype(&::LoadLibraryExW) real_load = nullptr;
decltype(&::GetProcAddress) real_proc = nullptr;

// Every LOAD_LIBRARY_SEARCH_* flag the update brought.
constexpr DWORD kSearchFlags = 0x00001F00;

// Documented minimum later than Windows 7 SP1 (or brought by KB2533623).
constexpr const char *kNewer[] = {
    "GetDpiForWindow",
    "GetDpiForSystem",
    "AdjustWindowRectExForDpi",
    "GetSystemMetricsForDpi",
    "SystemParametersInfoForDpi",
    "SetProcessDpiAwarenessContext",
    "SetThreadDpiAwarenessContext",
    "GetThreadDpiAwarenessContext",
    "EnableNonClientDpiScaling",
    "GetDpiForMonitor",
    "SetProcessDpiAwareness",
    "GetProcessDpiAwareness",
    "AddDllDirectory",
    "RemoveDllDirectory",
    "SetDefaultDllDirectories",
    "GetSystemTimePreciseAsFileTime",
    "CreateFile2",
    "CopyFile2",
};

bool EndsWith(const std::wstring &s, const wchar_t *tail) {
    const std::size_t n = std::wcslen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

HMODULE WINAPI Windows7LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
    if (flags & kSearchFlags) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::wstring lower = name ? name : L"";
    for (wchar_t &c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    if (EndsWith(lower, L"\\shcore.dll") || lower == L"shcore.dll") {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return real_load(name, file, flags);
}

FARPROC WINAPI Windows7GetProcAddress(HMODULE module, LPCSTR name) {
    // An ordinal is a small number in place of a name.
    if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF)
        for (const char *newer : kNewer)
            if (std::strcmp(name, newer) == 0) {
                SetLastError(ERROR_PROC_NOT_FOUND);
                return nullptr;
            }
    return real_proc(module, name);
}

} // namespace

bool EnforceWindows7System() {
    static const bool done =
        Patch("KERNEL32.dll", "LoadLibraryExW", &Windows7LoadLibraryExW, real_load) &
        Patch("KERNEL32.dll", "GetProcAddress", &Windows7GetProcAddress, real_proc);
    return done;
}

} // namespace tf::testing::strict
