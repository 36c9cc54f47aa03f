#include "core/bmp_writer.h"

#include <algorithm>
#include <functional>
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

// The image a viewer reads from the file: the header fields say where the colour table and the
// rows are, and how to read them.
PixelImage DecodeBmp(const std::vector<uint8_t>& file) {
    PixelImage image;
    image.width = static_cast<int32_t>(Read32(file, 18));
    image.height = static_cast<int32_t>(Read32(file, 22));
    image.bitsPerPixel = static_cast<int32_t>(Read16(file, 28));
    const uint32_t pixelOffset = Read32(file, 10);
    for (size_t at = 14 + Read32(file, 14); at < pixelOffset; at += 4)
        image.palette.push_back(Read32(file, at));
    image.bits.assign(file.begin() + pixelOffset, file.end());
    return image;
}

PixelImage MakeAnyImage(int width, int height, int depth) {
    const auto colour = [](int x, int y) {
        return Rgb{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(255 - x * 13),
                   static_cast<uint8_t>(y * 71 + 5)};
    };
    if (depth > 8) return MakeTrueColourImage(width, height, depth, colour, 0xA5, 0x5A);
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < (1u << depth); ++i)
        palette.push_back((0x010203 * i + 0x400000 * (i & 1)) & 0xFFFFFF);
    const auto index = [&](int x, int y) { return (x * 3 + y * 5) % (1u << depth); };
    return MakeIndexedImage(width, height, depth, palette, index, 0xA5);
}

class BmpRoundTrip : public testing::TestWithParam<int> {};

TEST_P(BmpRoundTrip, HeaderFieldsAndPixelsForOddWidthsAndSingleRows) {
    const int depth = GetParam();
    for (int height : {1, 2, 3}) {
        for (int width : {1, 2, 3, 5, 7, 9, 31, 33}) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
            const PixelImage source = MakeAnyImage(width, height, depth);
            const std::vector<uint8_t> file = EncodeBmp(source);

            const uint32_t rowSize = (static_cast<uint32_t>(width) * depth + 31) / 32 * 4;
            const uint32_t tableSize = depth <= 8 ? 4u << depth : 0;
            ASSERT_EQ(file.size(), 14 + 40 + tableSize + rowSize * height);
            EXPECT_EQ(file[0], 'B');
            EXPECT_EQ(file[1], 'M');
            EXPECT_EQ(Read32(file, 2), file.size());
            EXPECT_EQ(Read32(file, 6), 0u); // both reserved fields
            EXPECT_EQ(Read32(file, 10), 14 + 40 + tableSize);
            EXPECT_EQ(Read32(file, 14), 40u);
            EXPECT_EQ(Read16(file, 26), 1u); // planes
            EXPECT_EQ(Read32(file, 30), 0u); // BI_RGB
            EXPECT_EQ(Read32(file, 34), rowSize * height);
            EXPECT_EQ(Read32(file, 38), 0u); // resolutions
            EXPECT_EQ(Read32(file, 42), 0u);
            EXPECT_EQ(Read32(file, 46), depth <= 8 ? 1u << depth : 0u);
            EXPECT_EQ(Read32(file, 50), 0u);

            const PixelImage decoded = DecodeBmp(file);
            EXPECT_EQ(decoded.width, width);
            EXPECT_EQ(decoded.height, height);
            EXPECT_EQ(decoded.bitsPerPixel, depth);
            EXPECT_EQ(decoded.palette, source.palette);
            EXPECT_EQ(decoded.bits, source.bits); // rows as they are, padding included
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(ReadPixel(decoded, x, y), ReadPixel(source, x, y));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, testing::Values(32, 24, 16, 8, 4, 1),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "bpp"; });

TEST(BmpWriter, PixelAndColourTableBytes) {
    // 32 bits: blue, green, red and the unused byte, straight after the 54 header bytes.
    const std::vector<uint8_t> dot = EncodeBmp(MakeTrueColourImage(
        1, 1, 32,
        [](int, int) {
            return Rgb{0x11, 0x22, 0x33};
        },
        0, 0x44));
    EXPECT_EQ(std::vector<uint8_t>(dot.begin() + 14 + 40, dot.end()), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x44}));

    // Only the given palette entries, as blue, green, red, 0 whatever the entry's top byte holds.
    const PixelImage paletted =
        MakeIndexedImage(3, 2, 8, {0xFF123456, 0x00ABCDEF, 0x7F000001}, [](int x, int) { return x; });
    const std::vector<uint8_t> file = EncodeBmp(paletted);
    EXPECT_EQ(Read32(file, 46), 3u);
    EXPECT_EQ(Read32(file, 10), 14u + 40u + 12u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.begin() + 66),
              (std::vector<uint8_t>{0x56, 0x34, 0x12, 0, 0xEF, 0xCD, 0xAB, 0, 0x01, 0x00, 0x00, 0}));
}

TEST(BmpWriter, HeaderPartsAreTheStartOfTheFile) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        const PixelImage image = MakeAnyImage(11, 4, depth);
        const std::optional<BmpHeaders> headers = MakeBmpHeaders(image);
        ASSERT_TRUE(headers.has_value());
        std::vector<uint8_t> joined(headers->fileHeader.begin(), headers->fileHeader.end());
        joined.insert(joined.end(), headers->infoHeader.begin(), headers->infoHeader.end());
        joined.insert(joined.end(), headers->colorTable.begin(), headers->colorTable.end());
        joined.insert(joined.end(), image.bits.begin(), image.bits.end());
        EXPECT_EQ(joined, EncodeBmp(image)) << depth;
    }
}

TEST(BmpWriter, ResolutionFieldsHoldTheDpiInPixelsPerMetre) {
    // round(dpi / 0.0254); no DPI is the format's "unknown", 0.
    const struct {
        uint32_t dpi, perMetre;
    } cases[] = {{0, 0}, {96, 3780}, {120, 4724}, {144, 5669}, {192, 7559}, {kMaxDpi, 2580118}};
    const PixelImage image = MakeAnyImage(5, 3, 24);
    for (const auto& c : cases) {
        EXPECT_EQ(PixelsPerMetre(c.dpi), static_cast<int32_t>(c.perMetre)) << c.dpi;
        const std::vector<uint8_t> file = EncodeBmp(image, c.dpi);
        EXPECT_EQ(Read32(file, 38), c.perMetre) << c.dpi;
        EXPECT_EQ(Read32(file, 42), c.perMetre) << c.dpi;
        EXPECT_EQ(DecodeBmp(file).bits, image.bits);
        const auto info = MakeBmpHeaders(image, c.dpi)->infoHeader; // as the program writes files
        EXPECT_TRUE(std::equal(info.begin(), info.end(), file.begin() + 14)) << c.dpi;
    }
    EXPECT_THROW(PixelsPerMetre(kMaxDpi + 1), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(image, kMaxDpi + 1), std::invalid_argument);
}

TEST(BmpWriter, EmptyImageGivesNoBytes) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}}) {
            const PixelImage image{width, height, depth, {}, {}};
            EXPECT_TRUE(EncodeBmp(image).empty());
            EXPECT_FALSE(MakeBmpHeaders(image).has_value());
        }
    }
}

TEST(BmpWriter, InconsistentImagesAreRefusedWithAReason) {
    struct Case {
        const char* reason; // expected in the message
        int depth;
        std::function<void(PixelImage&)> damage;
    };
    const Case cases[] = {
        {"negative", 24, [](PixelImage& i) { i.width = -5; }},
        {"negative", 24, [](PixelImage& i) { i.height = -1; }},
        {"15 bits", 24, [](PixelImage& i) { i.bitsPerPixel = 15; }},
        {"does not match", 24, [](PixelImage& i) { i.bits.pop_back(); }},
        {"does not match", 24, [](PixelImage& i) { i.bits.push_back(0); }},
        {"does not match", 24, [](PixelImage& i) { i.bits.resize(5 * 3 * 3); }}, // rows without padding
        {"palette", 8, [](PixelImage& i) { i.palette.clear(); }},
        {"palette", 1, [](PixelImage& i) { i.palette.push_back(0); }},
        {"palette", 24, [](PixelImage& i) { i.palette.push_back(0); }},
        // too big for the 32-bit size fields; no pixel data is needed to tell
        {"too large", 32,
         [](PixelImage& i) {
             i = PixelImage{40000, 30000, 32, {}, {}};
         }},
    };
    for (const Case& c : cases) {
        PixelImage image = MakeAnyImage(5, 3, c.depth);
        c.damage(image);
        for (const auto& encode :
             std::initializer_list<std::function<void()>>{[&] { EncodeBmp(image); }, [&] { MakeBmpHeaders(image); }}) {
            try {
                encode();
                ADD_FAILURE() << "no error, expected " << c.reason;
            } catch (const std::invalid_argument& e) {
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
            }
        }
    }
}

} // namespace
} // namespace kelpix::core
