// Turning the rows of a PixelImage into red, green, blue bytes, as the encoders hand them on.
#pragma once

#include <array>
#include <cstdint>

#include "core/pixel_image.h"

namespace kelpix::core {

// Writes `width` pixels of one DIB row at the given depth as 3 bytes each, red, green, blue.
// 16-bit pixels are widened to 8 bits per channel by repeating their top bits; a palette index
// reads its entry from `paletteRgb` (see PaletteRgb).
using RowConverter = void (*)(const uint8_t* dib, uint8_t* rgb, uint32_t width, const uint8_t* paletteRgb);

// The converter for a supported depth.
RowConverter RgbRowConverter(int32_t bitsPerPixel);

// The image's palette as red, green, blue bytes for 256 entries; entries the palette does not have
// are black.
std::array<uint8_t, 256 * 3> PaletteRgb(const PixelImage& image);

} // namespace kelpix::core
