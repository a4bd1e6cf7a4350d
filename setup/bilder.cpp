// Drawn in code on a small design grid, so nothing depends on image files.

#include "setup/bilder.h"

namespace tf::setup::bilder {

using ui::Canvas;
using ui::Color;
using ui::Rgb;

namespace {

void DrawSetupPackage(Canvas &c) {
    c.Grid(64, 60);
    // Computer.
    c.RoundBox(3, 4, 42, 33, 2, Rgb(52, 56, 66), Rgb(25, 25, 30), 1);
    c.Box(7, 8, 34, 25, Rgb(40, 110, 205));
    c.Box(7, 8, 34, 6, Rgb(70, 140, 230));
    c.Wave(10, 38, 24, 4, 2, Rgb(255, 255, 255), 1.6);
    c.Box(20, 37, 8, 5, Rgb(90, 94, 104));
    c.Box(11, 42, 26, 4, Rgb(70, 74, 84));
    // Package in front of it.
    const Color edge = Rgb(110, 70, 25);
    c.Poly({{34, 32}, {41, 25}, {62, 25}, {55, 32}}, Rgb(235, 190, 120), edge);
    c.Poly({{55, 32}, {62, 25}, {62, 49}, {55, 56}}, Rgb(180, 128, 62), edge);
    c.Poly({{34, 32}, {55, 32}, {55, 56}, {34, 56}}, Rgb(214, 160, 88), edge);
    c.Box(43, 32, 3, 24, Rgb(245, 235, 210));
    c.Poly({{43, 32}, {50, 25}, {53, 25}, {46, 32}}, Rgb(245, 235, 210));
}

void DrawSetupIcon(Canvas &c) {
    c.Grid(32, 32);
    const Color edge = Rgb(110, 70, 25);
    c.Poly({{3, 14}, {9, 8}, {29, 8}, {23, 14}}, Rgb(235, 190, 120), edge);
    c.Poly({{23, 14}, {29, 8}, {29, 25}, {23, 31}}, Rgb(180, 128, 62), edge);
    c.Poly({{3, 14}, {23, 14}, {23, 31}, {3, 31}}, Rgb(214, 160, 88), edge);
    c.Poly({{10, 0}, {16, 0}, {16, 7}, {20, 7}, {13, 14}, {6, 7}, {10, 7}}, Rgb(40, 170, 70),
           Rgb(15, 90, 30));
}

} // namespace

const ui::Picture &SetupIcon() {
    static const ui::Picture p{32, 32, ui::Picture::Fit::Aspect, DrawSetupIcon};
    return p;
}

const ui::Picture &SetupPackage() {
    static const ui::Picture p{64, 60, ui::Picture::Fit::Aspect, DrawSetupPackage};
    return p;
}

} // namespace tf::setup::bilder
