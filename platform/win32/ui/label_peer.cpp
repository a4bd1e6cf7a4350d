// Labels: a static text, or drawn by hand over the picture behind it when transparent.
#include "platform/win32/ui/peers.h"

namespace tf::win32 {
namespace {

UINT DrawAlign(ui::Align a) {
    return a == ui::Align::Right ? DT_RIGHT : a == ui::Align::Center ? DT_CENTER : DT_LEFT;
}

DWORD StaticAlign(ui::Align a) {
    return a == ui::Align::Right ? SS_RIGHT : a == ui::Align::Center ? SS_CENTER : SS_LEFT;
}

class LabelPeer : public ControlPeer {
  public:
    LabelPeer(FormWindow &f, ui::Label &c, int id) : ControlPeer(f, c, id), label_(c) {}

    void Create() override {
        const DWORD style =
            label_.transparent ? SS_OWNERDRAW : SS_NOPREFIX | StaticAlign(label_.alignment);
        CreateWindowFor(WC_STATICW, style | SS_NOTIFY, 0, Widen(label_.caption()));
    }
    void Update(ui::Prop what) override {
        if (what == ui::Prop::Caption && hwnd_)
            SetWindowTextW(hwnd_, Widen(label_.caption()).c_str());
        ControlPeer::Update(what);
    }
    // Under high contrast the scheme's text colour replaces a designed one
    // too, except over a picture, which stays the text's background.
    HBRUSH Colors(HDC dc) override {
        HBRUSH brush = ControlPeer::Colors(dc);
        SetTextColor(dc, TextColor());
        return brush;
    }
    void Draw(const DRAWITEMSTRUCT &di) override {
        if (!label_.transparent)
            return;
        HDC dc = di.hDC;
        RECT r = di.rcItem;
        SavedDc saved(dc);
        form_.DrawBackdrop(hwnd_, dc);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, TextColor());
        Selected sf(dc, Font());
        std::wstring text = WindowText(hwnd_);
        DrawTextW(dc, text.c_str(), -1, &r,
                  DrawAlign(label_.alignment) | DT_WORDBREAK | DT_NOPREFIX);
    }

  private:
    COLORREF TextColor() const {
        const bool scheme =
            label_.color == ui::kNoColor || (form_.sys->high_contrast && !label_.transparent);
        return scheme ? GetSysColor(COLOR_BTNTEXT) : ColorRef(label_.color);
    }
    ui::Label &label_;
};

// A group box; one too flat for a group box is a separator line. Flat is
// judged on the designed height: judged in pixels, the same frame became a
// group box at 120 DPI and up, too low to show more than its two ends.
constexpr int kSeparatorBelowTwips = 120;

// A frame is a label in another window: caption and colour follow it alike.
class FramePeer : public LabelPeer {
  public:
    FramePeer(FormWindow &f, ui::Frame &c, int id) : LabelPeer(f, c, id), frame_(c) {}

    void Create() override {
        std::wstring text = Widen(frame_.caption());
        if (frame_.rect().height < kSeparatorBelowTwips && text.empty())
            CreateWindowFor(WC_STATICW, SS_ETCHEDHORZ, 0, text);
        else
            CreateWindowFor(WC_BUTTONW, BS_GROUPBOX, 0, text);
    }
    void Draw(const DRAWITEMSTRUCT &) override {}
    int Layer() const override { return 1; }

  private:
    ui::Frame &frame_;
};

} // namespace

std::unique_ptr<ControlPeer> MakeLabelPeer(FormWindow &f, ui::Label &c, int id) {
    return std::make_unique<LabelPeer>(f, c, id);
}

std::unique_ptr<ControlPeer> MakeFramePeer(FormWindow &f, ui::Frame &c, int id) {
    return std::make_unique<FramePeer>(f, c, id);
}

} // namespace tf::win32
