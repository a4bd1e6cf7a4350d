// Drawn in code on a small design grid, so nothing depends on image files.

#include "app/shell/pictures.h"

#include <algorithm>
#include <cmath>

namespace tf::pictures {

using ui::Canvas;
using ui::Color;
using ui::Rgb;

namespace {

constexpr double kPi = 3.14159265358979323846;

void Folder(Canvas &c) {
    c.Poly({{2, 7}, {12, 7}, {15, 10}, {29, 10}, {29, 27}, {2, 27}}, Rgb(222, 165, 40),
           Rgb(130, 85, 10));
}

void FolderFlap(Canvas &c, double top) {
    c.Poly({{2, 27}, {5, top}, {31, top}, {29, 27}}, Rgb(252, 208, 90), Rgb(130, 85, 10));
}

void CardShape(Canvas &c, double x, double y, double w, double h, Color body) {
    double k = w * 0.22; // the cut corner
    c.Poly({{x, y}, {x + w - k, y}, {x + w, y + k}, {x + w, y + h}, {x, y + h}}, body,
           Rgb(20, 30, 60));
}

void DrawOpenWave(Canvas &c) {
    c.Grid(32, 32);
    Folder(c);
    FolderFlap(c, 14);
    c.Wave(7, 28, 20.5, 4.5, 2, Rgb(255, 255, 255), 3.6);
    c.Wave(7, 28, 20.5, 4.5, 2, Rgb(20, 90, 210), 2);
}

void DrawSaveProject(Canvas &c) {
    c.Grid(32, 32);
    CardShape(c, 5, 8, 22, 22, Rgb(40, 70, 150));
    c.Box(8, 19, 16, 9, Rgb(235, 240, 250));
    for (int i = 0; i < 4; ++i)
        c.Box(8.5 + i * 4, 9.5, 2, 2.5, Rgb(200, 200, 210));
    // Arrow into the card.
    c.Poly({{13.5, 1}, {18.5, 1}, {18.5, 9}, {23, 9}, {16, 17}, {9, 9}, {13.5, 9}},
           Rgb(40, 170, 70), Rgb(15, 90, 30));
}

void DrawOpenProject(Canvas &c) {
    c.Grid(32, 32);
    Folder(c);
    CardShape(c, 9, 3, 14, 16, Rgb(40, 70, 150));
    c.Box(11, 11, 10, 6, Rgb(235, 240, 250));
    FolderFlap(c, 15);
}

void DrawCompactFlashCard(Canvas &c) {
    c.Grid(48, 40);
    c.RoundBox(3, 2, 42, 36, 2, Rgb(70, 74, 84), Rgb(30, 30, 36), 1);
    c.RoundBox(5, 4, 38, 32, 1.5, Rgb(196, 200, 208), Rgb(120, 124, 132), 1);
    // Connector holes along the top edge.
    for (int i = 0; i < 12; ++i)
        c.Box(7 + i * 2.9, 5.2, 1.4, 1.6, Rgb(40, 40, 46));
    c.Box(8, 10, 32, 21, Rgb(30, 70, 160));
    c.Text("CF", 8, 10, 32, 13, 11, Rgb(255, 255, 255));
    c.Wave(11, 37, 26.5, 2.2, 3, Rgb(120, 210, 255), 1.3);
}

// The speaker on a 48 x 40 grid.
void Speaker(Canvas &c) {
    const Color dark = Rgb(45, 50, 64), wave = Rgb(30, 110, 210);
    c.Box(6, 14, 8, 12, dark);
    c.Poly({{14, 14}, {24, 5}, {24, 35}, {14, 26}}, Rgb(75, 82, 100), dark);
    c.ArcStroke(25, 20, 7, -50, 50, wave, 2.6);
    c.ArcStroke(25, 20, 12.5, -50, 50, wave, 2.6);
    c.ArcStroke(25, 20, 18, -50, 50, wave, 2.6);
}

// In a box more than twice as wide as designed, the speaker stands at the left
// and its sound runs across to the right; otherwise it keeps its aspect.
void DrawLoudspeaker(Canvas &c) {
    const int w = c.PixelWidth(), h = c.PixelHeight();
    if (w * 40 <= 2 * h * 48) {
        const double f = std::min(w / 48.0, h / 40.0);
        const int sw = static_cast<int>(48 * f), sh = static_cast<int>(40 * f);
        c.Map((w - sw) / 2, (h - sh) / 2, sw, sh, 48, 40);
        Speaker(c);
        return;
    }
    c.Map(0, 0, h * 48 / 40, h, 48, 40);
    Speaker(c);
    const double units = static_cast<double>(w) * 40.0 / h;
    c.Map(0, 0, w, h, units, 40);
    const double x0 = 48.0 - 4.0;
    if (units - x0 < 10)
        return;
    c.Wave(x0, units - 2, 20, 9, (units - x0) / 14.0, Rgb(30, 110, 210), 2.4);
    c.Wave(x0, units - 2, 20, 5, (units - x0) / 9.0, Rgb(120, 180, 240), 1.4);
}

void DrawAppIcon(Canvas &c) {
    c.Grid(32, 32);
    CardShape(c, 4, 2, 24, 28, Rgb(30, 70, 160));
    c.Box(7, 8, 18, 17, Rgb(245, 248, 255));
    c.Wave(8, 24, 16.5, 5, 1.5, Rgb(220, 60, 40), 2.2);
}

// The about window's backdrop: a deep blue night with a glowing level meter
// and a thin wave line, computed per pixel for soft edges.
struct Mix {
    double r, g, b;
};

double Clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

Mix Night(int x, int y, int w, int h) {
    const double xn = static_cast<double>(x) / w, yn = static_cast<double>(y) / h;
    const double s = w / 800.0;
    Mix c{16 + (4 - 16) * yn, 24 + (7 - 24) * yn, 56 + (18 - 56) * yn};
    // A soft light behind the title.
    double dx = xn - 0.5, dy = (yn - 0.30) * 1.4;
    double glow = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy) / 0.62);
    glow *= glow;
    c = {c.r + 26 * glow, c.g + 48 * glow, c.b + 96 * glow};
    // Faint grid.
    if (static_cast<int>(x / s) % 40 == 0 || static_cast<int>(y / s) % 40 == 0)
        c = {c.r + 5, c.g + 7, c.b + 12};
    return c;
}

// The bars of the level meter: where the bar of column x sits (0..1) and how
// strongly the meter shows there.
struct Bar {
    double bx, env, in_bar, width;
};

Bar BarAt(int x, int w) {
    const double s = w / 800.0;
    const double bar = 8 * s, gap = 3 * s;
    const int index = static_cast<int>(x / (bar + gap));
    const double bx = (index * (bar + gap) + bar / 2) / w;
    return {bx, std::pow(std::sin(kPi * Clamp01(bx)), 0.7), std::fmod(x, bar + gap), bar};
}

// Level bars around the meter's centre line, and their glow.
Mix LevelBars(Mix c, const Bar &b, int y, int w, int h) {
    const double s = w / 800.0;
    const double cy = 0.87 * h;
    const double bx = b.bx, env = b.env, in_bar = b.in_bar, bar = b.width;
    const double level = std::fabs(0.55 * std::sin(bx * 23.0) + 0.3 * std::sin(bx * 61.0 + 1.3) +
                                   0.15 * std::sin(bx * 131.0 + 0.4));
    const double height = (0.012 + 0.06 * env * (0.35 + level)) * h;
    const double d = std::fabs(y - cy);
    Mix tint{0 + 170 * bx, 200 - 110 * bx, 255};
    double a = 0;
    if (in_bar < bar && d <= height) {
        a = 0.45 + 0.4 * (1 - d / height);
        if (y > cy)
            a *= 0.45; // the reflection below the line is dimmer
    } else if (d <= height + 14 * s) {
        a = 0.10 * std::exp(-std::max(0.0, d - height) / (5 * s));
    }
    return {c.r + (tint.r - c.r) * a, c.g + (tint.g - c.g) * a, c.b + (tint.b - c.b) * a};
}

Color Backdrop(int x, int y, int w, int h) {
    const double xn = static_cast<double>(x) / w, yn = static_cast<double>(y) / h;
    const double s = w / 800.0;
    const Bar b = BarAt(x, w);
    Mix c = LevelBars(Night(x, y, w, h), b, y, w, h);
    // A thin glowing wave line across the whole width.
    const double env = b.env;
    const double cy = 0.87 * h;
    const double wy =
        cy - 0.045 * h * env * std::sin(xn * 2 * kPi * 3.5) * (0.6 + 0.4 * std::sin(xn * 9));
    const double wd = std::fabs(y - wy) / s;
    const double line = std::exp(-wd * wd / 2.2) + 0.25 * std::exp(-wd / 6);
    c = {c.r + 160 * line * env, c.g + 235 * line * env, c.b + 255 * line * env};
    // Darker corners.
    double vx = xn - 0.5, vy = yn - 0.5;
    double vignette = 1 - 0.55 * (vx * vx + vy * vy);
    auto byte = [&](double v) {
        return static_cast<unsigned>(std::clamp(v * vignette, 0.0, 255.0));
    };
    return Rgb(byte(c.r), byte(c.g), byte(c.b));
}

} // namespace

const ui::Picture &AppIcon() {
    static const ui::Picture p{32, 32, ui::Picture::Fit::Aspect, DrawAppIcon};
    return p;
}
const ui::Picture &OpenWave() {
    static const ui::Picture p{32, 32, ui::Picture::Fit::Aspect, DrawOpenWave};
    return p;
}
const ui::Picture &SaveProject() {
    static const ui::Picture p{32, 32, ui::Picture::Fit::Aspect, DrawSaveProject};
    return p;
}
const ui::Picture &OpenProject() {
    static const ui::Picture p{32, 32, ui::Picture::Fit::Aspect, DrawOpenProject};
    return p;
}
const ui::Picture &CompactFlashCard() {
    static const ui::Picture p{48, 40, ui::Picture::Fit::Aspect, DrawCompactFlashCard};
    return p;
}
const ui::Picture &Loudspeaker() {
    static const ui::Picture p{48, 40, ui::Picture::Fit::Whole, DrawLoudspeaker};
    return p;
}
const ui::Picture &AboutBackground() {
    static const ui::Picture p{800, 600, ui::Picture::Fit::Whole,
                               [](Canvas &c) { c.Pixels(Backdrop); }};
    return p;
}

} // namespace tf::pictures
