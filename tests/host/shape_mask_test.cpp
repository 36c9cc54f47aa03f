#include "core/shape_mask.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "test_images.h"

namespace kelpix::core {
namespace {

using test::MakeIndexedImage;
using test::MakeTrueColourImage;
using test::ReadPixel;
using test::Rgb;

// The mask at (x, y), y from the top: outside, inside and edges of several strengths.
uint8_t MaskAt(int x, int y) {
    static constexpr uint8_t kLevels[] = {0, 255, 1, 77, 128, 254, 255};
    return kLevels[(x + 2 * y) % 7];
}

PixelImage MakeImage(int width, int height, int depth) {
    const auto colour = [](int x, int y) {
        return Rgb{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(255 - x * 13),
                   static_cast<uint8_t>(y * 71 + 5)};
    };
    if (depth > 8) return MakeTrueColourImage(width, height, depth, colour, 0xA5, 0x5A);
    std::vector<uint32_t> palette; // no white in it
    for (uint32_t i = 0; i < (1u << depth); ++i)
        palette.push_back((0x2F1D0B * (i + 1)) & 0x7F7F7F);
    return MakeIndexedImage(
        width, height, depth, palette, [&](int x, int y) { return (x * 3 + y * 5) % (1u << depth); }, 0xA5);
}

// Where the bytes of pixel (x, y), y from the top, lie in the image's rows.
size_t PixelOffset(const PixelImage& image, int x, int y) {
    return test::TopRowOffset(image, y) + static_cast<size_t>(x) * image.bitsPerPixel / 8;
}

TEST(ShapeMask, BlendOntoWhiteWhitensOutsideBlendsEdgesAndKeepsInsideBitForBit) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{7, 5}, std::pair{33, 4}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            const PixelImage image = MakeImage(width, height, depth);
            std::vector<uint8_t> mask;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    mask.push_back(MaskAt(x, y));
            }
            const PixelImage blended = BlendOntoWhite(image, mask);
            ASSERT_FALSE(CheckImage(blended).has_value());
            EXPECT_EQ(blended.bitsPerPixel, depth > 8 ? depth : 24);

            // Every byte but the colour of the pixels blended is the image's own: padding, the
            // unused byte, and the pixels inside.
            std::vector<uint8_t> expectedBits = image.bits;
            const int colourBytes = depth == 16 ? 2 : 3;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint8_t alpha = MaskAt(x, y);
                    const Rgb source = ReadPixel(image, x, y), result = ReadPixel(blended, x, y);
                    // The exact blend; 16-bit pixels have 5 bits per channel to hold it in.
                    const auto onWhite = [&](uint8_t c) { return c * alpha / 255.0 + 255.0 * (255 - alpha) / 255.0; };
                    const double tolerance = depth == 16 ? 4.8 : 0.5;
                    EXPECT_NEAR(result.r, onWhite(source.r), tolerance) << x << ", " << y << " alpha " << int{alpha};
                    EXPECT_NEAR(result.g, onWhite(source.g), tolerance) << x << ", " << y << " alpha " << int{alpha};
                    EXPECT_NEAR(result.b, onWhite(source.b), tolerance) << x << ", " << y << " alpha " << int{alpha};
                    if (depth <= 8 || alpha == 255) continue;
                    const size_t at = PixelOffset(image, x, y);
                    if (depth == 16) EXPECT_EQ(blended.bits[at + 1] & 0x80, image.bits[at + 1] & 0x80) << "bit 15";
                    std::copy_n(&blended.bits[at], colourBytes, &expectedBits[at]);
                }
            }
            if (depth > 8) EXPECT_EQ(blended.bits, expectedBits);
            if (depth > 8) EXPECT_EQ(BlendOntoWhite(image, {}).bits, image.bits) << "without a mask";
        }
    }
}

TEST(ShapeMask, MasksThatDoNotFitAreRefused) {
    const PixelImage image = MakeImage(4, 3, 32);
    for (size_t bytes : {size_t{1}, size_t{11}, size_t{13}, size_t{48}}) {
        const std::vector<uint8_t> mask(bytes, 255);
        EXPECT_TRUE(CheckShapeMask(image, mask).has_value()) << bytes;
        EXPECT_THROW(BlendOntoWhite(image, mask), std::invalid_argument) << bytes;
    }
    EXPECT_FALSE(CheckShapeMask(image, std::vector<uint8_t>(12, 0)).has_value());
    EXPECT_FALSE(CheckShapeMask(image, {}).has_value());
    PixelImage broken = image;
    broken.bits.pop_back();
    EXPECT_THROW(BlendOntoWhite(broken, std::vector<uint8_t>(12, 0)), std::invalid_argument);
}

} // namespace
} // namespace kelpix::core
