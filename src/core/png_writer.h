// PNG files through libpng and zlib: 8-bit red, green, blue without alpha (the screen has none),
// not interlaced, no chunks but IHDR, IDAT and IEND.
//
// Compression is set for screen captures, chosen by measuring a 3840 x 2160 desktop (bench/):
// zlib level 4 with its default strategy, and each row's filter chosen by the encoder itself: the
// filter whose residuals, read as signed bytes, have the smallest sum of magnitudes (libpng's own
// rule) over a quarter of the row, 16 pixels out of every 64, and UP at once for a row equal to the
// one above. That gives files within about 10 % of libpng's defaults (level 6, every row tried
// with every filter) in about a third of the time.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/pixel_image.h"

namespace kelpix::core {

constexpr int kPngZlibLevel = 4;

// A fatal error reported by libpng while encoding; what() is the library's message.
class PngError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The filter types of the format, as the filter byte in front of each row holds them.
enum class PngFilter : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// The filter the encoder uses for `row` (3 bytes per pixel) below `above` (same length; zeros for
// the first row).
PngFilter ChoosePngFilter(std::span<const uint8_t> row, std::span<const uint8_t> above);

// The complete PNG file for `image` in memory, rows from the top down; no bytes at all for an empty
// image. Colours are taken as the image shows them (16-bit pixels widened to 8 bits per channel by
// repeating their top bits; palette indices without an entry are black).
// Throws std::invalid_argument when the image is inconsistent (see CheckImage) and PngError when
// libpng gives up (for instance on a width above its limit of 1000000 pixels). Nothing is leaked
// either way.
std::vector<uint8_t> EncodePng(const PixelImage& image);

} // namespace kelpix::core
