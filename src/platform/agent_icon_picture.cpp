#include "platform/agent_icon_picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace t47 {
namespace {

constexpr int kSamples = 4;  // per pixel and axis

constexpr Colour kOutline{0.05, 0.07, 0.09, 1};
constexpr Colour kBodyTop{0.27, 0.33, 0.41, 1};
constexpr Colour kBodyBottom{0.11, 0.14, 0.18, 1};
constexpr Colour kSplit{0.06, 0.08, 0.10, 1};
constexpr Colour kLight{0.10, 0.80, 0.71, 1};
constexpr Colour kLightCore{0.70, 1.00, 0.95, 1};

Colour Mix(const Colour& a, const Colour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

// Signed distance to a box of half sizes (hx, hy) with corners of radius r, centred on (cx, cy):
// negative inside.
double RoundedBox(double x, double y, double cx, double cy, double hx, double hy, double r) {
    const double qx = std::abs(x - cx) - hx + r;
    const double qy = std::abs(y - cy) - hy + r;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - r;
}

// The picture at one point of the unit square (y downwards); `pixel` is one pixel's width, so
// that lines are never thinner than a pixel.
Colour PictureAt(double x, double y, double pixel) {
    const double line = std::max(0.025, pixel);
    const double body = RoundedBox(x, y, 0.5, 0.52, 0.31, 0.45, 0.30);
    if (body > 0) {
        return {};
    }
    if (body > -line) {
        return kOutline;
    }
    Colour colour = Mix(kBodyTop, kBodyBottom, std::clamp((y - 0.1) / 0.85, 0.0, 1.0));
    // The two buttons meet in a groove down to the palm.
    if (std::abs(x - 0.5) < line / 2 && y < 0.46) {
        colour = kSplit;
    }
    // A strip of light across the palm.
    if (RoundedBox(x, y, 0.5, 0.80, 0.16, std::max(0.025, pixel / 2), 0.02) < 0) {
        colour = kLight;
    }
    const double wheel = RoundedBox(x, y, 0.5, 0.27, 0.055, 0.11, 0.055);
    if (wheel < 0) {
        colour = wheel < -line ? kLightCore : kLight;
    }
    return colour;
}

}  // namespace

Image DrawAgentIcon(int size) {
    Image image{size, std::vector<Colour>(static_cast<std::size_t>(size) * size)};
    const double pixel = 1.0 / size;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            Colour sum;  // premultiplied
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (column + (sx + 0.5) / kSamples) * pixel;
                    const double y = (row + (sy + 0.5) / kSamples) * pixel;
                    const Colour c = PictureAt(x, y, pixel);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            }
            Colour& out = image.pixels[static_cast<std::size_t>(row) * size + column];
            out.a = sum.a / (kSamples * kSamples);
            if (sum.a > 0) {
                out.r = sum.r / sum.a;
                out.g = sum.g / sum.a;
                out.b = sum.b / sum.a;
            }
        }
    }
    return image;
}

std::uint8_t ColourByte(double value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace t47
