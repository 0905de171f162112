#include "Icons.h"

#include <cmath>
#include <numbers>

namespace clipgen {

void folder(Canvas& c, int x, int y, int w, int h, bool open) {
    const int tab = std::max(2, h / 6);
    c.fillRect(x, y, w * 2 / 5, tab + 1, kDarkYellow);
    c.fillRect(x, y + tab, w, h - tab, kYellow);
    c.frameRect(x, y + tab, w, h - tab, kDarkYellow);
    if (open) {
        // The front flap leans forward to show the papers inside.
        c.polygon({{x + w * 0.12, y + h * 0.45},
                   {x + w + 0.0, y + h * 0.45},
                   {x + w * 0.88, y + h + 0.0},
                   {x + 0.0, y + h + 0.0}},
                  kDarkYellow);
        c.polygon({{x + w * 0.14, y + h * 0.5},
                   {x + w - 1.0, y + h * 0.5},
                   {x + w * 0.87, y + h - 1.0},
                   {x + 1.0, y + h - 1.0}},
                  kYellow);
    }
}

void paper(Canvas& c, int x, int y, int w, int h) {
    const int fold = std::max(2, w / 4);
    c.fillRect(x, y, w, h, kWhite);
    c.frameRect(x, y, w, h, kBlack);
    // Dog-eared corner.
    for (int i = 0; i < fold; ++i) c.fillRect(x + w - fold + i, y, fold - i, 1, kBack);
    c.line(x + w - fold - 0.5, y + 0.5, x + w - 0.5, y + fold + 0.5, kBlack);
    for (int line = y + std::max(3, h / 4); line < y + h - 2; line += std::max(2, h / 6))
        c.fillRect(x + 2, line, w - 4 - (line % 3), 1, kInk);
}

void globe(Canvas& c, double cx, double cy, double r, double angle) {
    for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y)
        for (int x = static_cast<int>(cx - r) - 1; x <= static_cast<int>(cx + r) + 1; ++x) {
            const double dx = (x + 0.5 - cx) / r;
            const double dy = (y + 0.5 - cy) / r;
            const double d2 = dx * dx + dy * dy;
            if (d2 > 1) continue;
            const double lat = std::asin(dy);
            const double lon = std::atan2(dx, std::sqrt(1 - d2)) + angle;
            // Smooth blobs of land standing for continents, fixed to the globe so they turn with it.
            const double land = std::sin(2 * lon) * std::cos(3 * lat) + 0.6 * std::sin(3 * lon + 1.3) +
                                0.5 * std::cos(5 * lat + lon);
            const bool lit = dx < 0.3 && dy < 0.3;
            c.set(x, y, land > 0.45 ? (lit ? kGreen : kDarkGreen) : (lit ? kBlue : kDarkBlue));
        }
    c.ring(cx, cy, r, 1, kDarkBlue);
}

void magnifier(Canvas& c, double cx, double cy, double r) {
    const double reach = r * 1.9;
    c.line(cx + r * 0.7, cy + r * 0.7, cx + reach, cy + reach, kBrown, std::max(2.0, r / 2.5));
    c.disk(cx, cy, r, kLightBlue);
    c.disk(cx - r * 0.35, cy - r * 0.35, r * 0.25, kWhite);
    c.ring(cx, cy, r, std::max(1.0, r / 4), kDarkGrey);
}

void trashBin(Canvas& c, int x, int y, int w, int h) {
    const int lid = std::max(2, h / 8);
    c.fillRect(x + w / 3, y, w / 3, lid / 2 + 1, kDarkGrey);
    c.fillRect(x, y + lid / 2, w, lid, kDarkGrey);
    c.polygon({{x + w * 0.08, y + lid * 1.5},
               {x + w * 0.92, y + lid * 1.5},
               {x + w * 0.8, y + h + 0.0},
               {x + w * 0.2, y + h + 0.0}},
              kGrey);
    for (int i = 1; i < 4; ++i) {
        const double t = i / 4.0;
        c.line(x + w * (0.12 + 0.76 * t), y + lid * 1.8, x + w * (0.24 + 0.52 * t), y + h - 1.0, kDarkGrey);
    }
}

void flame(Canvas& c, int x, int y, int w, int h, int phase) {
    const int tongues = 3;
    for (int i = 0; i < tongues; ++i) {
        const double base = x + w * (i + 0.5) / tongues;
        const double sway = std::sin(phase * 1.7 + i * 2.1) * w / 10;
        const double top = y + h * (0.05 + 0.2 * (0.5 + 0.5 * std::sin(phase * 2.3 + i)));
        const double half = w / (tongues * 1.2);
        c.polygon({{base - half, y + h + 0.0}, {base + sway, top}, {base + half, y + h + 0.0}}, kRed);
        c.polygon({{base - half * 0.6, y + h + 0.0},
                   {base + sway * 0.7, top + h * 0.25},
                   {base + half * 0.6, y + h + 0.0}},
                  kOrange);
        c.polygon({{base - half * 0.3, y + h + 0.0},
                   {base + sway * 0.4, top + h * 0.5},
                   {base + half * 0.3, y + h + 0.0}},
                  kYellow);
    }
}

void monitor(Canvas& c, int x, int y, int w, int h) {
    const int stand = std::max(3, h / 5);
    c.fillRect(x, y, w, h - stand, kGrey);
    c.frameRect(x, y, w, h - stand, kDarkGrey);
    c.fillRect(x + 3, y + 3, w - 6, h - stand - 6, kLightBlue);
    c.fillRect(x + w / 2 - w / 8, y + h - stand, w / 4, stand - 2, kDarkGrey);
    c.fillRect(x + w / 5, y + h - 2, w * 3 / 5, 2, kDarkGrey);
}

void printer(Canvas& c, int x, int y, int w, int h) {
    c.fillRect(x + w / 5, y, w * 3 / 5, h / 3, kWhite);
    c.frameRect(x + w / 5, y, w * 3 / 5, h / 3, kDarkGrey);
    c.fillRect(x, y + h / 3, w, h / 2, kGrey);
    c.frameRect(x, y + h / 3, w, h / 2, kDarkGrey);
    c.fillRect(x + w - 5, y + h / 3 + 3, 2, 2, kGreen);
    c.fillRect(x + w / 6, y + h * 5 / 6 - 2, w * 2 / 3, 2, kBlack);  // paper slot
}

PointF arc(double x0, double y0, double x1, double y1, double height, double t) {
    return {x0 + (x1 - x0) * t, y0 + (y1 - y0) * t - height * std::sin(std::numbers::pi * t)};
}

}  // namespace clipgen
