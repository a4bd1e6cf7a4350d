#include "platform/ui/picture.h"

#include <cmath>

namespace tf::ui {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void Canvas::ArcStroke(double cx, double cy, double radius, double from_deg, double to_deg,
                       Color color, double width) {
    std::vector<Point> pts;
    for (int i = 0; i <= 24; ++i) {
        double a = (from_deg + (to_deg - from_deg) * i / 24.0) * kPi / 180.0;
        pts.push_back({cx + radius * std::cos(a), cy - radius * std::sin(a)});
    }
    Stroke(pts, color, width);
}

void Canvas::Wave(double x0, double x1, double cy, double amplitude, double periods, Color color,
                  double width) {
    std::vector<Point> pts;
    const int n = 48;
    for (int i = 0; i <= n; ++i) {
        double t = static_cast<double>(i) / n;
        pts.push_back({x0 + (x1 - x0) * t, cy - amplitude * std::sin(t * periods * 2 * kPi)});
    }
    Stroke(pts, color, width);
}

} // namespace tf::ui
