#include "core/bmp_writer.h"

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

uint32_t Read16(const std::vector<uint8_t>& f, size_t at) {
    return f.at(at) | (f.at(at + 1) << 8u);
}
uint32_t Read32(const std::vector<uint8_t>& f, size_t at) {
    return Read16(f, at) | (Read16(f, at + 2) << 16u);
}

// The fields of a BMP file, read as a viewer reads them.
struct DecodedBmp {
    uint32_t fileSize, reserved1, reserved2, pixelOffset;
    uint32_t infoSize, planes, bitsPerPixel, compression, imageSize, xResolution, yResolution, coloursUsed,
        importantColours;
    int32_t width, height;
    std::vector<uint8_t> colourTable;
    PixelImage image; // the pixel rows and colour table as an image again
};

DecodedBmp DecodeBmp(const std::vector<uint8_t>& file) {
    DecodedBmp d{};
    EXPECT_EQ(file.at(0), 'B');
    EXPECT_EQ(file.at(1), 'M');
    d.fileSize = Read32(file, 2);
    d.reserved1 = Read16(file, 6);
    d.reserved2 = Read16(file, 8);
    d.pixelOffset = Read32(file, 10);
    d.infoSize = Read32(file, 14);
    d.width = static_cast<int32_t>(Read32(file, 18));
    d.height = static_cast<int32_t>(Read32(file, 22));
    d.planes = Read16(file, 26);
    d.bitsPerPixel = Read16(file, 28);
    d.compression = Read32(file, 30);
    d.imageSize = Read32(file, 34);
    d.xResolution = Read32(file, 38);
    d.yResolution = Read32(file, 42);
    d.coloursUsed = Read32(file, 46);
    d.importantColours = Read32(file, 50);
    d.colourTable.assign(file.begin() + 14 + d.infoSize, file.begin() + d.pixelOffset);

    d.image.width = d.width;
    d.image.height = d.height;
    d.image.bitsPerPixel = static_cast<int32_t>(d.bitsPerPixel);
    for (size_t i = 0; i + 3 < d.colourTable.size(); i += 4) {
        d.image.palette.push_back(d.colourTable[i] | (d.colourTable[i + 1] << 8u) | (d.colourTable[i + 2] << 16u));
    }
    d.image.bits.assign(file.begin() + d.pixelOffset, file.end());
    return d;
}

void ExpectSamePixels(const PixelImage& decoded, const PixelImage& source) {
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            ASSERT_EQ(ReadPixel(decoded, x, y), ReadPixel(source, x, y)) << "pixel " << x << ", " << y;
        }
    }
}

Rgb Distinct(int x, int y) {
    return {static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(255 - x * 13),
            static_cast<uint8_t>(y * 71 + 5)};
}

std::vector<uint32_t> Palette(size_t entries) {
    std::vector<uint32_t> palette;
    for (size_t i = 0; i < entries; ++i)
        palette.push_back(static_cast<uint32_t>((0x010203 * i + 0x400000 * (i & 1)) & 0xFFFFFF));
    return palette;
}

PixelImage MakeAnyImage(int width, int height, int bitsPerPixel) {
    if (bitsPerPixel > 8) return MakeTrueColourImage(width, height, bitsPerPixel, Distinct, 0xA5, 0x5A);
    const unsigned entries = 1u << bitsPerPixel;
    return MakeIndexedImage(
        width, height, bitsPerPixel, Palette(entries), [&](int x, int y) { return (x * 3 + y * 5) % entries; }, 0xA5);
}

class BmpRoundTrip : public testing::TestWithParam<int> {};

TEST_P(BmpRoundTrip, HeaderFieldsAndPixelsForOddWidthsAndSingleRows) {
    const int depth = GetParam();
    for (int height : {1, 2, 3}) {
        for (int width : {1, 2, 3, 5, 7, 9, 31, 33}) {
            SCOPED_TRACE("depth " + std::to_string(depth) + ", " + std::to_string(width) + " x " +
                         std::to_string(height));
            const PixelImage source = MakeAnyImage(width, height, depth);
            const std::vector<uint8_t> file = EncodeBmp(source);
            const DecodedBmp d = DecodeBmp(file);

            const uint32_t rowSize = (static_cast<uint32_t>(width) * depth + 31) / 32 * 4;
            const uint32_t tableSize = depth <= 8 ? 4u << depth : 0;
            EXPECT_EQ(d.fileSize, file.size());
            EXPECT_EQ(d.fileSize, 14 + 40 + tableSize + rowSize * height);
            EXPECT_EQ(d.reserved1, 0u);
            EXPECT_EQ(d.reserved2, 0u);
            EXPECT_EQ(d.pixelOffset, 14 + 40 + tableSize);
            EXPECT_EQ(d.infoSize, 40u);
            EXPECT_EQ(d.width, width);
            EXPECT_EQ(d.height, height);
            EXPECT_EQ(d.planes, 1u);
            EXPECT_EQ(d.bitsPerPixel, static_cast<uint32_t>(depth));
            EXPECT_EQ(d.compression, 0u);
            EXPECT_EQ(d.imageSize, rowSize * height);
            EXPECT_EQ(d.xResolution, 0u);
            EXPECT_EQ(d.yResolution, 0u);
            EXPECT_EQ(d.coloursUsed, depth <= 8 ? 1u << depth : 0u);
            EXPECT_EQ(d.importantColours, 0u);

            // The rows go out as they are, padding included, and show the same picture.
            EXPECT_EQ(d.image.bits, source.bits);
            ExpectSamePixels(d.image, source);
            EXPECT_EQ(d.image.palette, source.palette);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, testing::Values(32, 24, 16, 8, 4, 1),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "bpp"; });

TEST(BmpWriter, TrueColourPixelsKeepTheirColours) {
    // Checked against the colour function itself rather than the source image.
    for (int depth : {32, 24}) {
        const PixelImage source = MakeTrueColourImage(7, 3, depth, Distinct, 0xEE, 0x77);
        const DecodedBmp d = DecodeBmp(EncodeBmp(source));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(ReadPixel(d.image, x, y), Distinct(x, y)) << depth;
        }
    }
    // A 1 x 1 32-bit image: headers, then blue, green, red, unused byte.
    const PixelImage dot = MakeTrueColourImage(
        1, 1, 32,
        [](int, int) {
            return Rgb{0x11, 0x22, 0x33};
        },
        0, 0x44);
    const std::vector<uint8_t> file = EncodeBmp(dot);
    ASSERT_EQ(file.size(), 14u + 40u + 4u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.end()), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x44}));
}

TEST(BmpWriter, ColourTableHoldsTheGivenEntriesWithAZeroFourthByte) {
    PixelImage image = MakeIndexedImage(3, 2, 8, {0xFF123456, 0x00ABCDEF, 0x7F000001}, [](int x, int) { return x; });
    const DecodedBmp d = DecodeBmp(EncodeBmp(image));
    EXPECT_EQ(d.coloursUsed, 3u);
    EXPECT_EQ(d.pixelOffset, 14u + 40u + 12u);
    EXPECT_EQ(d.colourTable, (std::vector<uint8_t>{0x56, 0x34, 0x12, 0, 0xEF, 0xCD, 0xAB, 0, 0x01, 0x00, 0x00, 0}));
    EXPECT_EQ(d.fileSize, 14u + 40u + 12u + 8u);
}

TEST(BmpWriter, HeaderPartsMatchTheWholeFile) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        const PixelImage image = MakeAnyImage(11, 4, depth);
        const std::optional<BmpHeaders> headers = MakeBmpHeaders(image);
        ASSERT_TRUE(headers.has_value());
        std::vector<uint8_t> joined(headers->fileHeader.begin(), headers->fileHeader.end());
        joined.insert(joined.end(), headers->infoHeader.begin(), headers->infoHeader.end());
        joined.insert(joined.end(), headers->colorTable.begin(), headers->colorTable.end());
        joined.insert(joined.end(), image.bits.begin(), image.bits.end());
        EXPECT_EQ(joined, EncodeBmp(image)) << depth;
        EXPECT_EQ(headers->colorTable.empty(), depth > 8) << depth;
    }
}

TEST(BmpWriter, EmptyImageGivesNoBytes) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}}) {
            PixelImage image;
            image.width = width;
            image.height = height;
            image.bitsPerPixel = depth;
            EXPECT_TRUE(EncodeBmp(image).empty());
            EXPECT_FALSE(MakeBmpHeaders(image).has_value());
        }
    }
}

// Runs `encode` on a broken image and returns the error text; fails the test when nothing is thrown.
template <typename Encode> std::string ErrorOf(const PixelImage& image, Encode encode) {
    try {
        encode(image);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error for " << image.width << " x " << image.height << " at " << image.bitsPerPixel;
    return {};
}

TEST(BmpWriter, InconsistentImagesAreRefusedWithAReason) {
    const auto encode = [](const PixelImage& image) { return EncodeBmp(image); };
    const PixelImage good = MakeAnyImage(5, 3, 24);

    PixelImage negative = good;
    negative.width = -5;
    EXPECT_NE(ErrorOf(negative, encode).find("negative"), std::string::npos);
    negative = good;
    negative.height = -1;
    EXPECT_NE(ErrorOf(negative, encode).find("negative"), std::string::npos);

    PixelImage depth = good;
    depth.bitsPerPixel = 15;
    EXPECT_NE(ErrorOf(depth, encode).find("15 bits"), std::string::npos);

    PixelImage shortBits = good;
    shortBits.bits.pop_back();
    EXPECT_NE(ErrorOf(shortBits, encode).find("does not match"), std::string::npos);
    PixelImage longBits = good;
    longBits.bits.push_back(0);
    EXPECT_NE(ErrorOf(longBits, encode).find("does not match"), std::string::npos);
    PixelImage unpadded = good; // rows without their padding
    unpadded.bits.resize(5 * 3 * 3);
    EXPECT_NE(ErrorOf(unpadded, encode).find("does not match"), std::string::npos);

    PixelImage noPalette = MakeAnyImage(5, 3, 8);
    noPalette.palette.clear();
    EXPECT_NE(ErrorOf(noPalette, encode).find("palette"), std::string::npos);
    PixelImage bigPalette = MakeAnyImage(5, 3, 1);
    bigPalette.palette.push_back(0);
    EXPECT_NE(ErrorOf(bigPalette, encode).find("palette"), std::string::npos);
    PixelImage stray = good;
    stray.palette.push_back(0);
    EXPECT_NE(ErrorOf(stray, encode).find("palette"), std::string::npos);

    // Bigger than the 32-bit size fields can describe; no pixel data is needed to tell.
    PixelImage huge;
    huge.width = 40000;
    huge.height = 30000;
    huge.bitsPerPixel = 32;
    EXPECT_NE(ErrorOf(huge, encode).find("too large"), std::string::npos);
    EXPECT_NE(ErrorOf(huge, [](const PixelImage& i) { return MakeBmpHeaders(i); }).find("too large"),
              std::string::npos);
}

} // namespace
} // namespace kelpix::core
