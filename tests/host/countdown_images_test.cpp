#include "core/glyphs.h"
#include "core/icons.h"
#include "core/resource_files.h"

#include "resource_readers.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <stdexcept>
#include <vector>

namespace kelpix::core {
namespace {

struct Ink {
    int32_t left = 99, top = 99, right = -1, bottom = -1;
};

Ink InkWithin(const RgbImage& image, int32_t from_column, int32_t to_column) {
    Ink ink;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = from_column; x <= to_column; ++x)
            if (image.at(x, y) == kWhite)
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x), std::max(ink.bottom, y)};
    return ink;
}

// The digit whose glyph fills the 5 x 9 cell at (left, 3) exactly, or -1.
int ReadDigit(const RgbImage& image, int32_t left) {
    for (int digit = 0; digit <= 9; ++digit) {
        bool same = true;
        for (int32_t row = 0; row < kGlyphHeight; ++row)
            for (int32_t column = 0; column < kGlyphWidth; ++column)
                same = same && DigitInk(digit, column, row) == (image.at(left + column, 3 + row) == kWhite);
        if (same) return digit;
    }
    return -1;
}

TEST(DigitFont, GlyphsReachEverySideOfTheCellAndDifferInSeveralPixels) {
    for (int a = 0; a <= 9; ++a) {
        RgbImage cell(kGlyphWidth, kGlyphHeight);
        DrawDigit(cell, a, 0, 0, kWhite);
        const Ink ink = InkWithin(cell, 0, kGlyphWidth - 1);
        EXPECT_TRUE(ink.left == 0 && ink.top == 0 && ink.right == 4 && ink.bottom == 8) << "digit " << a;
        // One stray or missing pixel must never turn one digit into another.
        for (int b = a + 1; b <= 9; ++b) {
            int differing = 0;
            for (int32_t row = 0; row < kGlyphHeight; ++row)
                for (int32_t column = 0; column < kGlyphWidth; ++column)
                    differing += DigitInk(a, column, row) != DigitInk(b, column, row);
            EXPECT_GE(differing, 4) << "digits " << a << " and " << b;
        }
    }
    EXPECT_THROW(DigitInk(10, 0, 0), std::out_of_range);
    EXPECT_THROW(DigitInk(3, kGlyphWidth, 0), std::out_of_range);
    RgbImage small(8, 8);
    EXPECT_THROW(DrawDigit(small, 1, 4, 0, kWhite), std::out_of_range);
}

TEST(CountdownImages, FollowThePixelRulesForEveryNumber) {
    std::set<std::vector<bool>> seen;
    for (int n = 1; n <= 99; ++n) {
        SCOPED_TRACE(n);
        const RgbImage image = CountdownImage(n);
        ASSERT_EQ(image.width, 16);
        ASSERT_EQ(image.height, 16);
        for (const Rgb& p : image.pixels)
            ASSERT_TRUE(p == kWhite || p == kBlack);
        const Ink ink = InkWithin(image, 0, 15);
        EXPECT_EQ(ink.top, 3);
        EXPECT_EQ(ink.bottom, 11);
        if (n < 10) {
            EXPECT_GE(ink.left, 6);
            EXPECT_LE(ink.right, 10);
            EXPECT_EQ(ReadDigit(image, 6), n);
        } else {
            EXPECT_EQ(ink.left, 2);
            EXPECT_EQ(ink.right, 13);
            EXPECT_EQ(InkWithin(image, 7, 8).right, -1) << "the two digits touch";
            EXPECT_EQ(ReadDigit(image, 2) * 10 + ReadDigit(image, 9), n);
        }
        std::vector<bool> bits;
        for (const Rgb& p : image.pixels)
            bits.push_back(p == kWhite);
        EXPECT_TRUE(seen.insert(bits).second) << "repeats an earlier image";
    }
    EXPECT_THROW(CountdownImage(0), std::out_of_range);
    EXPECT_THROW(CountdownImage(100), std::out_of_range);
}

TEST(CountdownImages, LargerSizesAreTheSixteenPixelImageWithWholePixelsCentred) {
    // Size, then how many pixels each designed pixel takes and the black margin round the design.
    for (auto [size, scale, margin] : {std::tuple{20, 1, 2}, {24, 1, 4}, {32, 2, 0}}) {
        for (int n : {1, 7, 10, 58, 99}) {
            SCOPED_TRACE(testing::Message() << size << " pixels, " << n);
            const RgbImage design = CountdownImage(n), image = CountdownImage(n, size);
            ASSERT_EQ(image.width, size);
            ASSERT_EQ(image.height, size);
            for (int32_t y = 0; y < size; ++y)
                for (int32_t x = 0; x < size; ++x) {
                    const int32_t u = (x - margin) / scale, v = (y - margin) / scale;
                    const bool inside = x >= margin && y >= margin && u < 16 && v < 16;
                    ASSERT_EQ(image.at(x, y), inside ? design.at(u, v) : kBlack) << x << "," << y;
                }
        }
    }
    EXPECT_THROW(CountdownImage(5, 18), std::invalid_argument);
    // The notification area's icon size picks the largest drawn size that fits.
    for (auto [system, drawn] :
         {std::pair{10, 16}, {16, 16}, {19, 16}, {20, 20}, {23, 20}, {24, 24}, {31, 24}, {32, 32}, {48, 32}})
        EXPECT_EQ(TrayIconSize(system), drawn) << system;
}

TEST(CountdownStrip, BitmapFileHoldsImageForNAtColumnSixteenTimesNMinusOne) {
    const RgbImage strip = test::ReadBmp24File(EncodeBmp24File(CountdownStrip()));
    ASSERT_EQ(strip.width, 99 * 16);
    ASSERT_EQ(strip.height, 16);
    for (int n = 1; n <= 99; ++n) {
        const RgbImage image = CountdownImage(n);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x)
                ASSERT_EQ(strip.at(16 * (n - 1) + x, y), image.at(x, y)) << n << " at " << x << "," << y;
    }
}

TEST(BitmapFile, PadsRowsToFourBytesAndStoresBlueGreenRedBottomUp) {
    RgbImage image(3, 2, kBlack);
    image.at(0, 0) = {1, 2, 3};
    image.at(2, 1) = {10, 20, 30};
    const std::vector<uint8_t> file = EncodeBmp24File(image);
    ASSERT_EQ(file.size(), 54u + 2 * 12); // 9 bytes of pixels padded to 12 per row
    const std::vector<uint8_t> bottom(file.begin() + 54, file.begin() + 66), top(file.begin() + 66, file.end());
    EXPECT_EQ(top, (std::vector<uint8_t>{3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bottom, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 30, 20, 10, 0, 0, 0}));
    EXPECT_TRUE(test::ReadBmp24File(file) == image);
    EXPECT_THROW(EncodeBmp24File(RgbImage(0, 4)), std::invalid_argument);
}

} // namespace
} // namespace kelpix::core
