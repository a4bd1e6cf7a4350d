#include "support/strict/slow_card.h"

#include "support/strict/import_patch.h"

#include <windows.h>
#include <winioctl.h>

#include <atomic>
#include <cwctype>
#include <map>
#include <mutex>

namespace tf::testing::strict {

namespace {

decltype(&::CreateFileW) real_create = nullptr;
decltype(&::ReadFile) real_read = nullptr;
decltype(&::WriteFile) real_write = nullptr;
decltype(&::CloseHandle) real_close = nullptr;
decltype(&::FlushFileBuffers) real_flush = nullptr;
decltype(&::DeviceIoControl) real_control = nullptr;

std::atomic<wchar_t> card_letter{0};
std::atomic<bool> pulled{false};
std::atomic<std::uint64_t> bytes_written{0}, bytes_read{0};

struct Lane {
    double bytes_per_second = 1;
    double busy_until = 0; // seconds on the performance counter
};

struct State {
    std::mutex lock;
    std::map<HANDLE, bool> open; // handles on the card; true: opened before a pull
    Lane write_lane, read_lane;
    CardVolume volume;
    std::map<HANDLE, bool> volumes; // the card's volume handles; true: holds the lock
    std::vector<std::string> volume_calls;
};
State &S() {
    static State s;
    return s;
}

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// "R:\x", "r:/x", "\\?\R:\x".
bool OnCard(LPCWSTR path) {
    if (!path)
        return false;
    if (path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'?' || path[2] == L'.') &&
        path[3] == L'\\')
        path += 4;
    const wchar_t letter = card_letter.load();
    return letter != 0 && path[0] != 0 && path[1] == L':' &&
           std::towupper(static_cast<wint_t>(path[0])) ==
               std::towupper(static_cast<wint_t>(letter));
}

// "\\.\R:" exactly: the volume, not a file on it.
bool IsVolume(LPCWSTR path) {
    return path && path[0] == L'\\' && path[1] == L'\\' && path[2] == L'.' && path[3] == L'\\' &&
           OnCard(path) && path[6] == 0;
}

void Record(const std::string &call, bool ok) {
    std::lock_guard<std::mutex> g(S().lock);
    S().volume_calls.push_back(ok ? call : call + " refused");
}

// Takes the medium's time for `bytes`: the lane is a bandwidth, so the
// caller's own work between calls overlaps with it, as with a real device.
void Throttle(Lane &lane, std::uint64_t bytes, double started) {
    double until;
    {
        std::lock_guard<std::mutex> g(S().lock);
        lane.busy_until = (lane.busy_until > started ? lane.busy_until : started) +
                          static_cast<double>(bytes) / lane.bytes_per_second;
        until = lane.busy_until;
    }
    for (double left = until - Now(); left > 0; left = until - Now())
        Sleep(static_cast<DWORD>(left * 1000) + 1);
}

// 0: not on the card; 1: on the card; -1: on the card and broken by a pull.
int Kind(HANDLE h) {
    std::lock_guard<std::mutex> g(S().lock);
    const auto it = S().open.find(h);
    if (it == S().open.end())
        return 0;
    return it->second || pulled ? -1 : 1;
}

HANDLE WINAPI SlowCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE templ) {
    const bool card = OnCard(name);
    const bool volume = IsVolume(name);
    if (card && pulled) {
        SetLastError(ERROR_NOT_READY);
        return INVALID_HANDLE_VALUE;
    }
    bool as_windows, locked = false;
    {
        std::lock_guard<std::mutex> g(S().lock);
        as_windows = S().volume.as_windows;
        for (const auto &[handle, holds] : S().volumes)
            locked = locked || holds;
    }
    if (card && as_windows) {
        const DWORD both = FILE_SHARE_READ | FILE_SHARE_WRITE;
        const DWORD refused = locked                             ? ERROR_ACCESS_DENIED
                              : volume && (share & both) != both ? ERROR_SHARING_VIOLATION
                                                                 : ERROR_SUCCESS;
        if (volume)
            Record("open", refused == ERROR_SUCCESS);
        if (refused != ERROR_SUCCESS) {
            SetLastError(refused);
            return INVALID_HANDLE_VALUE;
        }
    }
    HANDLE h = real_create(name, access, share, sa, disposition, flags, templ);
    if (card && h != INVALID_HANDLE_VALUE) {
        std::lock_guard<std::mutex> g(S().lock);
        if (volume)
            S().volumes[h] = false;
        else
            S().open[h] = false;
    }
    return h;
}

bool VolumeAsWindows(HANDLE h) {
    std::lock_guard<std::mutex> g(S().lock);
    return S().volume.as_windows && S().volumes.count(h) != 0;
}

BOOL Refuse(DWORD code) {
    SetLastError(code);
    return FALSE;
}

BOOL WINAPI CardFlushFileBuffers(HANDLE h) {
    if (!VolumeAsWindows(h))
        return real_flush(h);
    Record("flush", false);
    return Refuse(ERROR_ACCESS_DENIED);
}

BOOL WINAPI CardDeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD in_size, LPVOID out,
                                DWORD out_size, LPDWORD returned, LPOVERLAPPED ov) {
    if (!VolumeAsWindows(h))
        return real_control(h, code, in, in_size, out, out_size, returned, ov);
    if (returned)
        *returned = 0;
    switch (code) {
    case FSCTL_LOCK_VOLUME: {
        bool others;
        {
            std::lock_guard<std::mutex> g(S().lock);
            others = !S().open.empty();
            if (!others)
                S().volumes[h] = true;
        }
        Record("lock", !others);
        return others ? Refuse(ERROR_ACCESS_DENIED) : TRUE;
    }
    case FSCTL_DISMOUNT_VOLUME:
        Record("dismount", true);
        return TRUE;
    case IOCTL_STORAGE_MEDIA_REMOVAL:
        Record("removal", true);
        return TRUE;
    case IOCTL_STORAGE_EJECT_MEDIA: {
        bool ejects;
        {
            std::lock_guard<std::mutex> g(S().lock);
            ejects = S().volume.reader_ejects;
        }
        Record("eject", ejects);
        if (!ejects)
            return Refuse(ERROR_INVALID_FUNCTION);
        PullSlowCard();
        return TRUE;
    }
    default:
        return real_control(h, code, in, in_size, out, out_size, returned, ov);
    }
}

// A read or a write on the card: broken by a pull, else as slow as its lane.
template <class Buffer, class Real>
BOOL Through(Real real, Lane &lane, std::atomic<std::uint64_t> &counted, HANDLE h, Buffer buffer,
             DWORD n, LPDWORD done, LPOVERLAPPED ov) {
    const int kind = Kind(h);
    if (kind < 0) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const double started = Now();
    const BOOL ok = real(h, buffer, n, done, ov);
    if (kind > 0 && ok && done) {
        counted += *done;
        Throttle(lane, *done, started);
    }
    return ok;
}

BOOL WINAPI SlowReadFile(HANDLE h, LPVOID buffer, DWORD n, LPDWORD got, LPOVERLAPPED ov) {
    return Through(real_read, S().read_lane, bytes_read, h, buffer, n, got, ov);
}

BOOL WINAPI SlowWriteFile(HANDLE h, LPCVOID buffer, DWORD n, LPDWORD written, LPOVERLAPPED ov) {
    return Through(real_write, S().write_lane, bytes_written, h, buffer, n, written, ov);
}

BOOL WINAPI SlowCloseHandle(HANDLE h) {
    {
        std::lock_guard<std::mutex> g(S().lock);
        S().open.erase(h);
        S().volumes.erase(h); // and with it the lock
    }
    return real_close(h);
}

} // namespace

bool InstallSlowCard(wchar_t letter, SlowCardSpeeds speeds) {
    {
        std::lock_guard<std::mutex> g(S().lock);
        S().write_lane.bytes_per_second = speeds.write_bytes_per_second;
        S().read_lane.bytes_per_second = speeds.read_bytes_per_second;
    }
    card_letter = letter;
    pulled = false;
    if (real_create)
        return true;
    return Patch("KERNEL32.dll", "CreateFileW", &SlowCreateFileW, real_create) &&
           Patch("KERNEL32.dll", "ReadFile", &SlowReadFile, real_read) &&
           Patch("KERNEL32.dll", "WriteFile", &SlowWriteFile, real_write) &&
           Patch("KERNEL32.dll", "CloseHandle", &SlowCloseHandle, real_close) &&
           Patch("KERNEL32.dll", "FlushFileBuffers", &CardFlushFileBuffers, real_flush) &&
           Patch("KERNEL32.dll", "DeviceIoControl", &CardDeviceIoControl, real_control);
}

void SetCardVolume(CardVolume volume) {
    std::lock_guard<std::mutex> g(S().lock);
    S().volume = volume;
    S().volume_calls.clear();
}

std::vector<std::string> CardVolumeCalls() {
    std::lock_guard<std::mutex> g(S().lock);
    return S().volume_calls;
}

void PullSlowCard() {
    std::lock_guard<std::mutex> g(S().lock);
    pulled = true;
    for (auto &[handle, broken] : S().open)
        broken = true;
}

void InsertSlowCard() {
    pulled = false;
}

std::uint64_t SlowCardBytesWritten() {
    return bytes_written;
}
std::uint64_t SlowCardBytesRead() {
    return bytes_read;
}

} // namespace tf::testing::strict
