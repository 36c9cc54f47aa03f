#include "core/pixel_image.h"

namespace kelpix::core {

uint64_t DibRowStride(int64_t width, int32_t bitsPerPixel) {
    const uint64_t rowBits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
    return (rowBits + 31) / 32 * 4;
}

uint64_t DibImageSize(const PixelImage& image) {
    return DibRowStride(image.width, image.bitsPerPixel) * static_cast<uint64_t>(image.height);
}

bool IsSupportedDepth(int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

std::optional<std::string> CheckImage(const PixelImage& image) {
    if (image.width < 0 || image.height < 0) {
        return "image size " + std::to_string(image.width) + " x " + std::to_string(image.height) + " is negative";
    }
    if (IsEmpty(image)) return std::nullopt;
    if (!IsSupportedDepth(image.bitsPerPixel)) {
        return "unsupported depth of " + std::to_string(image.bitsPerPixel) + " bits per pixel";
    }
    if (image.bitsPerPixel <= 8) {
        const size_t maxEntries = size_t{1} << image.bitsPerPixel;
        if (image.palette.empty() || image.palette.size() > maxEntries) {
            return "a " + std::to_string(image.bitsPerPixel) + "-bit image needs 1 to " + std::to_string(maxEntries) +
                   " palette entries, not " + std::to_string(image.palette.size());
        }
    } else if (!image.palette.empty()) {
        return "a " + std::to_string(image.bitsPerPixel) + "-bit image has no palette, but " +
               std::to_string(image.palette.size()) + " entries were given";
    }
    const uint64_t needed = DibImageSize(image);
    if (needed != image.bits.size()) {
        return "pixel data of " + std::to_string(image.bits.size()) + " bytes does not match " +
               std::to_string(image.width) + " x " + std::to_string(image.height) + " at " +
               std::to_string(image.bitsPerPixel) + " bits per pixel (" + std::to_string(needed) + " bytes)";
    }
    return std::nullopt;
}

} // namespace kelpix::core
