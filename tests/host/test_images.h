// Test helpers: build DIB-layout images from colour functions and read their pixels back. They pack
// and unpack pixels on their own, from the DIB layout rules, so that they can check the encoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/pixel_image.h"

namespace kelpix::test {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline size_t RowBytes(int width, int bitsPerPixel) {
    return (static_cast<size_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

// Offset of the first byte of row y counted from the top.
inline size_t TopRowOffset(const core::PixelImage& image, int y) {
    return static_cast<size_t>(image.height - 1 - y) * RowBytes(image.width, image.bitsPerPixel);
}

// A 32, 24 or 16-bit image whose pixel (x, y), y counted from the top, has colour(x, y). At 16 bits
// each channel keeps its top 5 bits. Padding bytes are filled with `padding`, unused bytes of 32-bit
// pixels and bit 15 of 16-bit pixels with `unused`, so that tests can see they carry no colour.
inline core::PixelImage MakeTrueColourImage(int width, int height, int bitsPerPixel,
                                            const std::function<Rgb(int, int)>& colour, uint8_t padding = 0,
                                            uint8_t unused = 0) {
    core::PixelImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bitsPerPixel;
    image.bits.assign(RowBytes(width, bitsPerPixel) * height, padding);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.bits.data() + TopRowOffset(image, y);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            if (bitsPerPixel == 32) {
                uint8_t* p = row + 4 * x;
                p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = unused;
            } else if (bitsPerPixel == 24) {
                uint8_t* p = row + 3 * x;
                p[0] = c.b, p[1] = c.g, p[2] = c.r;
            } else {
                const unsigned word = ((unused & 1u) << 15) | ((c.r >> 3u) << 10) | ((c.g >> 3u) << 5) | (c.b >> 3u);
                row[2 * x] = static_cast<uint8_t>(word & 0xFF);
                row[2 * x + 1] = static_cast<uint8_t>(word >> 8);
            }
        }
    }
    return image;
}

// A 1, 4 or 8-bit image whose pixel (x, y), y counted from the top, has palette index index(x, y).
inline core::PixelImage MakeIndexedImage(int width, int height, int bitsPerPixel, std::vector<uint32_t> palette,
                                         const std::function<unsigned(int, int)>& index, uint8_t padding = 0) {
    core::PixelImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bitsPerPixel;
    image.palette = std::move(palette);
    image.bits.assign(RowBytes(width, bitsPerPixel) * height, padding);
    const int perByte = 8 / bitsPerPixel;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.bits.data() + TopRowOffset(image, y);
        // Clear the bytes that hold pixels; bits past the last pixel keep the padding pattern.
        for (int x = 0; x < width; ++x) {
            uint8_t& byte = row[x / perByte];
            const int shift = (perByte - 1 - x % perByte) * bitsPerPixel;
            const unsigned mask = ((1u << bitsPerPixel) - 1) << shift;
            byte = static_cast<uint8_t>((byte & ~mask) | ((index(x, y) << shift) & mask));
        }
    }
    return image;
}

// The colour of pixel (x, y), y counted from the top. 16-bit channels are widened to 8 bits by
// repeating their top bits, as a display would show them.
inline Rgb ReadPixel(const core::PixelImage& image, int x, int y) {
    const uint8_t* row = image.bits.data() + TopRowOffset(image, y);
    switch (image.bitsPerPixel) {
    case 32:
        return {row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    case 24:
        return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    case 16: {
        const unsigned word = row[2 * x] | (row[2 * x + 1] << 8u);
        auto widen = [](unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); };
        return {widen((word >> 10) & 31u), widen((word >> 5) & 31u), widen(word & 31u)};
    }
    default: {
        const int bpp = image.bitsPerPixel;
        const int perByte = 8 / bpp;
        const unsigned index = (row[x / perByte] >> ((perByte - 1 - x % perByte) * bpp)) & ((1u << bpp) - 1);
        if (index >= image.palette.size()) return {};
        const uint32_t entry = image.palette[index];
        return {static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 8), static_cast<uint8_t>(entry)};
    }
    }
}

} // namespace kelpix::test
