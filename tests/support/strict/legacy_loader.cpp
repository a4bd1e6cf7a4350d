#include "support/strict/legacy_loader.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>

namespace tf::testing::strict {
namespace {

using LoadLibraryExWFn = HMODULE(WINAPI *)(LPCWSTR, HANDLE, DWORD);
using GetProcAddressFn = FARPROC(WINAPI *)(HMODULE, LPCSTR);

LoadLibraryExWFn real_load = nullptr;
GetProcAddressFn real_proc = nullptr;

// Every LOAD_LIBRARY_SEARCH_* flag the update brought.
constexpr DWORD kSearchFlags = 0x00001F00;

HMODULE WINAPI LegacyLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
    if (flags & kSearchFlags) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return real_load(name, file, flags);
}

FARPROC WINAPI LegacyGetProcAddress(HMODULE module, LPCSTR name) {
    // An ordinal is a small number in place of a name.
    const bool by_name = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (by_name && module == GetModuleHandleW(L"kernel32.dll"))
        for (const char *missing :
             {"AddDllDirectory", "SetDefaultDllDirectories", "RemoveDllDirectory"})
            if (std::strcmp(name, missing) == 0) {
                SetLastError(ERROR_PROC_NOT_FOUND);
                return nullptr;
            }
    return real_proc(module, name);
}

} // namespace

bool EnforceLoaderWithoutSearchFlags() {
    static const bool done =
        Patch("KERNEL32.dll", "LoadLibraryExW", &LegacyLoadLibraryExW, real_load) &
        Patch("KERNEL32.dll", "GetProcAddress", &LegacyGetProcAddress, real_proc);
    return done;
}

} // namespace tf::testing::strict
