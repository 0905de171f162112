#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace clipgen {

const std::array<std::uint32_t, 256>& palette() {
    static const std::array<std::uint32_t, 256> colours = [] {
        std::array<std::uint32_t, 256> table{};
        const std::uint32_t named[kNamedColours] = {
            0xF0F0F0, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0xFFD966, 0xC0902A, 0x2A6FD6, 0x1A3F8F,
            0x3FA34D, 0x23682D, 0xD03020, 0xFF8C1A, 0xA8C8F0, 0x8090B0, 0x8A5A2B, 0xDCE2EA};
        std::copy(std::begin(named), std::end(named), table.begin());
        for (int i = kNamedColours; i < 256; ++i) {
            const auto v = static_cast<std::uint32_t>((i - kNamedColours) * 255 / (255 - kNamedColours));
            table[static_cast<std::size_t>(i)] = v << 16 | v << 8 | v;
        }
        return table;
    }();
    return colours;
}

Canvas::Canvas(int width, int height, std::uint8_t fill)
    : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width * height), fill) {}

std::uint8_t Canvas::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return kBack;
    return m_pixels[static_cast<std::size_t>(y * m_width + x)];
}

void Canvas::set(int x, int y, std::uint8_t c) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_pixels[static_cast<std::size_t>(y * m_width + x)] = c;
}

void Canvas::fillRect(int x, int y, int w, int h, std::uint8_t c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Canvas::frameRect(int x, int y, int w, int h, std::uint8_t c) {
    fillRect(x, y, w, 1, c);
    fillRect(x, y + h - 1, w, 1, c);
    fillRect(x, y, 1, h, c);
    fillRect(x + w - 1, y, 1, h, c);
}

void Canvas::line(double x0, double y0, double x1, double y1, std::uint8_t c, double thickness) {
    // Pixels whose centre lies within half the thickness of the segment.
    const double half = std::max(0.5, thickness / 2);
    const int left = static_cast<int>(std::floor(std::min(x0, x1) - half));
    const int right = static_cast<int>(std::ceil(std::max(x0, x1) + half));
    const int top = static_cast<int>(std::floor(std::min(y0, y1) - half));
    const int bottom = static_cast<int>(std::ceil(std::max(y0, y1) + half));
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double length2 = dx * dx + dy * dy;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            double t = length2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = x0 + t * dx - px;
            const double ey = y0 + t * dy - py;
            if (ex * ex + ey * ey <= half * half) set(x, y, c);
        }
}

void Canvas::disk(double cx, double cy, double r, std::uint8_t c) {
    for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y)
        for (int x = static_cast<int>(cx - r) - 1; x <= static_cast<int>(cx + r) + 1; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= r * r) set(x, y, c);
        }
}

void Canvas::ring(double cx, double cy, double r, double thickness, std::uint8_t c) {
    const double inner = std::max(0.0, r - thickness);
    for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y)
        for (int x = static_cast<int>(cx - r) - 1; x <= static_cast<int>(cx + r) + 1; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const double d2 = dx * dx + dy * dy;
            if (d2 <= r * r && d2 >= inner * inner) set(x, y, c);
        }
}

void Canvas::polygon(const std::vector<PointF>& points, std::uint8_t c) {
    if (points.size() < 3) return;
    for (int y = 0; y < m_height; ++y) {
        const double py = y + 0.5;
        std::vector<double> crossings;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const PointF a = points[i];
            const PointF b = points[(i + 1) % points.size()];
            if ((a.y <= py) != (b.y <= py)) crossings.push_back(a.x + (py - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            for (int x = static_cast<int>(std::ceil(crossings[i] - 0.5));
                 x <= static_cast<int>(std::floor(crossings[i + 1] - 0.5)); ++x)
                set(x, y, c);
    }
}

}  // namespace clipgen
