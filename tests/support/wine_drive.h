#pragma once
// Test drives under Wine: Wine's mount manager maps a drive letter to a unix
// folder with a given drive type, at once and for every process of the prefix.
// A drive defined without a folder is removed.

#include <windows.h>
#include <winioctl.h>

#include <cwctype>
#include <string>
#include <vector>

namespace tf::testing {

struct WineUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};
inline constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

inline bool DefineWineDrive(wchar_t letter, const std::string &unix_folder, UINT type) {
    // The header, then the folder's path with its NUL right behind it.
    std::vector<char> buffer(sizeof(WineUnixDrive), '\0');
    if (!unix_folder.empty()) {
        buffer.insert(buffer.end(), unix_folder.begin(), unix_folder.end());
        buffer.push_back('\0');
    }
    auto *d = reinterpret_cast<WineUnixDrive *>(buffer.data());
    d->size = static_cast<ULONG>(buffer.size());
    d->type = type;
    d->letter = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(letter)));
    if (!unix_folder.empty())
        d->mount_point_offset = sizeof(WineUnixDrive);
    HANDLE manager =
        CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const BOOL ok =
        DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                        nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok;
}

} // namespace tf::testing
