// Uncompressed Windows BMP files (BITMAPFILEHEADER + BITMAPINFOHEADER, BI_RGB) at the image's own
// depth. A colour table is written only at 8 bits per pixel or less, one blue, green, red, 0 entry
// per palette entry; the pixel rows are the image's rows as they are, bottom row first. The
// resolution fields hold the monitor's DPI in pixels per metre when it is known, else 0.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/pixel_image.h"
#include "core/resolution.h"

namespace kelpix::core {

constexpr uint32_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpInfoHeaderSize = 40;

// The parts of a BMP file in the order they are written. The pixel rows that follow colorTable are
// the image's `bits`, unchanged, so a file writer can write them straight from the image.
struct BmpHeaders {
    std::array<uint8_t, kBmpFileHeaderSize> fileHeader{};
    std::array<uint8_t, kBmpInfoHeaderSize> infoHeader{};
    std::vector<uint8_t> colorTable; // 4 bytes per palette entry; empty above 8 bits per pixel
};

// The headers for `image`, or std::nullopt for an empty image, which is saved as a file of 0 bytes.
// `dpi` is the DPI of the monitor the window was captured on (see core/resolution.h).
// Throws std::invalid_argument when the image is inconsistent (see CheckImage), its file would not
// fit the 32-bit size fields of the format, or the DPI is above kMaxDpi.
std::optional<BmpHeaders> MakeBmpHeaders(const PixelImage& image, uint32_t dpi = kUnknownDpi);

// The complete BMP file for `image` in memory; no bytes at all for an empty image.
// Throws std::invalid_argument like MakeBmpHeaders.
std::vector<uint8_t> EncodeBmp(const PixelImage& image, uint32_t dpi = kUnknownDpi);

} // namespace kelpix::core
