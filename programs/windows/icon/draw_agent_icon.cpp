// Draws the agent's icon, a mouse seen from above with its wheel lit, and writes it as an icon
// file: one image each of 256, 48, 32, 24 and 16 pixels square, 32 bits a pixel (BGRA with an
// alpha channel, and the AND mask older readers want). Every image is drawn from the shapes
// below at its own size, 4 x 4 samples a pixel, so that small sizes stay sharp.
//
//   draw_agent_icon OUTPUT.ico
//
// Only the standard library: programs/windows/make-icon builds and runs it.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

constexpr std::array<int, 5> kSizes = {256, 48, 32, 24, 16};
constexpr int kSamples = 4;  // per pixel and axis

struct Colour {
    double r = 0, g = 0, b = 0, a = 0;
};

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

struct Image {
    int size = 0;
    std::vector<Colour> pixels;  // rows top down, straight alpha
};

Image Draw(int size) {
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

std::uint8_t Byte(double value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::size_t MaskRowBytes(int size) {
    return static_cast<std::size_t>((size + 31) / 32 * 4);
}

// One image as an icon file holds it: a BITMAPINFOHEADER of twice the height (colours, then the
// mask), the BGRA rows bottom up, then the AND mask rows bottom up (a set bit is transparent).
std::vector<std::uint8_t> IconImage(const Image& image) {
    const int size = image.size;
    const auto colourBytes = static_cast<std::uint32_t>(size * size * 4);
    const auto maskBytes = static_cast<std::uint32_t>(MaskRowBytes(size) * size);
    std::vector<std::uint8_t> out;
    Put32(out, 40);                       // biSize
    Put32(out, size);                     // biWidth
    Put32(out, size * 2);                 // biHeight: colours and mask
    Put16(out, 1);                        // biPlanes
    Put16(out, 32);                       // biBitCount
    Put32(out, 0);                        // biCompression: BI_RGB
    Put32(out, colourBytes + maskBytes);  // biSizeImage
    Put32(out, 0);                        // biXPelsPerMeter
    Put32(out, 0);                        // biYPelsPerMeter
    Put32(out, 0);                        // biClrUsed
    Put32(out, 0);                        // biClrImportant
    for (int row = size - 1; row >= 0; --row) {
        for (int column = 0; column < size; ++column) {
            const Colour& c = image.pixels[static_cast<std::size_t>(row) * size + column];
            out.insert(out.end(), {Byte(c.b), Byte(c.g), Byte(c.r), Byte(c.a)});
        }
    }
    for (int row = size - 1; row >= 0; --row) {
        std::vector<std::uint8_t> mask(MaskRowBytes(size));
        for (int column = 0; column < size; ++column) {
            if (Byte(image.pixels[static_cast<std::size_t>(row) * size + column].a) == 0) {
                mask[static_cast<std::size_t>(column / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (column % 8));
            }
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

// ICONDIR, one ICONDIRENTRY per image, then the images.
std::vector<std::uint8_t> IconFile() {
    std::vector<std::vector<std::uint8_t>> images;
    for (const int size : kSizes) {
        images.push_back(IconImage(Draw(size)));
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);  // idReserved
    Put16(out, 1);  // idType: icon
    Put16(out, static_cast<std::uint32_t>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = kSizes[i];
        out.push_back(static_cast<std::uint8_t>(size % 256));      // bWidth: 0 means 256
        out.push_back(static_cast<std::uint8_t>(size % 256));      // bHeight
        out.push_back(0);                                          // bColorCount
        out.push_back(0);                                          // bReserved
        Put16(out, 1);                                             // wPlanes
        Put16(out, 32);                                            // wBitCount
        Put32(out, static_cast<std::uint32_t>(images[i].size()));  // dwBytesInRes
        Put32(out, offset);                                        // dwImageOffset
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: draw_agent_icon OUTPUT.ico\n";
        return 2;
    }
    const std::vector<std::uint8_t> icon = IconFile();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(icon.data()),
              static_cast<std::streamsize>(icon.size()));
    if (!out) {
        std::cerr << "draw_agent_icon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
