#include "support/strict/dialog_owner.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <commdlg.h>

namespace tf::testing::strict {
namespace {

decltype(&::MessageBoxW) real_box = nullptr;
decltype(&::GetOpenFileNameW) real_open = nullptr, real_save = nullptr;

int WINAPI RecordedMessageBoxW(HWND owner, LPCWSTR, LPCWSTR, UINT) {
    DialogOwnersSeen().push_back(reinterpret_cast<std::uintptr_t>(owner));
    return IDOK;
}

BOOL WINAPI RecordedFileName(LPOPENFILENAMEW ofn) {
    DialogOwnersSeen().push_back(reinterpret_cast<std::uintptr_t>(ofn ? ofn->hwndOwner : nullptr));
    return FALSE; // as if cancelled: CommDlgExtendedError() is then 0
}

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(h, msg, wp, lp);
}

struct Start {
    HANDLE made;
    HWND window;
};

DWORD WINAPI ForeignThread(void *param) {
    auto *start = static_cast<Start *>(param);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TfStrictForeignWindow";
    RegisterClassW(&wc);
    start->window = CreateWindowExW(0, wc.lpszClassName, L"Another program", WS_OVERLAPPEDWINDOW, 0,
                                    0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    if (start->window) {
        ShowWindow(start->window, SW_SHOW);
        SetForegroundWindow(start->window);
    }
    SetEvent(start->made);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (start->window)
        DestroyWindow(start->window);
    return 0;
}

} // namespace

std::vector<std::uintptr_t> &DialogOwnersSeen() {
    static std::vector<std::uintptr_t> seen;
    return seen;
}

bool EnforceDialogOwners() {
    static const bool done =
        Patch("USER32.dll", "MessageBoxW", &RecordedMessageBoxW, real_box) &
        Patch("COMDLG32.dll", "GetOpenFileNameW", &RecordedFileName, real_open) &
        Patch("COMDLG32.dll", "GetSaveFileNameW", &RecordedFileName, real_save);
    return done;
}

ForeignForeground::ForeignForeground() {
    Start start{CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr};
    DWORD id = 0;
    thread_ = CreateThread(nullptr, 0, ForeignThread, &start, 0, &id);
    thread_id_ = id;
    if (thread_)
        WaitForSingleObject(start.made, 10000);
    CloseHandle(start.made);
    window_ = reinterpret_cast<std::uintptr_t>(start.window);
    // The switch reaches this thread as a deactivation.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

ForeignForeground::~ForeignForeground() {
    if (!thread_)
        return;
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
}

} // namespace tf::testing::strict
