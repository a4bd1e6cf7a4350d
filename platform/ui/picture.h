#pragma once
// A picture as a program describes it: a designed size and a drawing in units
// of its own grid. The window system maps the grid onto pixels at whatever
// size and DPI the window asks for, so a picture stays sharp everywhere and
// the platform knows no program's pictures.

#include <functional>
#include <string>
#include <vector>

namespace tf::ui {

using Color = unsigned; // 0xRRGGBB
inline constexpr Color kNoColor = 0xFFFFFFFFu;
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) {
    return (r << 16) | (g << 8) | b;
}

struct Point {
    double x, y;
};

// Where a picture draws. Coordinates are in the units of the current grid.
class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;
    // From here on a grid of units_w x units_h covers the pixel area
    // (left, top, width, height), counted from the picture's own corner.
    virtual void Map(int left, int top, int width, int height, double units_w, double units_h) = 0;
    // The grid covers the whole picture.
    void Grid(double units_w, double units_h) {
        Map(0, 0, PixelWidth(), PixelHeight(), units_w, units_h);
    }

    virtual void Box(double x, double y, double w, double h, Color fill) = 0;
    virtual void Poly(const std::vector<Point> &points, Color fill, Color outline = kNoColor,
                      double pen_width = 1) = 0;
    virtual void RoundBox(double x, double y, double w, double h, double radius, Color fill,
                          Color outline, double pen_width = 1) = 0;
    virtual void Oval(double x, double y, double w, double h, Color fill) = 0;
    virtual void Stroke(const std::vector<Point> &points, Color color, double width) = 0;
    // One line of bold text centred in the box; `height` is the letter height in units.
    virtual void Text(const std::string &text, double x, double y, double w, double h,
                      double height, Color color) = 0;
    // Every pixel of the picture from `pixel(x, y, width, height)`; computed once per size.
    virtual void Pixels(const std::function<Color(int x, int y, int w, int h)> &pixel) = 0;

    // An arc around (cx, cy), angles in degrees counter-clockwise from the right.
    void ArcStroke(double cx, double cy, double radius, double from_deg, double to_deg, Color color,
                   double width);
    // A sine from x0 to x1 around cy.
    void Wave(double x0, double x1, double cy, double amplitude, double periods, Color color,
              double width);
};

struct Picture {
    enum class Fit {
        Aspect, // drawn at its designed aspect, centred in the box
        Whole   // given the whole box; the drawing lays itself out
    };
    int width = 0, height = 0; // designed size in pixels at 96 dpi
    Fit fit = Fit::Aspect;
    std::function<void(Canvas &)> draw;
};

} // namespace tf::ui
