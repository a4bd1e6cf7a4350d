#include "wine_ui/win32_probe.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <map>
#include <memory>

namespace tf::test {
namespace {

HWND H(std::uintptr_t h) {
    return reinterpret_cast<HWND>(h);
}

std::map<UINT_PTR, std::function<void()>> &Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end())
        return;
    auto action = std::move(it->second);
    Pending().erase(it);
    action();
}

} // namespace

std::string WindowText(std::uintptr_t hwnd) {
    int n = GetWindowTextLengthW(H(hwnd));
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(H(hwnd), s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return win32::Narrow(s);
}

bool IsVisible(std::uintptr_t hwnd) {
    return IsWindowVisible(H(hwnd));
}
bool IsEnabled(std::uintptr_t hwnd) {
    return IsWindowEnabled(H(hwnd));
}

PixelRect RectInParent(std::uintptr_t hwnd) {
    RECT r;
    GetWindowRect(H(hwnd), &r);
    MapWindowPoints(nullptr, GetParent(H(hwnd)), reinterpret_cast<POINT *>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

PixelRect ClientRect(std::uintptr_t hwnd) {
    RECT r;
    GetClientRect(H(hwnd), &r);
    return {r.left, r.top, r.right, r.bottom};
}

std::vector<std::string> ChildTexts(std::uintptr_t hwnd) {
    std::vector<std::string> texts;
    for (HWND c = GetWindow(H(hwnd), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        texts.push_back(WindowText(reinterpret_cast<std::uintptr_t>(c)));
    return texts;
}

std::uintptr_t ChildWithText(std::uintptr_t parent, const std::string &text) {
    for (HWND c = GetWindow(H(parent), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (WindowText(reinterpret_cast<std::uintptr_t>(c)) == text)
            return reinterpret_cast<std::uintptr_t>(c);
    return 0;
}

std::uintptr_t FindTopLevel(const std::string &caption) {
    struct Search {
        std::string caption;
        HWND found = nullptr;
    } s{caption};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            if (WindowText(reinterpret_cast<std::uintptr_t>(h)) == s->caption) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return reinterpret_cast<std::uintptr_t>(s.found);
}

void Click(std::uintptr_t button) {
    SendMessageW(H(button), BM_CLICK, 0, 0);
}
void PostClick(std::uintptr_t button) {
    PostMessageW(H(button), BM_CLICK, 0, 0);
}
void Close(std::uintptr_t window) {
    SendMessageW(H(window), WM_CLOSE, 0, 0);
}
void PostClose(std::uintptr_t window) {
    PostMessageW(H(window), WM_CLOSE, 0, 0);
}

void Type(std::uintptr_t hwnd, const std::string &text) {
    for (wchar_t c : win32::Widen(text))
        SendMessageW(H(hwnd), WM_CHAR, c, 1);
}

bool PumpUntil(const std::function<bool()> &done, int timeout_ms) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    while (!done()) {
        if (GetTickCount64() > end)
            return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(5);
    }
    return true;
}

void Later(int delay_ms, std::function<void()> action) {
    UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(delay_ms), RunLater);
    Pending()[id] = std::move(action);
}

// Looked up as the product does: the function is not there before Windows 10 1607.
unsigned WindowDpi(std::uintptr_t hwnd) {
    using Fn = UINT(WINAPI *)(HWND);
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (!found) {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return static_cast<unsigned>(dpi);
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(found))(H(hwnd));
}

} // namespace tf::test
