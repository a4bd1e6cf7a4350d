// What every control's window does alike: creation with its name attached,
// the tooltip, visibility, enabled state, place and font.
#include "platform/win32/ui/window_core.h"

namespace tf::win32 {

namespace {
// Every control's window carries its control's name as a global atom under
// this property, so that a program outside (an automation or test driver)
// can find a control by the name the program gives it.
constexpr wchar_t kControlNameProp[] = L"TfControl";
} // namespace

ControlPeer::~ControlPeer() = default;

void ControlPeer::Changed(ui::Control &, ui::Prop what) {
    if (!form_.alive)
        return;
    ++form_.updating;
    Update(what);
    --form_.updating;
}

void ControlPeer::Update(ui::Prop what) {
    if (!hwnd_)
        return;
    switch (what) {
    case ui::Prop::ToolTip:
        SyncTip();
        break;
    case ui::Prop::Visible:
        ShowWindow(hwnd_, control_.visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case ui::Prop::Enabled:
        EnableWindow(hwnd_, control_.enabled());
        break;
    case ui::Prop::Geometry:
    case ui::Prop::Font:
        Place();
        break;
    case ui::Prop::AccessibleName:
        NameChanged();
        break;
    case ui::Prop::Caption:
    case ui::Prop::Value:
    case ui::Prop::Style:
    case ui::Prop::Picture:
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
    default:
        break;
    }
}

HBRUSH ControlPeer::Colors(HDC dc) {
    // Both colours, or the text stays black on a dark scheme.
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return form_.sys->face_brush();
}

HFONT ControlPeer::Font(bool symbol) const {
    return form_.sys->fonts.Get(control_.font(), form_.dpi, symbol);
}

void ControlPeer::Place() {
    if (!hwnd_)
        return;
    const RECT r = PxRect(control_.rect(), form_.dpi);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlPeer::NameChanged() {
    if (hwnd_)
        AnnotateName(hwnd_, Widen(control_.accessible_name()));
}

void ControlPeer::Detach() {
    if (hwnd_ && IsWindow(hwnd_))
        RemovePropW(hwnd_, kControlNameProp);
}

void ControlPeer::CreateWindowFor(const wchar_t *cls, DWORD style, DWORD ex,
                                  const std::wstring &text) {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (!control_.tab_stop)
        style &= ~WS_TABSTOP;
    if (control_.visible())
        style |= WS_VISIBLE;
    if (!control_.enabled())
        style |= WS_DISABLED;
    hwnd_ = CreateWindowExW(ex, cls, text.c_str(), style, 0, 0, 0, 0, form_.hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_)
        return;
    name_atom_ = std::make_unique<GlobalAtom>(Widen(control_.name()));
    if (name_atom_->get())
        SetPropW(hwnd_, kControlNameProp,
                 reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(name_atom_->get())));
    SyncTip();
    if (!control_.accessible_name().empty())
        NameChanged();
}

void ControlPeer::SyncTip() {
    if (!form_.tooltip || !hwnd_)
        return;
    tip_ = Widen(control_.tooltip());
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = form_.hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = tip_.data();
    SendMessageW(form_.tooltip, tool_added_ ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&ti));
    tool_added_ = true;
}

} // namespace tf::win32
