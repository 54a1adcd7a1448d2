// Draws the agent's icon, a mouse seen from above with its wheel lit, and writes it as an icon
// file: one image each of 256, 48, 32, 24 and 16 pixels square, 32 bits a pixel (BGRA with an
// alpha channel, and the AND mask older readers want). Every image is drawn at its own size by
// src/platform/agent_icon_picture.cpp, which the Linux tray draws its pixmaps with too.
//
//   draw_agent_icon OUTPUT.ico
//
// Only the standard library: programs/windows/make-icon builds and runs it.

#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

#include "platform/agent_icon_picture.h"

namespace {

using t47::Colour;
using t47::DrawAgentIcon;
using t47::Image;

constexpr std::array<int, 5> kSizes = {256, 48, 32, 24, 16};

std::uint8_t Byte(double value) {
    return t47::ColourByte(value);
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
        images.push_back(IconImage(DrawAgentIcon(size)));
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
