// The DPI of a window and the sizes that follow from it on every supported
// system. The per-window functions arrived with Windows 10 1607 and the
// per-monitor query with 8.1; before them every monitor has the system's DPI,
// and the classic calls answer for it.
#include "platform/win32/ui/window_core.h"

#include <cstring>

namespace tf::win32 {
namespace {

template <class Function> Function Lookup(HMODULE module, const char *name) {
    const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    Function function = nullptr;
    static_assert(sizeof found == sizeof function);
    std::memcpy(&function, &found, sizeof function);
    return function;
}

HMODULE User32() {
    static const HMODULE module = GetModuleHandleW(L"user32.dll");
    return module;
}

// Only the system folder's copy: Windows 7 has no shcore.dll, and one lying
// beside the program must never be taken for it.
HMODULE Shcore() {
    static const HMODULE module = [] {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return HMODULE{};
        return LoadLibraryExW((std::wstring(folder, length) + L"\\shcore.dll").c_str(), nullptr, 0);
    }();
    return module;
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// Windows 8.1: the effective DPI of the window's monitor (MDT_EFFECTIVE_DPI).
UINT MonitorDpi(HWND h) {
    using Fn = HRESULT(WINAPI *)(HMONITOR, int, UINT *, UINT *);
    static const Fn get = Lookup<Fn>(Shcore(), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (!get || FAILED(get(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), 0, &x, &y)))
        return 0;
    return x;
}

} // namespace

UINT WindowDpi(HWND h) {
    using Fn = UINT(WINAPI *)(HWND);
    static const Fn get = Lookup<Fn>(User32(), "GetDpiForWindow");
    UINT dpi = get ? get(h) : 0;
    if (dpi == 0)
        dpi = MonitorDpi(h);
    return dpi ? dpi : SystemDpi();
}

bool AdjustRectForDpi(RECT &r, DWORD style, DWORD ex_style, UINT dpi) {
    using Fn = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
    static const Fn adjust = Lookup<Fn>(User32(), "AdjustWindowRectExForDpi");
    if (adjust)
        return adjust(&r, style, FALSE, ex_style, dpi);
    return AdjustWindowRectEx(&r, style, FALSE, ex_style);
}

int MetricForDpi(int index, UINT dpi) {
    using Fn = int(WINAPI *)(int, UINT);
    static const Fn metric = Lookup<Fn>(User32(), "GetSystemMetricsForDpi");
    if (metric)
        return metric(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

} // namespace tf::win32
