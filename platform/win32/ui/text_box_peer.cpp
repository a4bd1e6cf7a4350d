// Text boxes: an edit control; the user's typing flows back into the control.
#include "platform/win32/ui/peers.h"

namespace tf::win32 {
namespace {

DWORD EditAlign(ui::Align a) {
    return a == ui::Align::Right ? ES_RIGHT : a == ui::Align::Center ? ES_CENTER : ES_LEFT;
}

// A multi-line edit asks for every key, Tab included, so the focus could not
// leave it by keyboard; Tab and Shift+Tab go on to the next control instead.
LRESULT CALLBACK TabLeaves(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(h, TabLeaves, 0);
    LRESULT r = DefSubclassProc(h, msg, wp, lp);
    if (msg == WM_GETDLGCODE && lp && reinterpret_cast<const MSG *>(lp)->message == WM_KEYDOWN &&
        reinterpret_cast<const MSG *>(lp)->wParam == VK_TAB)
        r &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    return r;
}

class TextBoxPeer : public ControlPeer {
  public:
    TextBoxPeer(FormWindow &f, ui::TextBox &c, int id) : ControlPeer(f, c, id), box_(c) {}

    void Create() override {
        DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | EditAlign(box_.alignment);
        if (box_.locked)
            style |= ES_READONLY;
        if (box_.multiline)
            style = (style & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL |
                    ES_WANTRETURN;
        CreateWindowFor(WC_EDITW, style, WS_EX_CLIENTEDGE, WithCrLf(Widen(box_.text())));
        if (hwnd_)
            SendMessageW(hwnd_, EM_LIMITTEXT, box_.max_length > 0 ? box_.max_length : 0, 0);
        if (hwnd_ && box_.multiline)
            SetWindowSubclass(hwnd_, TabLeaves, 0, 0);
        ShowEnd();
    }
    void Update(ui::Prop what) override {
        if (what == ui::Prop::Text && hwnd_) {
            SetWindowTextW(hwnd_, WithCrLf(Widen(box_.text())).c_str());
            ShowEnd();
        }
        if (what == ui::Prop::Style && hwnd_)
            SendMessageW(hwnd_, EM_SETREADONLY, box_.locked, 0);
        ControlPeer::Update(what);
    }
    void Command(int code) override {
        if (code == EN_CHANGE && form_.updating == 0 && !box_.locked)
            box_.TextFromUser(Narrow(WindowText(hwnd_)));
    }
    // Read-only boxes keep the face of a box the user types into.
    HBRUSH Colors(HDC dc) override {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return form_.sys->window_brush();
    }

  private:
    // The caret at the end scrolls a text that does not fit so that its end
    // shows; a text that fits stays where it is.
    void ShowEnd() {
        if (!hwnd_ || !box_.shows_end)
            return;
        const int length = GetWindowTextLengthW(hwnd_);
        SendMessageW(hwnd_, EM_SETSEL, length, length);
        SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
    }
    ui::TextBox &box_;
};

} // namespace

std::unique_ptr<ControlPeer> MakeTextBoxPeer(FormWindow &f, ui::TextBox &c, int id) {
    return std::make_unique<TextBoxPeer>(f, c, id);
}

} // namespace tf::win32
