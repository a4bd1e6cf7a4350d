// A form's window: created with its controls' peers, placed for its DPI,
// given its icons, and destroyed without running any handler.
#include "platform/win32/ui/picture_gdi.h"
#include "platform/win32/ui/window_core.h"

#include <algorithm>
#include <stdexcept>

namespace tf::win32 {

namespace {
constexpr int kFirstControlId = 100;
LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
} // namespace

ControlPeer *FormWindow::PeerWithId(int id) const {
    for (const auto &p : peers)
        if (p->id() == id)
            return p.get();
    return nullptr;
}

void Win32WindowSystem::Impl::RegisterClassOnce() {
    static bool done = false;
    if (done)
        return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = window_class.c_str();
    RegisterClassExW(&wc);
    done = true;
}

FormWindow *Win32WindowSystem::Impl::Create(ui::Form &form, HWND owner) {
    RegisterClassOnce();
    auto fw = std::make_unique<FormWindow>();
    fw->sys = this;
    fw->form = &form;
    DWORD style = form.has_title_bar
                      ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS
                      : WS_POPUP | WS_DLGFRAME | WS_CLIPSIBLINGS;
    FormWindow *raw = fw.get();
    forms.push_back(std::move(fw));
    HWND h = CreateWindowExW(WS_EX_CONTROLPARENT, window_class.c_str(),
                             Widen(form.caption()).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                             100, 100, owner, nullptr, GetModuleHandleW(nullptr), raw);
    if (!h) {
        forms.pop_back();
        throw std::runtime_error("the window could not be created");
    }
    raw->monitor_dpi = raw->dpi = WindowDpi(h);
    raw->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, h, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (raw->tooltip)
        SendMessageW(raw->tooltip, TTM_SETMAXTIPWIDTH, 0, Scaled(400, raw->dpi));
    CreateControls(*raw);
    PlaceForm(*raw);
    PlaceControls(*raw);
    SetIcons(*raw);
    if (form.accepts_dropped_files)
        DragAcceptFiles(h, TRUE);
    form.peer_ = raw;
    for (auto &p : raw->peers)
        p->control().set_peer(p.get());
    return raw;
}

void Win32WindowSystem::Impl::CreateControls(FormWindow &fw) {
    int id = kFirstControlId;
    for (ui::Control *c : fw.form->controls()) {
        std::unique_ptr<ControlPeer> peer = MakePeer(fw, *c, id++);
        if (!peer)
            continue;
        fw.peers.push_back(std::move(peer));
        fw.peers.back()->Create();
    }
    // Pictures lie behind everything, frames behind their contents.
    for (int layer : {1, 2})
        for (auto &p : fw.peers)
            if (p->hwnd() && p->Layer() == layer)
                SetWindowPos(p->hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

// The largest DPI up to `dpi` at which the designed client area fits the room.
UINT FittingDpi(const ui::Form &form, UINT dpi, int room_width, int room_height) {
    constexpr UINT kSmallest = 24; // below this nothing is readable anyway
    while (dpi > kSmallest &&
           (Px(form.client_width, dpi) > room_width || Px(form.client_height, dpi) > room_height))
        --dpi;
    return dpi;
}

// The start of a span of `size` at `start`, moved inside [low, high) as far as
// it fits; where it cannot, its start is `low`.
int Inside(int start, int size, int low, int high) {
    return std::max(low, std::min(start, high - size));
}

// The start of a span of `size` centred on [from, to).
int Centred(LONG from, LONG to, int size) {
    return static_cast<int>(from + (to - from - size) / 2);
}

} // namespace

// The window is placed inside the work area of its monitor (never under the
// taskbar or off the screen) and laid out at a lower DPI where it cannot fit
// there at the monitor's. An owned window opens centred over its owner.
void Win32WindowSystem::Impl::PlaceForm(FormWindow &fw, bool keep_position) {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(fw.hwnd, GWL_STYLE));
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(fw.hwnd, GWL_EXSTYLE));
    RECT frame{0, 0, 0, 0};
    AdjustRectForDpi(frame, style, ex, fw.monitor_dpi);
    const int frame_w = frame.right - frame.left, frame_h = frame.bottom - frame.top;

    const HWND owner = GetWindow(fw.hwnd, GW_OWNER);
    const bool over_owner = !keep_position && owner && IsWindowVisible(owner);
    MONITORINFO mi{sizeof(mi), {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(over_owner ? owner : fw.hwnd, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT &work = mi.rcWork;

    fw.dpi = FittingDpi(*fw.form, fw.monitor_dpi, work.right - work.left - frame_w,
                        work.bottom - work.top - frame_h);
    const int w = Px(fw.form->client_width, fw.dpi) + frame_w;
    const int h = Px(fw.form->client_height, fw.dpi) + frame_h;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    RECT now{};
    GetWindowRect(fw.hwnd, &now);
    int x = now.left, y = now.top;
    if (over_owner) {
        RECT o{};
        GetWindowRect(owner, &o);
        x = Centred(o.left, o.right, w);
        y = Centred(o.top, o.bottom, h);
    } else if (!keep_position && (fw.form->centered || !fw.form->has_title_bar)) {
        // A popup has no default place of its own: it is centred like a notice.
        x = Centred(work.left, work.right, w);
        y = Centred(work.top, work.bottom, h);
    }
    x = Inside(x, w, work.left, work.right);
    y = Inside(y, h, work.top, work.bottom);
    if (keep_position)
        flags |= SWP_NOMOVE; // a DPI change: the place the system suggested stands
    SetWindowPos(fw.hwnd, nullptr, x, y, w, h, flags);
}

void Win32WindowSystem::Impl::PlaceControls(FormWindow &fw) {
    for (auto &p : fw.peers)
        p->Place();
    InvalidateRect(fw.hwnd, nullptr, TRUE);
}

void Win32WindowSystem::Impl::SetIcons(FormWindow &fw) {
    int big = MetricForDpi(SM_CXICON, fw.monitor_dpi);
    int small = MetricForDpi(SM_CXSMICON, fw.monitor_dpi);
    fw.big_icon = IconHandle(CreatePictureIcon(fw.form->icon, big));
    fw.small_icon = IconHandle(CreatePictureIcon(fw.form->icon, small));
    SendMessageW(fw.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(fw.big_icon.get()));
    SendMessageW(fw.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(fw.small_icon.get()));
}

void Win32WindowSystem::Impl::Destroy(FormWindow &fw) {
    if (!fw.alive)
        return;
    fw.alive = false;
    if (fw.form->peer_ == &fw)
        fw.form->peer_ = nullptr;
    for (auto &p : fw.peers) {
        if (p->control().peer() == p.get())
            p->control().set_peer(nullptr);
        p->Detach();
    }
    // Give the owner back its input before this window goes, so that Windows
    // activates the owner and not some other program.
    if (fw.modal_owner && IsWindow(fw.modal_owner))
        EnableWindow(fw.modal_owner, TRUE);
    if (fw.hwnd && IsWindow(fw.hwnd))
        DestroyWindow(fw.hwnd);
    for (auto it = forms.begin(); it != forms.end(); ++it) {
        if (it->get() == &fw) {
            graveyard.push_back(std::move(*it));
            forms.erase(it);
            break;
        }
    }
    // Wake a loop waiting in GetMessage so it sees the window count change.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32WindowSystem::Impl::DestroyAll() {
    while (!forms.empty())
        Destroy(*forms.back());
}

namespace {

LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto *cs = reinterpret_cast<CREATESTRUCTW *>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<FormWindow *>(cs->lpCreateParams)->hwnd = h;
    }
    auto *fw = reinterpret_cast<FormWindow *>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!fw || !fw->alive)
        return DefWindowProcW(h, msg, wp, lp);
    Win32WindowSystem::Impl &sys = *fw->sys;
    ++sys.depth;
    LRESULT r = sys.Handle(*fw, msg, wp, lp);
    --sys.depth;
    return r;
}

} // namespace

} // namespace tf::win32
