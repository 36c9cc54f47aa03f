// Writers for the resource files the build embeds: Windows icon files (.ico) and uncompressed 24-bit
// bitmap files (.bmp). All fields are written byte by byte in little-endian order, so the output is the
// same on every host and does not depend on how a compiler lays out structures.
#pragma once

#include "core/rgb_image.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kelpix::core {

// How an icon image is stored: 4 bits per pixel through a 16-entry palette, or 24-bit colour.
// Both carry a one-bit AND mask for transparency.
enum class IconDepth : uint16_t {
    Palette4 = 4,
    Rgb24 = 24,
};

struct IconEntry {
    IconImage image;
    IconDepth depth;
};

// The standard 16-colour palette of Windows (the VGA colours, black at 0, pure red at 9). A 4-bit icon
// image is stored with this palette; every opaque pixel must have one of its colours exactly.
const std::array<Rgb, 16>& StandardPalette16();

// Encodes an icon file with one image per entry, in the given order:
//   ICONDIR (reserved 0, type 1, count), one 16-byte ICONDIRENTRY per image, then for each image a
//   BITMAPINFOHEADER with the height doubled, the palette for 4-bit images, the colour (XOR) bits
//   bottom-up with rows padded to 4 bytes, and the AND mask, 1 bit per pixel, 1 = transparent.
// Transparent pixels are stored as colour 0 (black) so they leave the screen unchanged.
// Throws std::invalid_argument for no entries, a size outside 1 to 256, an inconsistent mask, or a
// 4-bit image with an opaque colour that the standard palette does not hold.
std::vector<uint8_t> EncodeIcoFile(std::span<const IconEntry> entries);

// Encodes an uncompressed 24-bit bitmap file: BITMAPFILEHEADER, BITMAPINFOHEADER (bottom-up, no
// compression, no palette), rows of blue-green-red triples padded to 4 bytes. Throws
// std::invalid_argument for an empty image.
std::vector<uint8_t> EncodeBmp24File(const RgbImage& image);

} // namespace kelpix::core
