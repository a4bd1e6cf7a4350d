#include "support/strict/unbuffered_io.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>

namespace tf::testing::strict {
namespace {

decltype(&::CreateFileW) real_create = nullptr;
decltype(&::ReadFile) real_read = nullptr;
decltype(&::WriteFile) real_write = nullptr;
decltype(&::CloseHandle) real_close = nullptr;
// The layer asks where a handle stands through the system's own function,
// whatever the program's import of it points at.
decltype(&::SetFilePointerEx) real_seek_ex = &SetFilePointerEx;
decltype(&::SetFilePointer) real_seek = nullptr;

std::mutex lock;
std::set<HANDLE> &Unbuffered() {
    static std::set<HANDLE> handles;
    return handles;
}
std::atomic<int> refused{0};

bool IsUnbuffered(HANDLE h) {
    std::lock_guard<std::mutex> guard(lock);
    return Unbuffered().count(h) != 0;
}

bool Aligned(std::uint64_t n) {
    return n % kStrictSectorBytes == 0;
}

// Where the call would start: the OVERLAPPED offset when given, else the
// handle's file pointer (which SetFilePointer(Ex) may have put anywhere).
bool StartsAligned(HANDLE h, const OVERLAPPED *overlapped) {
    if (overlapped)
        return Aligned((static_cast<std::uint64_t>(overlapped->OffsetHigh) << 32) |
                       overlapped->Offset);
    LARGE_INTEGER zero{}, position{};
    if (!real_seek_ex(h, zero, &position, FILE_CURRENT))
        return true; // not a seeking device: the rule does not apply
    return Aligned(static_cast<std::uint64_t>(position.QuadPart));
}

// False, with the error Windows gives, when the call breaks the rule.
bool Allowed(HANDLE h, const void *buffer, DWORD length, const OVERLAPPED *overlapped) {
    if (!IsUnbuffered(h))
        return true;
    if (Aligned(length) && Aligned(reinterpret_cast<std::uintptr_t>(buffer)) &&
        StartsAligned(h, overlapped))
        return true;
    ++refused;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

HANDLE WINAPI StrictCreateFileW(LPCWSTR name, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE model) {
    HANDLE h = real_create(name, access, share, security, disposition, flags, model);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    const DWORD error = GetLastError(); // ERROR_ALREADY_EXISTS tells callers something
    {
        // A handle value may come back after a close the layer did not see.
        std::lock_guard<std::mutex> guard(lock);
        if (flags & FILE_FLAG_NO_BUFFERING)
            Unbuffered().insert(h);
        else
            Unbuffered().erase(h);
    }
    SetLastError(error);
    return h;
}

BOOL WINAPI StrictReadFile(HANDLE h, LPVOID buffer, DWORD length, LPDWORD done,
                           LPOVERLAPPED overlapped) {
    if (!Allowed(h, buffer, length, overlapped))
        return FALSE;
    return real_read(h, buffer, length, done, overlapped);
}

BOOL WINAPI StrictWriteFile(HANDLE h, LPCVOID buffer, DWORD length, LPDWORD done,
                            LPOVERLAPPED overlapped) {
    if (!Allowed(h, buffer, length, overlapped))
        return FALSE;
    return real_write(h, buffer, length, done, overlapped);
}

// Windows refuses to move the pointer of an unbuffered handle off a sector
// boundary (SetFilePointer(Ex): ERROR_INVALID_PARAMETER); it stays where it was.
template <class Move> bool MovedAligned(HANDLE h, Move move) {
    LARGE_INTEGER zero{}, before{}, after{};
    if (!IsUnbuffered(h) || !real_seek_ex(h, zero, &before, FILE_CURRENT))
        return move();
    if (!move())
        return false;
    if (real_seek_ex(h, zero, &after, FILE_CURRENT) &&
        !Aligned(static_cast<std::uint64_t>(after.QuadPart))) {
        real_seek_ex(h, before, nullptr, FILE_BEGIN);
        ++refused;
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

BOOL WINAPI StrictSetFilePointerEx(HANDLE h, LARGE_INTEGER distance, PLARGE_INTEGER moved_to,
                                   DWORD method) {
    LARGE_INTEGER result{};
    if (!MovedAligned(h, [&] { return real_seek_ex(h, distance, &result, method) != 0; }))
        return FALSE;
    if (moved_to)
        *moved_to = result;
    return TRUE;
}

DWORD WINAPI StrictSetFilePointer(HANDLE h, LONG distance, PLONG distance_high, DWORD method) {
    DWORD low = INVALID_SET_FILE_POINTER;
    LONG high = distance_high ? *distance_high : 0;
    const bool moved = MovedAligned(h, [&] {
        SetLastError(NO_ERROR); // a low part of all ones is a position too
        low = real_seek(h, distance, distance_high ? &high : nullptr, method);
        return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
    });
    if (!moved)
        return INVALID_SET_FILE_POINTER;
    if (distance_high)
        *distance_high = high;
    return low;
}

BOOL WINAPI StrictCloseHandle(HANDLE h) {
    {
        std::lock_guard<std::mutex> guard(lock);
        Unbuffered().erase(h);
    }
    return real_close(h);
}

} // namespace

bool EnforceUnbufferedAlignment() {
    static const bool enforced = [] {
        // Each patch is tried, so one missing import leaves the others working.
        bool all = Patch("KERNEL32.dll", "CreateFileW", &StrictCreateFileW, real_create);
        all = Patch("KERNEL32.dll", "ReadFile", &StrictReadFile, real_read) && all;
        all = Patch("KERNEL32.dll", "WriteFile", &StrictWriteFile, real_write) && all;
        all = Patch("KERNEL32.dll", "CloseHandle", &StrictCloseHandle, real_close) && all;
        // Moving the pointer is checked where the program moves it at all.
        Patch("KERNEL32.dll", "SetFilePointerEx", &StrictSetFilePointerEx, real_seek_ex);
        Patch("KERNEL32.dll", "SetFilePointer", &StrictSetFilePointer, real_seek);
        return all;
    }();
    return enforced;
}

int RefusedUnbufferedCalls() {
    return refused.load();
}

} // namespace tf::testing::strict
