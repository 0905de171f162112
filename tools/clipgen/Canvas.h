// An 8-bit indexed picture with the few drawing primitives the clips need. Drawing outside the picture
// is clipped.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace clipgen {

// The clips' shared colour table: named entries first, then a grey ramp.
enum Colour : std::uint8_t {
    kBack,
    kBlack,
    kDarkGrey,
    kGrey,
    kWhite,
    kYellow,
    kDarkYellow,
    kBlue,
    kDarkBlue,
    kGreen,
    kDarkGreen,
    kRed,
    kOrange,
    kLightBlue,
    kInk,
    kBrown,
    kSilver,
    kNamedColours
};

// 0x00RRGGBB of each of the 256 entries.
const std::array<std::uint32_t, 256>& palette();

struct PointF {
    double x;
    double y;
};

class Canvas {
  public:
    Canvas(int width, int height, std::uint8_t fill = kBack);

    int width() const noexcept { return m_width; }
    int height() const noexcept { return m_height; }
    std::uint8_t at(int x, int y) const;
    void set(int x, int y, std::uint8_t c);
    const std::vector<std::uint8_t>& pixels() const noexcept { return m_pixels; }

    void fillRect(int x, int y, int w, int h, std::uint8_t c);
    void frameRect(int x, int y, int w, int h, std::uint8_t c);
    void line(double x0, double y0, double x1, double y1, std::uint8_t c, double thickness = 1);
    void disk(double cx, double cy, double r, std::uint8_t c);
    void ring(double cx, double cy, double r, double thickness, std::uint8_t c);
    // Even-odd fill sampled at pixel centres.
    void polygon(const std::vector<PointF>& points, std::uint8_t c);

  private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;  // top row first
};

}  // namespace clipgen
