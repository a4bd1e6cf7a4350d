// Buttons: a plain push button; with a picture, or as a play/pause/stop symbol
// where the symbol font is missing, drawn by hand.
#include "platform/win32/ui/peers.h"
#include "platform/win32/ui/picture_gdi.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

namespace tf::win32 {

void DrawButtonFace(HWND button, const DRAWITEMSTRUCT &di, bool pushed, UINT dpi, bool classic) {
    RECT r = di.rcItem;
    // Under high contrast the classic face is drawn in the scheme's colours;
    // a visual style may keep its own.
    HTHEME theme = classic ? nullptr : OpenThemeData(button, L"BUTTON");
    if (theme) {
        int state = (di.itemState & ODS_DISABLED) ? PBS_DISABLED
                    : pushed                      ? PBS_PRESSED
                    : (di.itemState & ODS_FOCUS)  ? PBS_DEFAULTED
                                                  : PBS_NORMAL;
        DrawThemeParentBackground(button, di.hDC, &r);
        DrawThemeBackground(theme, di.hDC, BP_PUSHBUTTON, state, &r, nullptr);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(di.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    }
    if (di.itemState & ODS_FOCUS) {
        RECT f = r;
        InflateRect(&f, -Scaled(4, dpi), -Scaled(4, dpi));
        DrawFocusRect(di.hDC, &f);
    }
}

namespace {

// The symbol font's play, pause and stop, drawn by hand.
void DrawSymbol(HDC dc, const std::string &caption, RECT r, COLORREF color) {
    const int s = std::min(r.right - r.left, r.bottom - r.top) * 2 / 5;
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    GdiObject<HBRUSH> b(CreateSolidBrush(color));
    Selected sb(dc, b.get());
    Selected sp(dc, GetStockObject(NULL_PEN));
    if (caption == "4") {
        POINT tri[] = {{cx - s / 2, cy - s / 2}, {cx + s / 2, cy}, {cx - s / 2, cy + s / 2}};
        Polygon(dc, tri, 3);
    } else if (caption == ";") {
        RECT a{cx - s / 2, cy - s / 2, cx - s / 6, cy + s / 2};
        RECT c{cx + s / 6, cy - s / 2, cx + s / 2, cy + s / 2};
        FillRect(dc, &a, b.get());
        FillRect(dc, &c, b.get());
    } else if (caption == "<") {
        RECT a{cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2};
        FillRect(dc, &a, b.get());
    }
}

// Pictures and symbols are drawn by hand, so the window's text is free to
// carry what a screen reader says: the accessible name where there is one.
class ButtonPeer : public ControlPeer {
  public:
    ButtonPeer(FormWindow &f, ui::Button &c, int id)
        : ControlPeer(f, c, id), button_(c), drawn_(c.picture || c.symbol_font) {}

    void Create() override {
        const DWORD kind = drawn_                                   ? BS_OWNERDRAW
                           : form_.form->default_button == &button_ ? BS_DEFPUSHBUTTON
                                                                    : BS_PUSHBUTTON;
        CreateWindowFor(WC_BUTTONW, WS_TABSTOP | kind, 0, Text());
    }
    void Update(ui::Prop what) override {
        if (what == ui::Prop::Caption && hwnd_)
            SetWindowTextW(hwnd_, Text().c_str());
        ControlPeer::Update(what);
    }
    void NameChanged() override {
        if (!drawn_)
            return ControlPeer::NameChanged();
        if (hwnd_)
            SetWindowTextW(hwnd_, Text().c_str());
    }
    void Command(int code) override {
        if (code == BN_CLICKED)
            form_.sys->Guard([&] { button_.Click(); });
    }
    bool Enter() override {
        if (!hwnd_ || !IsWindowEnabled(hwnd_))
            return false;
        Command(BN_CLICKED);
        return true;
    }
    void Draw(const DRAWITEMSTRUCT &di) override {
        const bool pushed = di.itemState & ODS_SELECTED;
        SavedDc saved(di.hDC);
        DrawButtonFace(hwnd_, di, pushed, form_.dpi, form_.sys->high_contrast);
        const COLORREF color =
            GetSysColor((di.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        if (button_.picture) {
            DrawFace(di.hDC, di.rcItem, pushed, color);
            return;
        }
        RECT r = di.rcItem;
        if (pushed)
            OffsetRect(&r, Scaled(1, form_.dpi), Scaled(1, form_.dpi));
        if (form_.sys->webdings)
            DrawGlyph(di.hDC, r, color);
        else
            DrawSymbol(di.hDC, button_.caption(), r, color);
    }

  private:
    std::wstring Text() const {
        const std::string &name = button_.accessible_name();
        if ((drawn_ && !name.empty()) || button_.caption().empty())
            return Widen(name);
        return Widen(button_.caption());
    }
    // The caption as the symbol font's glyph, centred.
    void DrawGlyph(HDC dc, RECT r, COLORREF color) {
        Selected sf(dc, Font(true));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color);
        const std::wstring glyph = Widen(button_.caption());
        DrawTextW(dc, glyph.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    // The picture above the caption, or beside it where the button is too flat.
    void DrawFace(HDC dc, const RECT &item, bool pushed, COLORREF color);
    ui::Button &button_;
    const bool drawn_;
};

void ButtonPeer::DrawFace(HDC dc, const RECT &item, bool pushed, COLORREF color) {
    const UINT dpi = form_.dpi;
    RECT inner = item;
    InflateRect(&inner, -Scaled(4, dpi), -Scaled(3, dpi));
    if (pushed)
        OffsetRect(&inner, Scaled(1, dpi), Scaled(1, dpi));
    std::wstring caption = Widen(button_.caption());
    if (caption.empty()) {
        DrawPictureCentered(dc, button_.picture, inner, dpi);
        return;
    }
    Selected sf(dc, Font());
    RECT measure = inner;
    DrawTextW(dc, caption.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int th = measure.bottom - measure.top;
    const SIZE pic = PictureSize(button_.picture, dpi);
    const int gap = Scaled(2, dpi);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    if (pic.cy + th + gap <= inner.bottom - inner.top) {
        const int top = inner.top + (inner.bottom - inner.top - pic.cy - th - 2) / 2;
        DrawPictureCentered(dc, button_.picture, RECT{inner.left, top, inner.right, top + pic.cy},
                            dpi);
        RECT tr{inner.left, top + pic.cy + gap, inner.right, top + pic.cy + gap + th};
        DrawTextW(dc, caption.c_str(), -1, &tr, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    const int pw = std::min<int>(pic.cx, inner.bottom - inner.top);
    DrawPictureCentered(dc, button_.picture,
                        RECT{inner.left, inner.top, inner.left + pw, inner.bottom}, dpi);
    RECT tr{inner.left + pw + gap, inner.top, inner.right, inner.bottom};
    DrawTextW(dc, caption.c_str(), -1, &tr,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

} // namespace

std::unique_ptr<ControlPeer> MakeButtonPeer(FormWindow &f, ui::Button &c, int id) {
    return std::make_unique<ButtonPeer>(f, c, id);
}

} // namespace tf::win32
