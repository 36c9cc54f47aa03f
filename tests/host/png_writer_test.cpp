#include "core/png_writer.h"

#include <cstring>
#include <string>

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "test_images.h"

namespace kelpix::core {
namespace {

using test::MakeIndexedImage;
using test::MakeTrueColourImage;
using test::ReadPixel;
using test::Rgb;

// The pixels libpng reads from a file, red, green, blue (and alpha with PNG_FORMAT_RGBA) from the
// top row down; empty when it fails.
std::vector<uint8_t> DecodeRgb(const std::vector<uint8_t>& file, png_uint_32 format = PNG_FORMAT_RGB) {
    png_image decoded{};
    decoded.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&decoded, file.data(), file.size())) return {};
    decoded.format = format;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(decoded));
    if (!png_image_finish_read(&decoded, nullptr, rgb.data(), 0, nullptr)) return {};
    return rgb;
}

std::vector<uint8_t> SourceRgb(const PixelImage& image) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = ReadPixel(image, x, y);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    }
    return rgb;
}

uint32_t Big32(const uint8_t* at) {
    return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}

// The filter byte in front of each row, from the inflated IDAT data of an RGB file.
std::vector<int> RowFilters(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> compressed;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = Big32(&file[at]);
        if (std::memcmp(&file[at + 4], "IDAT", 4) == 0)
            compressed.insert(compressed.end(), &file[at + 8], &file[at + 8 + length]);
        at += 12 + length;
    }
    const uint32_t width = Big32(&file[16]), height = Big32(&file[20]);
    const size_t rowBytes = 1 + size_t{width} * 3;
    std::vector<uint8_t> raw(rowBytes * height);
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()), Z_OK);
    std::vector<int> filters;
    for (size_t row = 0; row < height; ++row)
        filters.push_back(raw[row * rowBytes]);
    return filters;
}

Rgb Varied(int x, int y) {
    return {static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(255 - x * 13),
            static_cast<uint8_t>(y * 71 + 5)};
}

TEST(PngWriter, EveryDepthDecodesToExactlyTheSourcePixelsAsAnRgbFile) {
    // Odd widths end their rows in padding; single rows and columns are images too.
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{1, 4}, std::pair{7, 2},
                                     std::pair{33, 5}, std::pair{200, 9}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            PixelImage image;
            if (depth > 8) {
                image = MakeTrueColourImage(width, height, depth, Varied, 0xA5, 0x5A);
            } else {
                std::vector<uint32_t> palette; // one entry short, so that a missing entry reads as black
                for (uint32_t i = 0; i + 1 < (1u << depth); ++i)
                    palette.push_back((0x2F1D0B * (i + 1)) & 0xFFFFFF);
                image = MakeIndexedImage(
                    width, height, depth, palette, [&](int x, int y) { return (x * 3 + y * 5) % (1u << depth); }, 0xA5);
            }
            const std::vector<uint8_t> file = EncodePng(image);
            ASSERT_GE(file.size(), 33u);
            EXPECT_EQ(std::memcmp(file.data(), "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16), 0);
            EXPECT_EQ(Big32(&file[16]), static_cast<uint32_t>(width));
            EXPECT_EQ(Big32(&file[20]), static_cast<uint32_t>(height));
            // 8 bits, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
            EXPECT_EQ(std::vector<uint8_t>(&file[24], &file[29]), (std::vector<uint8_t>{8, 2, 0, 0, 0}));
            EXPECT_EQ(DecodeRgb(file), SourceRgb(image));
        }
    }
}

TEST(PngWriter, RowsAreStoredWithTheFilterChosenForThem) {
    // Flat rows, repeated rows, a gradient and noise, so that the choice differs from row to row.
    const PixelImage image = MakeTrueColourImage(150, 40, 32, [](int x, int y) {
        if (y < 8) return Rgb{200, 100, 50};
        if (y < 16) return Varied(x, 0);
        if (y < 24)
            return Rgb{static_cast<uint8_t>(x * 7 + y), static_cast<uint8_t>(x * x), static_cast<uint8_t>(y * 3)};
        uint32_t h = static_cast<uint32_t>(x * 0x9E3779B1u ^ y * 0x85EBCA77u);
        h ^= h >> 13;
        return Rgb{static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
    });
    const std::vector<uint8_t> file = EncodePng(image);
    const std::vector<int> filters = RowFilters(file);
    ASSERT_EQ(filters.size(), 40u);
    const std::vector<uint8_t> rgb = SourceRgb(image);
    const size_t rowBytes = 150 * 3;
    for (size_t y = 1; y < 40; ++y) {
        const std::span<const uint8_t> row(&rgb[y * rowBytes], rowBytes), above(&rgb[(y - 1) * rowBytes], rowBytes);
        EXPECT_EQ(filters[y], static_cast<int>(ChoosePngFilter(row, above))) << "row " << y;
    }
    EXPECT_EQ(DecodeRgb(file), rgb);
}

TEST(PngWriter, FilterChoiceFollowsTheSmallestResiduals) {
    std::vector<uint8_t> noise(96 * 3), dark(96 * 3, 0), flat(96 * 3), brighter(96 * 3);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
        flat[i] = i % 3 == 0 ? 90 : 200;
        brighter[i] = static_cast<uint8_t>(noise[i] + 1);
    }
    const struct {
        const char* what;
        const std::vector<uint8_t>& row;
        const std::vector<uint8_t>& above;
        PngFilter expected;
    } cases[] = {
        {"a row equal to the one above", noise, noise, PngFilter::Up},
        {"a black row under noise", dark, noise, PngFilter::None},
        {"one colour under noise", flat, noise, PngFilter::Sub},
        {"noise one step brighter than the row above", brighter, noise, PngFilter::Up},
        {"a first row of one colour", flat, dark, PngFilter::Sub},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChoosePngFilter(c.row, c.above), c.expected) << c.what;
}

TEST(PngWriter, DpiGoesIntoAPhysChunkInPixelsPerMetreBeforeTheData) {
    const PixelImage image = MakeTrueColourImage(21, 6, 32, Varied);
    // The image data follows the 8-byte signature and the 25-byte IHDR chunk at once, or the pHYs
    // chunk: 9 bytes of x and y pixels per metre and unit 1 (metre).
    EXPECT_EQ(std::memcmp(&EncodePng(image)[37], "IDAT", 4), 0);
    for (auto [dpi, perMetre] : {std::pair{96u, 3780u}, std::pair{144u, 5669u}}) {
        const std::vector<uint8_t> file = EncodePng(image, {.dpi = dpi});
        ASSERT_EQ(std::memcmp(&file[33], "\0\0\0\x09pHYs", 8), 0) << dpi;
        EXPECT_EQ(Big32(&file[41]), perMetre);
        EXPECT_EQ(Big32(&file[45]), perMetre);
        EXPECT_EQ(file[49], 1);
        EXPECT_EQ(std::memcmp(&file[58], "IDAT", 4), 0) << dpi;
        EXPECT_EQ(DecodeRgb(file), SourceRgb(image)) << dpi;
    }
    EXPECT_THROW(EncodePng(image, {.dpi = kMaxDpi + 1}), std::invalid_argument);
}

// One byte per pixel, top row first: outside, inside and edges of several strengths.
std::vector<uint8_t> EdgeMask(int width, int height) {
    static constexpr uint8_t kLevels[] = {0, 255, 1, 77, 128, 254, 255};
    std::vector<uint8_t> mask;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            mask.push_back(kLevels[(x + 2 * y) % 7]);
    }
    return mask;
}

TEST(PngWriter, ShapeMaskIsTheAlphaChannelAndOutsideIsWhite) {
    for (int depth : {32, 24, 16, 8, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{130, 9}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            const PixelImage image =
                depth > 8 ? MakeTrueColourImage(width, height, depth, Varied, 0xA5, 0x5A)
                          : MakeIndexedImage(width, height, depth, {0x102030, 0xF0E0D0},
                                             [](int x, int y) { return static_cast<unsigned>(x * y) % 2; });
            const std::vector<uint8_t> mask = EdgeMask(width, height);
            const std::vector<uint8_t> file = EncodePng(image, {.dpi = 120, .shapeMask = mask});
            EXPECT_EQ(file[25], 6) << "colour type RGBA";
            const std::vector<uint8_t> rgba = DecodeRgb(file, PNG_FORMAT_RGBA), rgb = SourceRgb(image);
            ASSERT_EQ(rgba.size(), mask.size() * 4);
            for (size_t i = 0; i < mask.size(); ++i) {
                for (int c = 0; c < 3; ++c) // white outside
                    EXPECT_EQ(rgba[4 * i + c], mask[i] == 0 ? 255 : rgb[3 * i + c]) << "pixel " << i;
                EXPECT_EQ(rgba[4 * i + 3], mask[i]) << "pixel " << i;
            }
        }
    }
    EXPECT_THROW(EncodePng(MakeTrueColourImage(4, 2, 32, Varied), {.shapeMask = EdgeMask(3, 3)}),
                 std::invalid_argument);
}

TEST(PngWriter, EmptyImageGivesNoBytesAndInconsistentOnesAreRefused) {
    for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 7}, std::pair{7, 0}})
        EXPECT_TRUE(EncodePng(PixelImage{width, height, 32, {}, {}}).empty());
    PixelImage shortRows = MakeTrueColourImage(9, 4, 24, Varied);
    shortRows.bits.pop_back();
    EXPECT_THROW(EncodePng(shortRows), std::invalid_argument);
    EXPECT_THROW(EncodePng(PixelImage{9, 4, 8, std::vector<uint8_t>(4 * 12), {}}), std::invalid_argument);
    EXPECT_THROW(EncodePng(PixelImage{-9, 4, 32, {}, {}}), std::invalid_argument);
}

TEST(PngWriter, LibraryErrorsCarryTheLibraryMessage) {
    // libpng writes no row wider than 1000000 pixels; 1-bit images keep the buffers small. The
    // address sanitizer build reports anything the failure leaves allocated.
    const auto stripes = [](int x, int) { return static_cast<unsigned>(x & 1); };
    try {
        EncodePng(MakeIndexedImage(1000001, 1, 1, {0, 0xFFFFFF}, stripes));
        ADD_FAILURE() << "a row of 1000001 pixels was encoded";
    } catch (const PngError& e) {
        EXPECT_NE(std::string(e.what()).find("width exceeds user limit"), std::string::npos) << e.what();
    }
    const PixelImage widest = MakeIndexedImage(1000000, 2, 1, {0, 0xFFFFFF}, stripes);
    EXPECT_EQ(DecodeRgb(EncodePng(widest)), SourceRgb(widest));
}

} // namespace
} // namespace kelpix::core
