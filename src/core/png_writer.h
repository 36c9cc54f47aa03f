// PNG files through libpng and zlib: 8-bit red, green, blue, not interlaced, no chunks but IHDR,
// IDAT and IEND. A capture that comes with the window's shape gets an alpha channel from it, and one
// whose monitor's DPI is known a pHYs chunk in pixels per metre.
//
// Compression is set for screen captures, chosen by measuring a 3840 x 2160 desktop (bench/):
// zlib level 4 with its default strategy, and each row's filter chosen by the encoder itself: the
// filter whose residuals, read as signed bytes, have the smallest sum of magnitudes (libpng's own
// rule) over a quarter of the row, 16 pixels out of every 64, and UP at once for a row equal to the
// one above. That gives files within about 10 % of libpng's defaults (level 6, every row tried
// with every filter) in about a third of the time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/pixel_image.h"
#include "core/resolution.h"

namespace kelpix::core {

constexpr int kPngZlibLevel = 4;

// A fatal error reported by libpng while encoding; what() is the library's message.
class PngError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The filter types of the format, as the filter byte in front of each row holds them.
enum class PngFilter : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// The filter the encoder uses for `row` (3 bytes per pixel, or 4 with alpha) below `above` (same
// length; zeros for the first row).
PngFilter ChoosePngFilter(std::span<const uint8_t> row, std::span<const uint8_t> above, size_t bytesPerPixel = 3);

struct PngOptions {
    // The DPI of the monitor the window was captured on, kept in a pHYs chunk; kUnknownDpi writes
    // none (see core/resolution.h).
    uint32_t dpi = kUnknownDpi;
    // The window's shape (see core/shape_mask.h). Empty: an RGB file. Else an RGBA file whose alpha
    // is the mask; a pixel outside the shape (alpha 0) is stored white, so that nothing of what lay
    // behind the window is in the file and a viewer that ignores alpha shows white there.
    std::span<const uint8_t> shapeMask;
};

// The complete PNG file for `image` in memory, rows from the top down; no bytes at all for an empty
// image. Colours are taken as the image shows them (16-bit pixels widened to 8 bits per channel by
// repeating their top bits; palette indices without an entry are black). Without options the file
// is exactly what it always was.
// Throws std::invalid_argument when the image is inconsistent (see CheckImage), the mask does not
// fit it or the DPI is above kMaxDpi, and PngError when libpng gives up (for instance on a width
// above its limit of 1000000 pixels). Nothing is leaked either way.
std::vector<uint8_t> EncodePng(const PixelImage& image, const PngOptions& options = {});

} // namespace kelpix::core
