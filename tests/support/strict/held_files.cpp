#include "support/strict/held_files.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>

namespace tf::testing::strict {
namespace {

decltype(&::CreateFileW) real_create = nullptr;
decltype(&::MoveFileExW) real_move_ex = nullptr;
decltype(&::MoveFileW) real_move = nullptr;
decltype(&::ReplaceFileW) real_replace = nullptr;
decltype(&::DeleteFileW) real_delete = nullptr;

int refusals_per_file = 3;
std::atomic<int> refused{0};
std::mutex lock;
// Full, lower-cased path -> refusals still to come.
std::map<std::wstring, int> &Held() {
    static std::map<std::wstring, int> held;
    return held;
}

std::wstring Key(LPCWSTR path) {
    if (!path)
        return {};
    wchar_t full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(path, static_cast<DWORD>(std::size(full)), full, nullptr);
    std::wstring key = n > 0 && n < std::size(full) ? std::wstring(full, n) : std::wstring(path);
    for (wchar_t &c : key)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return key;
}

// True (with the error set) when the file is still held.
bool StillHeld(LPCWSTR path) {
    const std::wstring key = Key(path);
    std::lock_guard<std::mutex> guard(lock);
    auto it = Held().find(key);
    if (it == Held().end())
        return false;
    const int left = it->second--;
    if (it->second <= 0)
        Held().erase(it);
    ++refused;
    SetLastError(left % 2 ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED);
    return true;
}

HANDLE WINAPI HoldingCreateFileW(LPCWSTR name, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE model) {
    HANDLE h = real_create(name, access, share, security, disposition, flags, model);
    if (h != INVALID_HANDLE_VALUE && (access & (GENERIC_WRITE | FILE_WRITE_DATA | GENERIC_ALL))) {
        const DWORD error = GetLastError(); // ERROR_ALREADY_EXISTS tells callers something
        const std::wstring key = Key(name);
        {
            std::lock_guard<std::mutex> guard(lock);
            Held()[key] = refusals_per_file;
        }
        SetLastError(error);
    }
    return h;
}

BOOL WINAPI HeldMoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return StillHeld(from) || StillHeld(to) ? FALSE : real_move_ex(from, to, flags);
}

BOOL WINAPI HeldMoveFileW(LPCWSTR from, LPCWSTR to) {
    return StillHeld(from) || StillHeld(to) ? FALSE : real_move(from, to);
}

BOOL WINAPI HeldReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                             LPVOID exclude, LPVOID reserved) {
    // Windows names this case ERROR_UNABLE_TO_MOVE_REPLACEMENT and the like;
    // callers that retry look at the same two codes.
    return StillHeld(replacement) || StillHeld(replaced)
               ? FALSE
               : real_replace(replaced, replacement, backup, flags, exclude, reserved);
}

BOOL WINAPI HeldDeleteFileW(LPCWSTR path) {
    return StillHeld(path) ? FALSE : real_delete(path);
}

} // namespace

bool EnforceHeldFiles(int refusals) {
    refusals_per_file = refusals;
    static const bool enforced = [] {
        // The program may not import all of them; those it imports are held.
        const bool create = Patch("KERNEL32.dll", "CreateFileW", &HoldingCreateFileW, real_create);
        bool any_move = Patch("KERNEL32.dll", "MoveFileExW", &HeldMoveFileExW, real_move_ex);
        any_move = Patch("KERNEL32.dll", "MoveFileW", &HeldMoveFileW, real_move) || any_move;
        any_move =
            Patch("KERNEL32.dll", "ReplaceFileW", &HeldReplaceFileW, real_replace) || any_move;
        const bool del = Patch("KERNEL32.dll", "DeleteFileW", &HeldDeleteFileW, real_delete);
        return create && any_move && del;
    }();
    return enforced;
}

int RefusedWhileHeld() {
    return refused.load();
}

} // namespace tf::testing::strict
