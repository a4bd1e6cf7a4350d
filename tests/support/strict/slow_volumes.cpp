#include "support/strict/slow_volumes.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace tf::testing::strict {
namespace {

decltype(&::GetVolumeInformationW) real_volume = nullptr;
decltype(&::GetFileAttributesW) real_attributes = nullptr;
decltype(&::GetFileAttributesExW) real_attributes_ex = nullptr;
decltype(&::GetDiskFreeSpaceExW) real_free_space = nullptr;
decltype(&::FindFirstFileExW) real_find_first = nullptr;
decltype(&::CreateFileW) real_create = nullptr;

unsigned delay_ms = 3000;
std::atomic<int> waits{0};

// A UNC path lies on a server; a drive path on whatever its letter is.
bool Slow(LPCWSTR path) {
    if (!path || !path[0])
        return false;
    if ((path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/'))
        return path[2] != L'.' && path[2] != L'?'; // not a device or a long-path prefix
    if (path[1] != L':')
        return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    return type == DRIVE_REMOTE || type == DRIVE_CDROM;
}

void WaitIfSlow(LPCWSTR path) {
    if (!Slow(path))
        return;
    ++waits;
    Sleep(delay_ms);
}

BOOL WINAPI SlowVolumeInformationW(LPCWSTR root, LPWSTR label, DWORD label_size, LPDWORD serial,
                                   LPDWORD max_component, LPDWORD flags, LPWSTR fs_name,
                                   DWORD fs_size) {
    WaitIfSlow(root);
    return real_volume(root, label, label_size, serial, max_component, flags, fs_name, fs_size);
}

DWORD WINAPI SlowGetFileAttributesW(LPCWSTR path) {
    WaitIfSlow(path);
    return real_attributes(path);
}

BOOL WINAPI SlowGetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    WaitIfSlow(path);
    return real_attributes_ex(path, level, info);
}

BOOL WINAPI SlowGetDiskFreeSpaceExW(LPCWSTR path, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                    PULARGE_INTEGER free) {
    WaitIfSlow(path);
    return real_free_space(path, available, total, free);
}

HANDLE WINAPI SlowFindFirstFileExW(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                                   FINDEX_SEARCH_OPS op, LPVOID filter, DWORD flags) {
    WaitIfSlow(pattern);
    return real_find_first(pattern, level, data, op, filter, flags);
}

HANDLE WINAPI SlowCreateFileW(LPCWSTR name, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                              HANDLE model) {
    WaitIfSlow(name);
    return real_create(name, access, share, security, disposition, flags, model);
}

} // namespace

bool EnforceSlowVolumes(unsigned milliseconds) {
    delay_ms = milliseconds;
    static const bool done = [] {
        const bool volume =
            Patch("KERNEL32.dll", "GetVolumeInformationW", &SlowVolumeInformationW, real_volume);
        Patch("KERNEL32.dll", "GetFileAttributesW", &SlowGetFileAttributesW, real_attributes);
        Patch("KERNEL32.dll", "GetFileAttributesExW", &SlowGetFileAttributesExW,
              real_attributes_ex);
        Patch("KERNEL32.dll", "GetDiskFreeSpaceExW", &SlowGetDiskFreeSpaceExW, real_free_space);
        Patch("KERNEL32.dll", "FindFirstFileExW", &SlowFindFirstFileExW, real_find_first);
        Patch("KERNEL32.dll", "CreateFileW", &SlowCreateFileW, real_create);
        return volume;
    }();
    return done;
}

int SlowVolumeWaits() {
    return waits;
}

} // namespace tf::testing::strict
