// A picture's grid mapped onto pixels with GDI.
#include "platform/win32/ui/picture_gdi.h"

#include "platform/win32/ui/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace tf::win32 {
namespace {

COLORREF Ref(ui::Color c) {
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

class GdiCanvas : public ui::Canvas {
  public:
    GdiCanvas(HDC dc, const RECT &r, const ui::Picture &picture)
        : dc_(dc), r_(r), area_(r), picture_(picture) {}

    int PixelWidth() const override { return r_.right - r_.left; }
    int PixelHeight() const override { return r_.bottom - r_.top; }
    void Map(int left, int top, int width, int height, double units_w, double units_h) override {
        area_ = RECT{r_.left + left, r_.top + top, r_.left + left + width, r_.top + top + height};
        sx_ = width / units_w;
        sy_ = height / units_h;
    }
    void Box(double x, double y, double w, double h, ui::Color fill) override {
        RECT rc{X(x), Y(y), X(x + w), Y(y + h)};
        GdiObject<HBRUSH> b(CreateSolidBrush(Ref(fill)));
        FillRect(dc_, &rc, b.get());
    }
    void Poly(const std::vector<ui::Point> &points, ui::Color fill, ui::Color outline,
              double pen_width) override {
        std::vector<POINT> p = Points(points);
        GdiObject<HBRUSH> b(CreateSolidBrush(Ref(fill)));
        GdiObject<HPEN> pen(outline == ui::kNoColor ? nullptr : MakePen(outline, pen_width));
        Selected sb(dc_, b.get());
        Selected sp(dc_, pen ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
        Polygon(dc_, p.data(), static_cast<int>(p.size()));
    }
    void RoundBox(double x, double y, double w, double h, double radius, ui::Color fill,
                  ui::Color outline, double pen_width) override {
        GdiObject<HBRUSH> b(CreateSolidBrush(Ref(fill)));
        GdiObject<HPEN> pen(MakePen(outline, pen_width));
        Selected sb(dc_, b.get());
        Selected sp(dc_, pen.get());
        RoundRect(dc_, X(x), Y(y), X(x + w), Y(y + h), Width(radius * 2), Width(radius * 2));
    }
    void Oval(double x, double y, double w, double h, ui::Color fill) override {
        GdiObject<HBRUSH> b(CreateSolidBrush(Ref(fill)));
        Selected sb(dc_, b.get());
        Selected sp(dc_, GetStockObject(NULL_PEN));
        Ellipse(dc_, X(x), Y(y), X(x + w) + 1, Y(y + h) + 1);
    }
    void Stroke(const std::vector<ui::Point> &points, ui::Color color, double width) override {
        std::vector<POINT> p = Points(points);
        GdiObject<HPEN> pen(MakePen(color, width));
        Selected sp(dc_, pen.get());
        Polyline(dc_, p.data(), static_cast<int>(p.size()));
    }
    void Text(const std::string &text, double x, double y, double w, double h, double height,
              ui::Color color) override {
        GdiObject<HFONT> f(CreateFontW(-std::max(6, static_cast<int>(height * sy_)), 0, 0, 0,
                                       FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY,
                                       0, L"Arial"));
        Selected sf(dc_, f.get());
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, Ref(color));
        RECT rc{X(x), Y(y), X(x + w), Y(y + h)};
        DrawTextW(dc_, Widen(text).c_str(), -1, &rc,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    void Pixels(const std::function<ui::Color(int, int, int, int)> &pixel) override;

  private:
    int X(double x) const { return area_.left + static_cast<int>(std::lround(x * sx_)); }
    int Y(double y) const { return area_.top + static_cast<int>(std::lround(y * sy_)); }
    int Width(double w) const {
        return std::max(1, static_cast<int>(std::lround(w * std::min(sx_, sy_))));
    }
    std::vector<POINT> Points(const std::vector<ui::Point> &points) const {
        std::vector<POINT> p;
        for (const ui::Point &d : points)
            p.push_back({X(d.x), Y(d.y)});
        return p;
    }
    HPEN MakePen(ui::Color c, double width) const {
        LOGBRUSH lb{BS_SOLID, Ref(c), 0};
        return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_ROUND,
                            static_cast<DWORD>(Width(width)), &lb, 0, nullptr);
    }
    HDC dc_;
    RECT r_, area_;
    double sx_ = 1, sy_ = 1;
    const ui::Picture &picture_;
};

// A picture computed per pixel, rendered once per picture and size: a window
// asks for the same size at every paint.
HBITMAP RenderedPixels(const ui::Picture &picture, int w, int h,
                       const std::function<ui::Color(int, int, int, int)> &pixel) {
    static std::map<std::tuple<const ui::Picture *, int, int>, GdiObject<HBITMAP>> cache;
    auto key = std::make_tuple(&picture, w, h);
    if (auto it = cache.find(key); it != cache.end())
        return it->second.get();
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp)
        return nullptr;
    const int stride = (w * 3 + 3) & ~3;
    auto *row = static_cast<std::uint8_t *>(bits);
    for (int y = 0; y < h; ++y, row += stride) {
        for (int x = 0; x < w; ++x) {
            const ui::Color c = pixel(x, y, w, h);
            row[x * 3 + 0] = static_cast<std::uint8_t>(c & 0xFF);
            row[x * 3 + 1] = static_cast<std::uint8_t>((c >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<std::uint8_t>((c >> 16) & 0xFF);
        }
    }
    GdiFlush();
    return cache.emplace(key, GdiObject<HBITMAP>(bmp)).first->second.get();
}

void GdiCanvas::Pixels(const std::function<ui::Color(int, int, int, int)> &pixel) {
    const int w = PixelWidth(), h = PixelHeight();
    if (w <= 0 || h <= 0)
        return;
    HBITMAP bmp = RenderedPixels(picture_, w, h, pixel);
    if (!bmp)
        return;
    HDC mem = CreateCompatibleDC(dc_);
    {
        Selected s(mem, bmp);
        BitBlt(dc_, r_.left, r_.top, w, h, mem, 0, 0, SRCCOPY);
    }
    DeleteDC(mem);
}

// Draws into exactly r, clipped to it.
void DrawInto(HDC dc, const ui::Picture &picture, const RECT &r) {
    if (r.right <= r.left || r.bottom <= r.top || !picture.draw)
        return;
    SavedDc saved(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    GdiCanvas canvas(dc, r, picture);
    picture.draw(canvas);
}

// The largest rectangle of the picture's aspect centred in r.
RECT AspectRect(const ui::Picture &picture, const RECT &r) {
    const int aw = r.right - r.left, ah = r.bottom - r.top;
    double f =
        std::min(static_cast<double>(aw) / picture.width, static_cast<double>(ah) / picture.height);
    const int w = static_cast<int>(picture.width * f), h = static_cast<int>(picture.height * f);
    const int x = r.left + (aw - w) / 2, y = r.top + (ah - h) / 2;
    return RECT{x, y, x + w, y + h};
}

} // namespace

void DrawPicture(HDC dc, const ui::Picture *picture, const RECT &r) {
    if (!picture || picture->width <= 0 || picture->height <= 0)
        return;
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    DrawInto(dc, *picture, picture->fit == ui::Picture::Fit::Whole ? r : AspectRect(*picture, r));
}

SIZE PictureSize(const ui::Picture *picture, UINT dpi) {
    if (!picture)
        return {0, 0};
    return {MulDiv(picture->width, static_cast<int>(dpi), 96),
            MulDiv(picture->height, static_cast<int>(dpi), 96)};
}

void DrawPictureCentered(HDC dc, const ui::Picture *picture, const RECT &r, UINT dpi) {
    SIZE s = PictureSize(picture, dpi);
    if (s.cx <= 0 || s.cy <= 0)
        return;
    int w = s.cx, h = s.cy;
    const int aw = r.right - r.left, ah = r.bottom - r.top;
    if (w > aw || h > ah) { // keep the aspect while shrinking
        double f = std::min(static_cast<double>(aw) / w, static_cast<double>(ah) / h);
        w = static_cast<int>(w * f);
        h = static_cast<int>(h * f);
    }
    const int x = r.left + (aw - w) / 2, y = r.top + (ah - h) / 2;
    DrawInto(dc, *picture, RECT{x, y, x + w, y + h});
}

namespace {

// Turns every pixel left in the key colour transparent; returns the mask.
std::vector<std::uint8_t> MaskOut(std::uint32_t *px, int size, std::uint32_t key) {
    const int mask_stride = ((size + 15) / 16) * 2;
    std::vector<std::uint8_t> mask(static_cast<size_t>(mask_stride * size), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint32_t &p = px[y * size + x];
            if ((p & 0x00FFFFFF) == key) {
                p = 0;
                mask[static_cast<size_t>(y * mask_stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            } else {
                p |= 0xFF000000;
            }
        }
    }
    return mask;
}

} // namespace

HICON CreatePictureIcon(const ui::Picture *picture, int size) {
    if (!picture)
        return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    GdiObject<HBITMAP> color(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color)
        return nullptr;
    const std::uint32_t key = 0x00FF00FF;
    auto *px = static_cast<std::uint32_t *>(bits);
    std::fill(px, px + size * size, key);
    HDC mem = CreateCompatibleDC(nullptr);
    {
        Selected s(mem, color.get());
        DrawInto(mem, *picture, RECT{0, 0, size, size});
        GdiFlush();
    }
    DeleteDC(mem);
    std::vector<std::uint8_t> mask_bits = MaskOut(px, size, key);
    GdiObject<HBITMAP> mask(CreateBitmap(size, size, 1, 1, mask_bits.data()));
    ICONINFO ii{TRUE, 0, 0, mask.get(), color.get()};
    return CreateIconIndirect(&ii);
}

} // namespace tf::win32
