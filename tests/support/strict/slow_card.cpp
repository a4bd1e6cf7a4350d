#include "support/strict/slow_card.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>
#include <cwctype>
#include <map>
#include <mutex>

namespace tf::testing::strict {

namespace {

using CreateFileWFn = HANDLE(WINAPI *)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                       HANDLE);
using ReadFileFn = BOOL(WINAPI *)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using WriteFileFn = BOOL(WINAPI *)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using CloseHandleFn = BOOL(WINAPI *)(HANDLE);

CreateFileWFn real_create = nullptr;
ReadFileFn real_read = nullptr;
WriteFileFn real_write = nullptr;
CloseHandleFn real_close = nullptr;

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
    if (card && pulled) {
        SetLastError(ERROR_NOT_READY);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = real_create(name, access, share, sa, disposition, flags, templ);
    if (card && h != INVALID_HANDLE_VALUE) {
        std::lock_guard<std::mutex> g(S().lock);
        S().open[h] = false;
    }
    return h;
}

BOOL WINAPI SlowReadFile(HANDLE h, LPVOID buffer, DWORD n, LPDWORD got, LPOVERLAPPED ov) {
    const int kind = Kind(h);
    if (kind < 0) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const double started = Now();
    const BOOL ok = real_read(h, buffer, n, got, ov);
    if (kind > 0 && ok && got) {
        bytes_read += *got;
        Throttle(S().read_lane, *got, started);
    }
    return ok;
}

BOOL WINAPI SlowWriteFile(HANDLE h, LPCVOID buffer, DWORD n, LPDWORD written, LPOVERLAPPED ov) {
    const int kind = Kind(h);
    if (kind < 0) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const double started = Now();
    const BOOL ok = real_write(h, buffer, n, written, ov);
    if (kind > 0 && ok && written) {
        bytes_written += *written;
        Throttle(S().write_lane, *written, started);
    }
    return ok;
}

BOOL WINAPI SlowCloseHandle(HANDLE h) {
    {
        std::lock_guard<std::mutex> g(S().lock);
        S().open.erase(h);
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
           Patch("KERNEL32.dll", "CloseHandle", &SlowCloseHandle, real_close);
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
