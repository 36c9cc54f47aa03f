#include "core/shape_mask.h"

#include <stdexcept>
#include <utility>

#include "core/dib_rows.h"

namespace kelpix::core {

namespace {

constexpr uint8_t kOpaque = 255;

// A channel whose brightest value is `Brightest`, laid on white (all channels at their brightest)
// with `alpha` of 255 covering it.
template <uint32_t Brightest> uint32_t OnWhite(uint32_t channel, uint32_t alpha) {
    return Brightest - ((Brightest - channel) * alpha + 127) / 255;
}

void BlendBgrPixel(uint8_t* pixel, uint8_t alpha) {
    for (int channel = 0; channel < 3; ++channel)
        pixel[channel] = static_cast<uint8_t>(OnWhite<255>(pixel[channel], alpha));
}

void Blend555Pixel(uint8_t* pixel, uint8_t alpha) {
    const uint32_t word = pixel[0] | (uint32_t{pixel[1]} << 8);
    const uint32_t red = OnWhite<31>((word >> 10) & 0x1F, alpha);
    const uint32_t green = OnWhite<31>((word >> 5) & 0x1F, alpha);
    const uint32_t blue = OnWhite<31>(word & 0x1F, alpha);
    const uint32_t blended = (word & 0x8000) | (red << 10) | (green << 5) | blue;
    pixel[0] = static_cast<uint8_t>(blended);
    pixel[1] = static_cast<uint8_t>(blended >> 8);
}

// A palette image as the 24-bit image of the colours it shows.
PixelImage WidenToBgr(const PixelImage& image) {
    PixelImage wide{image.width, image.height, 24, {}, {}};
    wide.bits.resize(static_cast<size_t>(DibImageSize(wide)));
    const RowConverter convert = RgbRowConverter(image.bitsPerPixel);
    const auto paletteRgb = PaletteRgb(image);
    const size_t stride = static_cast<size_t>(DibRowStride(image.width, image.bitsPerPixel));
    const size_t wideStride = static_cast<size_t>(DibRowStride(image.width, 24));
    const auto width = static_cast<uint32_t>(image.width);
    for (size_t row = 0; row < static_cast<size_t>(image.height); ++row) {
        uint8_t* pixel = wide.bits.data() + row * wideStride;
        convert(image.bits.data() + row * stride, pixel, width, paletteRgb.data());
        for (uint32_t x = 0; x < width; ++x, pixel += 3)
            std::swap(pixel[0], pixel[2]);
    }
    return wide;
}

bool AllInside(const uint8_t* alpha, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (alpha[i] != kOpaque) return false;
    }
    return true;
}

} // namespace

std::vector<RowBand> RowsCutByShape(std::span<const uint8_t> shapeMask, int width) {
    std::vector<RowBand> bands;
    if (width <= 0) return bands;
    const auto rowLength = static_cast<size_t>(width);
    const int height = static_cast<int>(shapeMask.size() / rowLength);
    for (int y = 0; y < height; ++y) {
        if (AllInside(shapeMask.data() + static_cast<size_t>(y) * rowLength, rowLength)) continue;
        if (!bands.empty() && bands.back().bottom == y) {
            bands.back().bottom = y + 1;
        } else {
            bands.push_back({y, y + 1});
        }
    }
    return bands;
}

std::optional<std::string> CheckShapeMask(const PixelImage& image, std::span<const uint8_t> shapeMask) {
    const uint64_t pixels = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
    if (shapeMask.empty() || (image.width >= 0 && image.height >= 0 && shapeMask.size() == pixels)) return std::nullopt;
    return "a shape mask of " + std::to_string(shapeMask.size()) + " bytes does not fit an image of " +
           std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels";
}

PixelImage BlendOntoWhite(PixelImage image, std::span<const uint8_t> shapeMask) {
    if (auto problem = CheckImage(image)) throw std::invalid_argument("cannot blend onto white: " + *problem);
    if (auto problem = CheckShapeMask(image, shapeMask))
        throw std::invalid_argument("cannot blend onto white: " + *problem);
    if (shapeMask.empty() || IsEmpty(image)) return image;

    PixelImage blended = image.bitsPerPixel <= 8 ? WidenToBgr(image) : std::move(image);
    const size_t stride = static_cast<size_t>(DibRowStride(blended.width, blended.bitsPerPixel));
    const size_t bytesPerPixel = static_cast<size_t>(blended.bitsPerPixel) / 8;
    const auto width = static_cast<size_t>(blended.width), height = static_cast<size_t>(blended.height);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* alpha = shapeMask.data() + y * width; // the mask runs from the top down
        uint8_t* row = blended.bits.data() + (height - 1 - y) * stride;
        for (size_t x = 0; x < width; ++x) {
            // Eight pixels inside at once: most of a window is.
            while (x + 8 <= width && AllInside(alpha + x, 8))
                x += 8;
            if (x == width || alpha[x] == kOpaque) continue;
            uint8_t* pixel = row + x * bytesPerPixel;
            if (bytesPerPixel == 2) {
                Blend555Pixel(pixel, alpha[x]);
            } else {
                BlendBgrPixel(pixel, alpha[x]);
            }
        }
    }
    return blended;
}

} // namespace kelpix::core
