#include "core/dib_rows.h"

#include <cstring>

namespace kelpix::core {

namespace {

void ConvertBgrx(const uint8_t* dib, uint8_t* rgb, uint32_t width, const uint8_t*) {
    for (uint32_t x = 0; x < width; ++x) {
        rgb[0] = dib[2];
        rgb[1] = dib[1];
        rgb[2] = dib[0];
        dib += 4;
        rgb += 3;
    }
}

void ConvertBgr(const uint8_t* dib, uint8_t* rgb, uint32_t width, const uint8_t*) {
    for (uint32_t x = 0; x < width; ++x) {
        rgb[0] = dib[2];
        rgb[1] = dib[1];
        rgb[2] = dib[0];
        dib += 3;
        rgb += 3;
    }
}

uint8_t Widen5(uint32_t five) {
    return static_cast<uint8_t>((five << 3) | (five >> 2));
}

void Convert555(const uint8_t* dib, uint8_t* rgb, uint32_t width, const uint8_t*) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint32_t word = dib[0] | (uint32_t{dib[1]} << 8);
        rgb[0] = Widen5((word >> 10) & 0x1F);
        rgb[1] = Widen5((word >> 5) & 0x1F);
        rgb[2] = Widen5(word & 0x1F);
        dib += 2;
        rgb += 3;
    }
}

template <int Bits> void ConvertIndexed(const uint8_t* dib, uint8_t* rgb, uint32_t width, const uint8_t* paletteRgb) {
    constexpr int kPerByte = 8 / Bits;
    constexpr uint32_t kMask = (1u << Bits) - 1;
    for (uint32_t x = 0; x < width; ++x) {
        const int shift = (kPerByte - 1 - static_cast<int>(x % kPerByte)) * Bits;
        const uint32_t index = (dib[x / kPerByte] >> shift) & kMask;
        std::memcpy(rgb, paletteRgb + 3 * index, 3);
        rgb += 3;
    }
}

} // namespace

RowConverter RgbRowConverter(int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 32:
        return ConvertBgrx;
    case 24:
        return ConvertBgr;
    case 16:
        return Convert555;
    case 8:
        return ConvertIndexed<8>;
    case 4:
        return ConvertIndexed<4>;
    default:
        return ConvertIndexed<1>;
    }
}

std::array<uint8_t, 256 * 3> PaletteRgb(const PixelImage& image) {
    std::array<uint8_t, 256 * 3> rgb{};
    for (size_t i = 0; i < image.palette.size() && i < 256; ++i) {
        const uint32_t entry = image.palette[i];
        rgb[3 * i + 0] = static_cast<uint8_t>(entry >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(entry >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(entry);
    }
    return rgb;
}

} // namespace kelpix::core
