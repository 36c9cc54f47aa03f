// The shape of the captured window: a mask of one byte per pixel, top row first, 0 outside the
// shape, 255 inside, values between on anti-aliased edges (the share of the pixel inside). PNG keeps
// it as alpha; BMP, JPEG and the clipboard's bitmap cannot be transparent and show the shape on white.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/pixel_image.h"

namespace kelpix::core {

// An image and the shape of the window in it.
struct ShapedImage {
    PixelImage image;
    std::vector<uint8_t> shapeMask; // width x height bytes, or empty when every pixel is inside
};

// Why `shapeMask` does not fit `image`, or std::nullopt when it does: it must be empty or hold
// exactly width x height bytes.
std::optional<std::string> CheckShapeMask(const PixelImage& image, std::span<const uint8_t> shapeMask);

// The image laid on white through the mask: a pixel outside the shape turns white, an edge pixel
// with mask value a becomes colour x a / 255 + white x (255 - a) / 255 (rounded to the nearest), and
// a pixel inside keeps every bit. 32, 24 and 16-bit images keep their depth, their padding, the
// unused byte of a 32-bit pixel and bit 15 of a 16-bit one (edges there are blended in 5-bit
// steps). Palette images (8, 4 and 1 bit) come back as 24-bit images of the colours they show,
// since their palette need not hold white or the blended colours. An empty mask gives the image
// as it is. Throws std::invalid_argument when the image is inconsistent (see CheckImage) or the
// mask does not fit it. An image passed by moving it is blended where it lies, with no copy.
PixelImage BlendOntoWhite(PixelImage image, std::span<const uint8_t> shapeMask);

// The rows the shape cuts, where some pixel is not wholly inside: bands of rows [top, bottom), from
// the top down, with rows wholly inside between them. Only these need laying on white; a window with
// rounded corners has one band at the top and one at the bottom. `width` is the mask's row length.
struct RowBand {
    int top = 0, bottom = 0;
    bool operator==(const RowBand&) const = default;
};
std::vector<RowBand> RowsCutByShape(std::span<const uint8_t> shapeMask, int width);

} // namespace kelpix::core
