#pragma once

// The agent's icon, a mouse seen from above with its wheel lit, drawn at any size from a few
// shapes, 4 x 4 samples a pixel, so that small sizes stay sharp. The Windows icon file and the
// Linux tray's pixmaps are both drawn by it.

#include <cstdint>
#include <vector>

namespace t47 {

struct Colour {
    double r = 0, g = 0, b = 0, a = 0;
};

// One square image, rows top down, straight alpha.
struct Image {
    int size = 0;
    std::vector<Colour> pixels;
};

Image DrawAgentIcon(int size);

// 0..1 as a byte, clamped and rounded.
std::uint8_t ColourByte(double value);

}  // namespace t47
