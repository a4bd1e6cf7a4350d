// Picture boxes lie behind everything and show through transparent labels;
// lines have no window and are drawn by their form.
#include "platform/win32/ui/peers.h"
#include "platform/win32/ui/picture_gdi.h"

#include <algorithm>

namespace tf::win32 {
namespace {

class PicturePeer : public ControlPeer {
  public:
    PicturePeer(FormWindow &f, ui::PictureBox &c, int id) : ControlPeer(f, c, id), box_(c) {}

    void Create() override { CreateWindowFor(WC_STATICW, SS_OWNERDRAW, 0, L""); }
    void Draw(const DRAWITEMSTRUCT &di) override {
        SavedDc saved(di.hDC);
        form_.DrawBackdrop(hwnd_, di.hDC);
        DrawPicture(di.hDC, box_.picture, di.rcItem);
    }
    int Layer() const override { return 2; }
    const ui::Picture *Backdrop() const override {
        return hwnd_ && box_.visible() ? box_.picture : nullptr;
    }

  private:
    ui::PictureBox &box_;
};

class LinePeer : public ControlPeer {
  public:
    LinePeer(FormWindow &f, ui::Line &c, int id) : ControlPeer(f, c, id), line_(c) {}

    void Create() override {}
    void Update(ui::Prop) override { Place(); }
    void Place() override {
        if (form_.hwnd)
            InvalidateRect(form_.hwnd, nullptr, TRUE);
    }
    void Paint(HDC dc) override {
        if (!line_.visible())
            return;
        const UINT dpi = form_.dpi;
        GdiObject<HPEN> pen(
            CreatePen(PS_SOLID, std::max(1, Scaled(1, dpi)), GetSysColor(COLOR_BTNTEXT)));
        Selected sp(dc, pen.get());
        MoveToEx(dc, Px(line_.x1, dpi), Px(line_.y1, dpi), nullptr);
        LineTo(dc, Px(line_.x2, dpi), Px(line_.y2, dpi));
    }

  private:
    ui::Line &line_;
};

} // namespace

void FormWindow::DrawBackdrop(HWND child, HDC dc) const {
    RECT me;
    GetWindowRect(child, &me);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT *>(&me), 2);
    RECT all{0, 0, me.right - me.left, me.bottom - me.top};
    FillRect(dc, &all, sys->face_brush());
    for (const auto &p : peers) {
        const ui::Picture *picture = p->Backdrop();
        if (!picture)
            continue;
        RECT pic;
        GetWindowRect(p->hwnd(), &pic);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT *>(&pic), 2);
        OffsetRect(&pic, -me.left, -me.top);
        DrawPicture(dc, picture, pic);
    }
}

std::unique_ptr<ControlPeer> MakePicturePeer(FormWindow &f, ui::PictureBox &c, int id) {
    return std::make_unique<PicturePeer>(f, c, id);
}

std::unique_ptr<ControlPeer> MakeLinePeer(FormWindow &f, ui::Line &c, int id) {
    return std::make_unique<LinePeer>(f, c, id);
}

} // namespace tf::win32
