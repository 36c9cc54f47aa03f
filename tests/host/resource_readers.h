// Minimal readers for icon and bitmap files, written from the formats' layout so that the tests check
// the writers' bytes independently of the writers.
#pragma once

#include "core/rgb_image.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kelpix::test {

struct Bytes {
    const std::vector<uint8_t>& data;
    uint32_t u8(size_t at) const { return data.at(at); }
    uint32_t u16(size_t at) const { return u8(at) | u8(at + 1) << 8; }
    uint32_t u32(size_t at) const { return u16(at) | u16(at + 2) << 16; }
};

inline size_t RowBytes(int32_t width, uint32_t bits) {
    return (static_cast<size_t>(width) * bits + 31) / 32 * 4;
}

struct DecodedIcon {
    uint32_t entry_width, entry_height, entry_colours, entry_bits, entry_bytes, entry_offset; // ICONDIRENTRY
    uint32_t header_height, header_bits;                                                      // BITMAPINFOHEADER
    std::vector<core::Rgb> palette;
    core::IconImage image; // colour as stored in the XOR bits, opacity from the AND mask
};

inline std::vector<DecodedIcon> ReadIcoFile(const std::vector<uint8_t>& data) {
    const Bytes in{data};
    if (in.u16(0) != 0 || in.u16(2) != 1) throw std::runtime_error("not an icon file");
    std::vector<DecodedIcon> icons;
    for (size_t i = 0, count = in.u16(4); i < count; ++i) {
        const size_t e = 6 + 16 * i;
        if (in.u16(e + 4) != 1) throw std::runtime_error("planes must be 1");
        DecodedIcon icon{};
        icon.entry_width = in.u8(e), icon.entry_height = in.u8(e + 1), icon.entry_colours = in.u8(e + 2);
        icon.entry_bits = in.u16(e + 6), icon.entry_bytes = in.u32(e + 8), icon.entry_offset = in.u32(e + 12);
        const size_t at = icon.entry_offset;
        if (in.u32(at) != 40 || in.u16(at + 12) != 1 || in.u32(at + 16) != 0) throw std::runtime_error("bad header");
        const auto w = static_cast<int32_t>(in.u32(at + 4));
        icon.header_height = in.u32(at + 8);
        icon.header_bits = in.u16(at + 14);
        const int32_t h = static_cast<int32_t>(icon.header_height / 2);
        size_t cursor = at + 40;
        if (icon.header_bits <= 8) {
            const uint32_t used = in.u32(at + 32) ? in.u32(at + 32) : 1u << icon.header_bits;
            for (uint32_t c = 0; c < used; ++c, cursor += 4)
                icon.palette.push_back(
                    {uint8_t(in.u8(cursor + 2)), uint8_t(in.u8(cursor + 1)), uint8_t(in.u8(cursor))});
        }
        const size_t mask = cursor + RowBytes(w, icon.header_bits) * h;
        if (mask + RowBytes(w, 1) * h != at + icon.entry_bytes) throw std::runtime_error("size does not match entry");
        icon.image = core::IconImage(w, h);
        for (int32_t y = 0; y < h; ++y) {
            const size_t row = cursor + RowBytes(w, icon.header_bits) * (h - 1 - y);
            const size_t mask_row = mask + RowBytes(w, 1) * (h - 1 - y);
            for (int32_t x = 0; x < w; ++x) {
                core::Rgb& c = icon.image.colour.at(x, y);
                if (icon.header_bits == 24) {
                    c = {uint8_t(in.u8(row + 3 * x + 2)), uint8_t(in.u8(row + 3 * x + 1)), uint8_t(in.u8(row + 3 * x))};
                } else if (icon.header_bits == 4) {
                    const uint32_t pair = in.u8(row + x / 2);
                    c = icon.palette.at(x % 2 == 0 ? pair >> 4 : pair & 0x0F);
                } else {
                    throw std::runtime_error("unexpected bit count");
                }
                icon.image.opaque[static_cast<size_t>(y * w + x)] = (in.u8(mask_row + x / 8) & (0x80 >> (x % 8))) == 0;
            }
        }
        icons.push_back(std::move(icon));
    }
    return icons;
}

// A bottom-up 24-bit bitmap file; checks the headers that a loader relies on.
inline core::RgbImage ReadBmp24File(const std::vector<uint8_t>& data) {
    const Bytes in{data};
    if (in.u8(0) != 'B' || in.u8(1) != 'M' || in.u32(2) != data.size() || in.u32(10) != 54 || in.u32(14) != 40 ||
        in.u16(26) != 1 || in.u16(28) != 24 || in.u32(30) != 0)
        throw std::runtime_error("not an uncompressed 24-bit bitmap file");
    const auto w = static_cast<int32_t>(in.u32(18));
    const auto h = static_cast<int32_t>(in.u32(22));
    if (h <= 0 || 54 + RowBytes(w, 24) * h != data.size()) throw std::runtime_error("bad bitmap size");
    core::RgbImage image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const size_t p = 54 + RowBytes(w, 24) * (h - 1 - y) + 3 * x;
            image.at(x, y) = {uint8_t(in.u8(p + 2)), uint8_t(in.u8(p + 1)), uint8_t(in.u8(p))};
        }
    return image;
}

} // namespace kelpix::test
