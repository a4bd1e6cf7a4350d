#include "shared/language_flags.h"

namespace tf::pictures {

using ui::Rgb;

const ui::Picture &GermanFlag() {
    static const ui::Picture picture{44, 29, ui::Picture::Fit::Aspect, [](ui::Canvas &c) {
                                         c.Grid(3, 3);
                                         c.Box(0, 0, 3, 1, Rgb(0, 0, 0));
                                         c.Box(0, 1, 3, 1, Rgb(221, 0, 0));
                                         c.Box(0, 2, 3, 1, Rgb(255, 206, 0));
                                     }};
    return picture;
}

namespace {
void DrawBritishFlag(ui::Canvas &c) {
    c.Grid(60, 30);
    const ui::Color blue = Rgb(1, 33, 105), red = Rgb(200, 16, 46), white = Rgb(255, 255, 255);
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
} // namespace

const ui::Picture &BritishFlag() {
    static const ui::Picture picture{44, 29, ui::Picture::Fit::Aspect, DrawBritishFlag};
    return picture;
}

} // namespace tf::pictures
