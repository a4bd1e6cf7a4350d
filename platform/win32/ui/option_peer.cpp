// Option buttons: a radio button, or a picture that looks pressed while selected.
#include "platform/win32/ui/peers.h"
#include "platform/win32/ui/picture_gdi.h"

namespace tf::win32 {
namespace {

class OptionPeer : public ControlPeer {
  public:
    OptionPeer(FormWindow &f, ui::OptionButton &c, int id) : ControlPeer(f, c, id), option_(c) {}

    // A picture option's window text is free: it carries the accessible name.
    void Create() override {
        CreateWindowFor(WC_BUTTONW, WS_TABSTOP | (option_.picture ? BS_OWNERDRAW : BS_RADIOBUTTON),
                        0, option_.picture ? Widen(option_.accessible_name()) : L"");
        if (hwnd_ && !option_.picture)
            SendMessageW(hwnd_, BM_SETCHECK, option_.value(), 0);
    }
    void Update(ui::Prop what) override {
        if (what == ui::Prop::Value && hwnd_ && !option_.picture)
            SendMessageW(hwnd_, BM_SETCHECK, option_.value(), 0);
        ControlPeer::Update(what);
    }
    void NameChanged() override {
        if (!option_.picture)
            return ControlPeer::NameChanged();
        if (hwnd_)
            SetWindowTextW(hwnd_, Widen(option_.accessible_name()).c_str());
    }
    void Command(int code) override {
        if (code == BN_CLICKED)
            form_.sys->Guard([&] { option_.Click(); });
    }
    // A flag is a picture button: Enter selects it, as Space does.
    bool Enter() override {
        if (!option_.picture || !hwnd_ || !IsWindowEnabled(hwnd_))
            return false;
        Command(BN_CLICKED);
        return true;
    }
    void Draw(const DRAWITEMSTRUCT &di) override {
        HDC dc = di.hDC;
        RECT r = di.rcItem;
        SavedDc saved(dc);
        const bool on = option_.value() || (di.itemState & ODS_SELECTED);
        FillRect(dc, &r, on ? form_.sys->window_brush() : form_.sys->face_brush());
        DrawEdge(dc, &r, on ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const UINT dpi = form_.dpi;
        RECT inner = r;
        InflateRect(&inner, -Scaled(3, dpi), -Scaled(3, dpi));
        if (on)
            OffsetRect(&inner, Scaled(1, dpi), Scaled(1, dpi));
        DrawPictureCentered(dc, option_.picture, inner, dpi);
        if (di.itemState & ODS_FOCUS) {
            RECT f = r;
            InflateRect(&f, -Scaled(2, dpi), -Scaled(2, dpi));
            DrawFocusRect(dc, &f);
        }
    }

  private:
    ui::OptionButton &option_;
};

} // namespace

std::unique_ptr<ControlPeer> MakeOptionPeer(FormWindow &f, ui::OptionButton &c, int id) {
    return std::make_unique<OptionPeer>(f, c, id);
}

} // namespace tf::win32
