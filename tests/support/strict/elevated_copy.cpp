#include "support/strict/elevated_copy.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>

namespace tf::testing::strict {
namespace {

decltype(&::CreateMutexW) real_create_mutex = nullptr;
decltype(&::SendMessageTimeoutW) real_send_timeout = nullptr;
decltype(&::ChangeWindowMessageFilterEx) real_filter = nullptr;
std::atomic<bool> on{false};
std::mutex lock;
std::set<HWND> copydata_allowed;

HANDLE WINAPI CreateMutexAsUser(LPSECURITY_ATTRIBUTES security, BOOL owner, LPCWSTR name) {
    HANDLE h = real_create_mutex(security, owner, name);
    if (on && h && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return h;
}

LRESULT WINAPI SendTimeoutAsUser(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT flags, UINT timeout,
                                 PDWORD_PTR result) {
    if (on && msg == WM_COPYDATA) {
        std::lock_guard<std::mutex> g(lock);
        if (!copydata_allowed.count(h)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    return real_send_timeout(h, msg, wp, lp, flags, timeout, result);
}

BOOL WINAPI FilterOfWindow(HWND h, UINT msg, DWORD action, PCHANGEFILTERSTRUCT change) {
    if (msg == WM_COPYDATA) {
        std::lock_guard<std::mutex> g(lock);
        if (action == MSGFLT_ALLOW)
            copydata_allowed.insert(h);
        else
            copydata_allowed.erase(h);
    }
    return real_filter(h, msg, action, change);
}

} // namespace

bool EnforceElevatedCopy() {
    static const bool done = [] {
        const bool mutex =
            Patch("KERNEL32.dll", "CreateMutexW", &CreateMutexAsUser, real_create_mutex);
        const bool send =
            Patch("USER32.dll", "SendMessageTimeoutW", &SendTimeoutAsUser, real_send_timeout);
        const bool filter =
            Patch("USER32.dll", "ChangeWindowMessageFilterEx", &FilterOfWindow, real_filter);
        return mutex && send && filter;
    }();
    return done;
}

void SetElevatedCopy(bool value) {
    on = value;
}

} // namespace tf::testing::strict
