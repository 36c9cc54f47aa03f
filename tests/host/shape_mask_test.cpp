#include "core/shape_mask.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "test_images.h"

namespace kelpix::core {
namespace {

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
    if (depth > 8) return test::MakeTrueColourImage(width, height, depth, colour, 0xA5, 0x5A);
    std::vector<uint32_t> palette{0x102030, 0x7F4000}; // no white in it
    return test::MakeIndexedImage(
        width, height, depth, palette, [](int x, int y) { return (x + y) % 2u; }, 0xA5);
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

            // Every byte but the colour of the pixels blended stays: padding, the unused byte, the
            // pixels inside.
            std::vector<uint8_t> expectedBits = image.bits;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int alpha = MaskAt(x, y);
                    const Rgb source = ReadPixel(image, x, y), result = ReadPixel(blended, x, y);
                    // The exact blend; 16-bit pixels have 5 bits per channel to hold it in.
                    const auto onWhite = [&](uint8_t c) { return (c * alpha + 255.0 * (255 - alpha)) / 255.0; };
                    const double tolerance = depth == 16 ? 4.8 : 0.5;
                    EXPECT_NEAR(result.r, onWhite(source.r), tolerance) << x << ", " << y << " alpha " << alpha;
                    EXPECT_NEAR(result.g, onWhite(source.g), tolerance) << x << ", " << y << " alpha " << alpha;
                    EXPECT_NEAR(result.b, onWhite(source.b), tolerance) << x << ", " << y << " alpha " << alpha;
                    if (depth <= 8 || alpha == 255) continue;
                    const size_t at = test::TopRowOffset(image, y) + static_cast<size_t>(x) * depth / 8;
                    if (depth == 16) EXPECT_EQ(blended.bits[at + 1] & 0x80, image.bits[at + 1] & 0x80) << "bit 15";
                    std::copy_n(&blended.bits[at], depth == 16 ? 2 : 3, &expectedBits[at]);
                }
            }
            if (depth > 8) EXPECT_EQ(blended.bits, expectedBits);
        }
    }
}

TEST(ShapeMask, OnlyThePixelsAndRowsTheShapeCutsChangeAmongLongRunsInside) {
    // 21 wide: runs of eight inside around each cut pixel, and a tail shorter than eight.
    constexpr int kWidth = 21, kHeight = 6;
    const std::vector<std::pair<int, int>> cut = {{0, 1}, {9, 1}, {20, 2}, {8, 4}, {16, 4}};
    std::vector<uint8_t> mask(size_t{kWidth} * kHeight, 255);
    for (auto [x, y] : cut)
        mask[static_cast<size_t>(y) * kWidth + x] = 0;
    const PixelImage image = MakeImage(kWidth, kHeight, 32), blended = BlendOntoWhite(image, mask);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool white = std::count(cut.begin(), cut.end(), std::pair{x, y}) > 0;
            const Rgb expected = white ? Rgb{255, 255, 255} : ReadPixel(image, x, y), result = ReadPixel(blended, x, y);
            EXPECT_TRUE(result.r == expected.r && result.g == expected.g && result.b == expected.b) << x << ", " << y;
        }
    }
    EXPECT_EQ(RowsCutByShape(mask, kWidth), (std::vector<RowBand>{{1, 3}, {4, 5}}));
    EXPECT_TRUE(RowsCutByShape(std::vector<uint8_t>(kWidth * 2, 255), kWidth).empty());
    EXPECT_EQ(RowsCutByShape(std::vector<uint8_t>(kWidth * 2, 0), kWidth), (std::vector<RowBand>{{0, 2}}));
}

TEST(ShapeMask, WithoutAMaskTheImageStaysAndMasksThatDoNotFitAreRefused) {
    const PixelImage image = MakeImage(4, 3, 32);
    EXPECT_EQ(BlendOntoWhite(image, {}).bits, image.bits);
    for (size_t bytes : {size_t{11}, size_t{13}}) {
        EXPECT_TRUE(CheckShapeMask(image, std::vector<uint8_t>(bytes)).has_value()) << bytes;
        EXPECT_THROW(BlendOntoWhite(image, std::vector<uint8_t>(bytes)), std::invalid_argument) << bytes;
    }
    EXPECT_FALSE(CheckShapeMask(image, std::vector<uint8_t>(12)).has_value());
}

} // namespace
} // namespace kelpix::core
