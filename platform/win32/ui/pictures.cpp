// Every picture of both programs is drawn here with GDI, scaled from a small
// design grid to whatever size the window asks for, so nothing depends on
// image files and everything stays sharp at any DPI.
#include "platform/win32/ui/pictures.h"

#include "platform/win32/ui/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

namespace tf::win32 {
namespace {

using ui::Picture;

constexpr double kPi = 3.14159265358979323846;

struct DPoint {
    double x, y;
};

// Maps a design grid of dw x dh units onto a pixel rectangle.
class Canvas {
  public:
    Canvas(HDC dc, const RECT& r, double dw, double dh)
        : dc_(dc), r_(r), sx_((r.right - r.left) / dw), sy_((r.bottom - r.top) / dh) {}

    int X(double x) const { return r_.left + static_cast<int>(std::lround(x * sx_)); }
    int Y(double y) const { return r_.top + static_cast<int>(std::lround(y * sy_)); }
    POINT P(DPoint p) const { return {X(p.x), Y(p.y)}; }
    int Width(double w) const { return std::max(1, static_cast<int>(std::lround(w * std::min(sx_, sy_)))); }

    void Box(double x, double y, double w, double h, COLORREF c) const {
        RECT rc{X(x), Y(y), X(x + w), Y(y + h)};
        GdiObject<HBRUSH> b(CreateSolidBrush(c));
        FillRect(dc_, &rc, b.get());
    }
    void Poly(std::initializer_list<DPoint> pts, COLORREF fill, COLORREF outline = CLR_INVALID,
              double pen_width = 1) const {
        std::vector<POINT> p;
        for (auto d : pts)
            p.push_back(P(d));
        GdiObject<HBRUSH> b(CreateSolidBrush(fill));
        GdiObject<HPEN> pen(outline == CLR_INVALID ? nullptr : MakePen(outline, pen_width));
        Selected sb(dc_, b.get());
        Selected sp(dc_, pen ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
        Polygon(dc_, p.data(), static_cast<int>(p.size()));
    }
    void RoundBox(double x, double y, double w, double h, double radius, COLORREF fill,
                  COLORREF outline, double pen_width = 1) const {
        GdiObject<HBRUSH> b(CreateSolidBrush(fill));
        GdiObject<HPEN> pen(MakePen(outline, pen_width));
        Selected sb(dc_, b.get());
        Selected sp(dc_, pen.get());
        RoundRect(dc_, X(x), Y(y), X(x + w), Y(y + h), Width(radius * 2), Width(radius * 2));
    }
    void Oval(double x, double y, double w, double h, COLORREF fill) const {
        GdiObject<HBRUSH> b(CreateSolidBrush(fill));
        Selected sb(dc_, b.get());
        Selected sp(dc_, GetStockObject(NULL_PEN));
        Ellipse(dc_, X(x), Y(y), X(x + w) + 1, Y(y + h) + 1);
    }
    void Stroke(const std::vector<DPoint>& pts, COLORREF c, double width) const {
        std::vector<POINT> p;
        for (auto d : pts)
            p.push_back(P(d));
        GdiObject<HPEN> pen(MakePen(c, width));
        Selected sp(dc_, pen.get());
        Polyline(dc_, p.data(), static_cast<int>(p.size()));
    }
    void ArcStroke(double cx, double cy, double radius, double from_deg, double to_deg, COLORREF c,
                   double width) const {
        std::vector<DPoint> pts;
        for (int i = 0; i <= 24; ++i) {
            double a = (from_deg + (to_deg - from_deg) * i / 24.0) * kPi / 180.0;
            pts.push_back({cx + radius * std::cos(a), cy - radius * std::sin(a)});
        }
        Stroke(pts, c, width);
    }
    // A sine stroke from x0 to x1 around cy.
    void Wave(double x0, double x1, double cy, double amplitude, double periods, COLORREF c,
              double width) const {
        std::vector<DPoint> pts;
        const int n = 48;
        for (int i = 0; i <= n; ++i) {
            double t = static_cast<double>(i) / n;
            pts.push_back({x0 + (x1 - x0) * t, cy - amplitude * std::sin(t * periods * 2 * kPi)});
        }
        Stroke(pts, c, width);
    }
    void Text(const wchar_t* text, double x, double y, double w, double h, double height,
              COLORREF c, const wchar_t* face = L"Arial") const {
        GdiObject<HFONT> f(CreateFontW(-std::max(6, static_cast<int>(height * sy_)), 0, 0, 0,
                                       FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                       ANTIALIASED_QUALITY, 0, face));
        Selected sf(dc_, f.get());
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, c);
        RECT rc{X(x), Y(y), X(x + w), Y(y + h)};
        DrawTextW(dc_, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

  private:
    HPEN MakePen(COLORREF c, double width) const {
        LOGBRUSH lb{BS_SOLID, c, 0};
        return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_ROUND,
                            static_cast<DWORD>(Width(width)), &lb, 0, nullptr);
    }
    HDC dc_;
    RECT r_;
    double sx_, sy_;
};

void GermanFlag(HDC dc, const RECT& r) {
    Canvas c(dc, r, 3, 3);
    c.Box(0, 0, 3, 1, RGB(0, 0, 0));
    c.Box(0, 1, 3, 1, RGB(221, 0, 0));
    c.Box(0, 2, 3, 1, RGB(255, 206, 0));
}

void BritishFlag(HDC dc, const RECT& r) {
    Canvas c(dc, r, 60, 30);
    const COLORREF blue = RGB(1, 33, 105), red = RGB(200, 16, 46), white = RGB(255, 255, 255);
    c.Box(0, 0, 60, 30, blue);
    c.Stroke({{0, 0}, {60, 30}}, white, 6);
    c.Stroke({{0, 30}, {60, 0}}, white, 6);
    // The red diagonals sit off-centre, as on the real flag.
    c.Stroke({{0, 1}, {30, 16}}, red, 2);
    c.Stroke({{30, 14}, {60, 29}}, red, 2);
    c.Stroke({{0, 29}, {30, 14}}, red, 2);
    c.Stroke({{30, 16}, {60, 1}}, red, 2);
    c.Box(25, 0, 10, 30, white);
    c.Box(0, 10, 60, 10, white);
    c.Box(27, 0, 6, 30, red);
    c.Box(0, 12, 60, 6, red);
}

void Folder(const Canvas& c) {
    const COLORREF line = RGB(130, 85, 10);
    c.Poly({{2, 7}, {12, 7}, {15, 10}, {29, 10}, {29, 27}, {2, 27}}, RGB(222, 165, 40), line);
    c.Poly({{2, 27}, {5, 14}, {31, 14}, {29, 27}}, RGB(252, 208, 90), line);
}

void OpenWave(HDC dc, const RECT& r) {
    Canvas c(dc, r, 32, 32);
    Folder(c);
    c.Wave(7, 28, 20.5, 4.5, 2, RGB(255, 255, 255), 3.6);
    c.Wave(7, 28, 20.5, 4.5, 2, RGB(20, 90, 210), 2);
}

void CardShape(const Canvas& c, double x, double y, double w, double h, COLORREF body) {
    double k = w * 0.22; // the cut corner
    c.Poly({{x, y}, {x + w - k, y}, {x + w, y + k}, {x + w, y + h}, {x, y + h}}, body,
           RGB(20, 30, 60));
}

void SaveProject(HDC dc, const RECT& r) {
    Canvas c(dc, r, 32, 32);
    CardShape(c, 5, 8, 22, 22, RGB(40, 70, 150));
    c.Box(8, 19, 16, 9, RGB(235, 240, 250));
    for (int i = 0; i < 4; ++i)
        c.Box(8.5 + i * 4, 9.5, 2, 2.5, RGB(200, 200, 210));
    // Arrow into the card.
    c.Poly({{13.5, 1}, {18.5, 1}, {18.5, 9}, {23, 9}, {16, 17}, {9, 9}, {13.5, 9}},
           RGB(40, 170, 70), RGB(15, 90, 30));
}

void OpenProject(HDC dc, const RECT& r) {
    Canvas c(dc, r, 32, 32);
    const COLORREF line = RGB(130, 85, 10);
    c.Poly({{2, 7}, {12, 7}, {15, 10}, {29, 10}, {29, 27}, {2, 27}}, RGB(222, 165, 40), line);
    CardShape(c, 9, 3, 14, 16, RGB(40, 70, 150));
    c.Box(11, 11, 10, 6, RGB(235, 240, 250));
    c.Poly({{2, 27}, {5, 15}, {31, 15}, {29, 27}}, RGB(252, 208, 90), line);
}

void CompactFlashCard(HDC dc, const RECT& r) {
    Canvas c(dc, r, 48, 40);
    c.RoundBox(3, 2, 42, 36, 2, RGB(70, 74, 84), RGB(30, 30, 36), 1);
    c.RoundBox(5, 4, 38, 32, 1.5, RGB(196, 200, 208), RGB(120, 124, 132), 1);
    // Connector holes along the top edge.
    for (int i = 0; i < 12; ++i)
        c.Box(7 + i * 2.9, 5.2, 1.4, 1.6, RGB(40, 40, 46));
    c.Box(8, 10, 32, 21, RGB(30, 70, 160));
    c.Text(L"CF", 8, 10, 32, 13, 11, RGB(255, 255, 255));
    c.Wave(11, 37, 26.5, 2.2, 3, RGB(120, 210, 255), 1.3);
}

void Loudspeaker(HDC dc, const RECT& r) {
    Canvas c(dc, r, 48, 40);
    const COLORREF dark = RGB(45, 50, 64), wave = RGB(30, 110, 210);
    c.Box(6, 14, 8, 12, dark);
    c.Poly({{14, 14}, {24, 5}, {24, 35}, {14, 26}}, RGB(75, 82, 100), dark);
    c.ArcStroke(25, 20, 7, -50, 50, wave, 2.6);
    c.ArcStroke(25, 20, 12.5, -50, 50, wave, 2.6);
    c.ArcStroke(25, 20, 18, -50, 50, wave, 2.6);
}

// The loudspeaker at the left of a wide box, its sound running to the right.
void LoudspeakerWide(HDC dc, const RECT& r) {
    const int h = r.bottom - r.top;
    const int speaker_w = h * 48 / 40;
    Loudspeaker(dc, RECT{r.left, r.top, r.left + speaker_w, r.bottom});
    const double units = static_cast<double>(r.right - r.left) * 40.0 / h;
    Canvas c(dc, r, units, 40);
    const double x0 = 48.0 - 4.0;
    if (units - x0 < 10)
        return;
    c.Wave(x0, units - 2, 20, 9, (units - x0) / 14.0, RGB(30, 110, 210), 2.4);
    c.Wave(x0, units - 2, 20, 5, (units - x0) / 9.0, RGB(120, 180, 240), 1.4);
}

void SetupPackage(HDC dc, const RECT& r) {
    Canvas c(dc, r, 64, 60);
    // Computer.
    c.RoundBox(3, 4, 42, 33, 2, RGB(52, 56, 66), RGB(25, 25, 30), 1);
    c.Box(7, 8, 34, 25, RGB(40, 110, 205));
    c.Box(7, 8, 34, 6, RGB(70, 140, 230));
    c.Wave(10, 38, 24, 4, 2, RGB(255, 255, 255), 1.6);
    c.Box(20, 37, 8, 5, RGB(90, 94, 104));
    c.Box(11, 42, 26, 4, RGB(70, 74, 84));
    // Package in front of it.
    const COLORREF edge = RGB(110, 70, 25);
    c.Poly({{34, 32}, {41, 25}, {62, 25}, {55, 32}}, RGB(235, 190, 120), edge);
    c.Poly({{55, 32}, {62, 25}, {62, 49}, {55, 56}}, RGB(180, 128, 62), edge);
    c.Poly({{34, 32}, {55, 32}, {55, 56}, {34, 56}}, RGB(214, 160, 88), edge);
    c.Box(43, 32, 3, 24, RGB(245, 235, 210));
    c.Poly({{43, 32}, {50, 25}, {53, 25}, {46, 32}}, RGB(245, 235, 210));
}

void SetupIcon(HDC dc, const RECT& r) {
    Canvas c(dc, r, 32, 32);
    const COLORREF edge = RGB(110, 70, 25);
    c.Poly({{3, 14}, {9, 8}, {29, 8}, {23, 14}}, RGB(235, 190, 120), edge);
    c.Poly({{23, 14}, {29, 8}, {29, 25}, {23, 31}}, RGB(180, 128, 62), edge);
    c.Poly({{3, 14}, {23, 14}, {23, 31}, {3, 31}}, RGB(214, 160, 88), edge);
    c.Poly({{10, 0}, {16, 0}, {16, 7}, {20, 7}, {13, 14}, {6, 7}, {10, 7}}, RGB(40, 170, 70),
           RGB(15, 90, 30));
}

void InfoIcon(HDC dc, const RECT& r) {
    Canvas c(dc, r, 32, 32);
    c.Oval(1, 1, 30, 30, RGB(20, 80, 170));
    c.Oval(2.5, 2.5, 27, 27, RGB(40, 120, 215));
    c.Oval(13.5, 6, 5, 5, RGB(255, 255, 255));
    c.Box(13.5, 13, 5, 13, RGB(255, 255, 255));
    c.Box(11.5, 13, 4, 2.5, RGB(255, 255, 255));
    c.Box(11.5, 23.5, 9, 2.5, RGB(255, 255, 255));
}

void AppIcon(HDC dc, const RECT& r) {
    Canvas c(dc, r, 32, 32);
    CardShape(c, 4, 2, 24, 28, RGB(30, 70, 160));
    c.Box(7, 8, 18, 17, RGB(245, 248, 255));
    c.Wave(8, 24, 16.5, 5, 1.5, RGB(220, 60, 40), 2.2);
}

// The about window's backdrop: a deep blue night with a glowing level meter
// and a thin wave line, computed per pixel for soft edges.
struct Rgb {
    double r, g, b;
};

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

Rgb BackdropPixel(int x, int y, int w, int h) {
    const double xn = static_cast<double>(x) / w, yn = static_cast<double>(y) / h;
    const double s = w / 800.0;
    Rgb c{16 + (4 - 16) * yn, 24 + (7 - 24) * yn, 56 + (18 - 56) * yn};
    // A soft light behind the title.
    double dx = xn - 0.5, dy = (yn - 0.30) * 1.4;
    double glow = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy) / 0.62);
    glow *= glow;
    c = {c.r + 26 * glow, c.g + 48 * glow, c.b + 96 * glow};
    // Faint grid.
    if (static_cast<int>(x / s) % 40 == 0 || static_cast<int>(y / s) % 40 == 0)
        c = {c.r + 5, c.g + 7, c.b + 12};

    // Level bars around the meter's centre line.
    const double cy = 0.87 * h;
    const double bar = 8 * s, gap = 3 * s;
    const int index = static_cast<int>(x / (bar + gap));
    const double in_bar = std::fmod(x, bar + gap);
    const double bx = (index * (bar + gap) + bar / 2) / w;
    const double env = std::pow(std::sin(kPi * Clamp01(bx)), 0.7);
    const double level = std::fabs(0.55 * std::sin(bx * 23.0) + 0.3 * std::sin(bx * 61.0 + 1.3) +
                                   0.15 * std::sin(bx * 131.0 + 0.4));
    const double height = (0.012 + 0.06 * env * (0.35 + level)) * h;
    const double d = std::fabs(y - cy);
    Rgb tint{0 + 170 * bx, 200 - 110 * bx, 255};
    double a = 0;
    if (in_bar < bar && d <= height) {
        a = 0.45 + 0.4 * (1 - d / height);
        if (y > cy)
            a *= 0.45; // the reflection below the line is dimmer
    } else if (d <= height + 14 * s) {
        a = 0.10 * std::exp(-std::max(0.0, d - height) / (5 * s));
    }
    c = {c.r + (tint.r - c.r) * a, c.g + (tint.g - c.g) * a, c.b + (tint.b - c.b) * a};

    // A thin glowing wave line across the whole width.
    const double wy = cy - 0.045 * h * env * std::sin(xn * 2 * kPi * 3.5) * (0.6 + 0.4 * std::sin(xn * 9));
    const double wd = std::fabs(y - wy) / s;
    const double line = std::exp(-wd * wd / 2.2) + 0.25 * std::exp(-wd / 6);
    c = {c.r + 160 * line * env, c.g + 235 * line * env, c.b + 255 * line * env};

    // Darker corners.
    double vx = xn - 0.5, vy = yn - 0.5;
    double vignette = 1 - 0.55 * (vx * vx + vy * vy);
    return {c.r * vignette, c.g * vignette, c.b * vignette};
}

// Rendered once per size; the about window asks for the same size each time.
HBITMAP BackdropBitmap(int w, int h) {
    static std::map<std::pair<int, int>, GdiObject<HBITMAP>> cache;
    auto key = std::make_pair(w, h);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second.get();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp)
        return nullptr;
    const int stride = (w * 3 + 3) & ~3;
    auto* row = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < h; ++y, row += stride) {
        for (int x = 0; x < w; ++x) {
            Rgb c = BackdropPixel(x, y, w, h);
            row[x * 3 + 0] = static_cast<std::uint8_t>(std::clamp(c.b, 0.0, 255.0));
            row[x * 3 + 1] = static_cast<std::uint8_t>(std::clamp(c.g, 0.0, 255.0));
            row[x * 3 + 2] = static_cast<std::uint8_t>(std::clamp(c.r, 0.0, 255.0));
        }
    }
    GdiFlush();
    return cache.emplace(key, GdiObject<HBITMAP>(bmp)).first->second.get();
}

void AboutBackground(HDC dc, const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return;
    HBITMAP bmp = BackdropBitmap(w, h);
    if (!bmp)
        return;
    HDC mem = CreateCompatibleDC(dc);
    {
        Selected s(mem, bmp);
        BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
    }
    DeleteDC(mem);
}

} // namespace

SIZE PictureDesignSize(Picture picture) {
    switch (picture) {
    case Picture::FlagGerman:
    case Picture::FlagBritish:
        return {44, 29};
    case Picture::Decoration1:
    case Picture::Decoration2:
        return {48, 40};
    case Picture::AboutBackground:
        return {800, 600};
    case Picture::SetupPackage:
        return {64, 60};
    case Picture::None:
        return {0, 0};
    default:
        return {32, 32};
    }
}

void DrawPicture(HDC dc, Picture picture, const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    SavedDc saved(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    switch (picture) {
    case Picture::None: break;
    case Picture::FlagGerman: GermanFlag(dc, r); break;
    case Picture::FlagBritish: BritishFlag(dc, r); break;
    case Picture::OpenWave: OpenWave(dc, r); break;
    case Picture::SaveProject: SaveProject(dc, r); break;
    case Picture::OpenProject: OpenProject(dc, r); break;
    case Picture::Decoration1: CompactFlashCard(dc, r); break;
    case Picture::Decoration2: Loudspeaker(dc, r); break;
    case Picture::AboutBackground: AboutBackground(dc, r); break;
    case Picture::SetupPackage: SetupPackage(dc, r); break;
    case Picture::SetupIcon: SetupIcon(dc, r); break;
    case Picture::InfoIcon: InfoIcon(dc, r); break;
    }
}

void DrawPictureCentered(HDC dc, Picture picture, const RECT& r, UINT dpi) {
    SIZE design = PictureDesignSize(picture);
    if (design.cx == 0)
        return;
    int w = MulDiv(design.cx, static_cast<int>(dpi), 96);
    int h = MulDiv(design.cy, static_cast<int>(dpi), 96);
    const int aw = r.right - r.left, ah = r.bottom - r.top;
    if (w > aw || h > ah) { // keep the aspect while shrinking
        double f = std::min(static_cast<double>(aw) / w, static_cast<double>(ah) / h);
        w = static_cast<int>(w * f);
        h = static_cast<int>(h * f);
    }
    const int x = r.left + (aw - w) / 2, y = r.top + (ah - h) / 2;
    DrawPicture(dc, picture, RECT{x, y, x + w, y + h});
}

void DrawPictureFit(HDC dc, Picture picture, const RECT& r) {
    const int aw = r.right - r.left, ah = r.bottom - r.top;
    if (aw <= 0 || ah <= 0 || picture == Picture::None)
        return;
    if (picture == Picture::AboutBackground) {
        DrawPicture(dc, picture, r);
        return;
    }
    SIZE design = PictureDesignSize(picture);
    if (picture == Picture::Decoration2 && aw * design.cy > 2 * ah * design.cx) {
        SavedDc saved(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        LoudspeakerWide(dc, r);
        return;
    }
    double f = std::min(static_cast<double>(aw) / design.cx, static_cast<double>(ah) / design.cy);
    const int w = static_cast<int>(design.cx * f), h = static_cast<int>(design.cy * f);
    const int x = r.left + (aw - w) / 2, y = r.top + (ah - h) / 2;
    DrawPicture(dc, picture, RECT{x, y, x + w, y + h});
}

HICON CreatePictureIcon(Picture picture, int size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> color(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color)
        return nullptr;
    // Everything left in the key colour becomes transparent.
    const std::uint32_t key = 0x00FF00FF;
    auto* px = static_cast<std::uint32_t*>(bits);
    std::fill(px, px + size * size, key);
    HDC mem = CreateCompatibleDC(nullptr);
    {
        Selected s(mem, color.get());
        RECT r{0, 0, size, size};
        if (picture == Picture::None)
            AppIcon(mem, r);
        else
            DrawPicture(mem, picture, r);
        GdiFlush();
    }
    DeleteDC(mem);
    std::vector<std::uint8_t> mask_bits(static_cast<size_t>(((size + 15) / 16) * 2 * size), 0);
    const int mask_stride = ((size + 15) / 16) * 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint32_t& p = px[y * size + x];
            if ((p & 0x00FFFFFF) == key) {
                p = 0;
                mask_bits[static_cast<size_t>(y * mask_stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            } else {
                p |= 0xFF000000;
            }
        }
    }
    GdiObject<HBITMAP> mask(CreateBitmap(size, size, 1, 1, mask_bits.data()));
    ICONINFO ii{TRUE, 0, 0, mask.get(), color.get()};
    return CreateIconIndirect(&ii);
}

} // namespace tf::win32
