#include "core/icons.h"
#include "core/resource_files.h"

#include "resource_readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace kelpix::core {
namespace {

using test::DecodedIcon;

std::vector<DecodedIcon> RoundTrip(const std::vector<IconEntry>& entries) {
    return test::ReadIcoFile(EncodeIcoFile(entries));
}

bool IsGrey(Rgb c) {
    return c.r == c.g && c.g == c.b && c != kBlack && c != kWhite;
}

void ExpectCornersTransparent(const IconImage& image) {
    const int32_t last = image.width() - 1;
    EXPECT_FALSE(image.is_opaque(0, 0) || image.is_opaque(last, 0) || image.is_opaque(0, last) ||
                 image.is_opaque(last, last));
}

// Every palette colour, transparent pixels that still hold a colour, and odd widths for half-filled
// bytes and row padding.
IconImage Pattern(int32_t w, int32_t h) {
    IconImage image(w, h);
    const auto& palette = StandardPalette16();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            if ((x + 2 * y) % 5 == 0)
                image.colour.at(x, y) = Rgb{7, 7, 7};
            else
                image.paint(x, y, palette[static_cast<size_t>(x * 3 + y) % 16]);
        }
    return image;
}

TEST(IcoFile, ImagesReadBackWithTheirMasksAndFollowTheDirectoryBackToBack) {
    const std::vector<IconEntry> entries{
        {Pattern(5, 3), IconDepth::Palette4}, {Pattern(7, 5), IconDepth::Rgb24}, {Pattern(33, 2), IconDepth::Palette4}};
    const std::vector<uint8_t> file = EncodeIcoFile(entries);
    const std::vector<DecodedIcon> icons = test::ReadIcoFile(file);
    ASSERT_EQ(icons.size(), entries.size());
    EXPECT_EQ(icons[0].entry_offset, 6u + 3 * 16);
    EXPECT_EQ(icons.back().entry_offset + icons.back().entry_bytes, file.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        const IconImage& want = entries[i].image;
        const IconImage& got = icons[i].image;
        if (i > 0) {
            EXPECT_EQ(icons[i].entry_offset, icons[i - 1].entry_offset + icons[i - 1].entry_bytes);
        }
        EXPECT_EQ(icons[i].entry_width, uint32_t(want.width()));
        EXPECT_EQ(icons[i].entry_height, uint32_t(want.height()));
        EXPECT_EQ(icons[i].header_height, uint32_t(2 * want.height()));
        EXPECT_EQ(icons[i].entry_bits, uint32_t(entries[i].depth));
        EXPECT_EQ(icons[i].header_bits, uint32_t(entries[i].depth));
        EXPECT_EQ(icons[i].entry_colours, entries[i].depth == IconDepth::Palette4 ? 16u : 0u);
        ASSERT_EQ(got.opaque, want.opaque);
        for (int32_t y = 0; y < want.height(); ++y)
            for (int32_t x = 0; x < want.width(); ++x)
                // Under a set AND bit the colour must be 0, or the screen shows through altered.
                ASSERT_EQ(got.at(x, y), want.is_opaque(x, y) ? want.at(x, y) : kBlack) << x << "," << y;
    }
}

TEST(IcoFile, RejectsWhatAnIconCannotHold) {
    IconImage off_palette(4, 4);
    off_palette.paint(1, 1, Rgb{1, 2, 3});
    IconImage torn(4, 4);
    torn.opaque.pop_back();
    EXPECT_THROW(EncodeIcoFile({}), std::invalid_argument);
    EXPECT_THROW(EncodeIcoFile({{{off_palette, IconDepth::Palette4}}}), std::invalid_argument);
    EXPECT_NO_THROW(EncodeIcoFile({{{off_palette, IconDepth::Rgb24}}}));
    EXPECT_THROW(EncodeIcoFile({{{IconImage(0, 4), IconDepth::Rgb24}}}), std::invalid_argument);
    EXPECT_THROW(EncodeIcoFile({{{IconImage(257, 4), IconDepth::Rgb24}}}), std::invalid_argument);
    EXPECT_THROW(EncodeIcoFile({{{torn, IconDepth::Rgb24}}}), std::invalid_argument);
}

TEST(MainIconFile, HoldsBlackAndRedReticlesOf32To16PixelsInSixteenColours) {
    const int32_t sizes[] = {32, 24, 20, 16};
    std::vector<IconEntry> entries;
    for (int32_t size : sizes)
        entries.push_back({MainIcon(size), IconDepth::Palette4});
    const auto icons = RoundTrip(entries);
    ASSERT_EQ(icons.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const IconImage& image = icons[i].image;
        SCOPED_TRACE(image.width());
        EXPECT_EQ(image.width(), sizes[i]);
        EXPECT_EQ(image.height(), image.width());
        EXPECT_EQ(icons[i].header_bits, 4u);
        EXPECT_LE(icons[i].palette.size(), 16u);
        ExpectCornersTransparent(image);
        int black = 0, red = 0, transparent = 0;
        for (int32_t y = 0; y < image.height(); ++y)
            for (int32_t x = 0; x < image.width(); ++x) {
                const Rgb c = image.at(x, y);
                transparent += !image.is_opaque(x, y);
                black += image.is_opaque(x, y) && c == kBlack;
                red += image.is_opaque(x, y) && c == kRed;
            }
        EXPECT_GT(black, 0);
        EXPECT_GT(red, 0);
        EXPECT_EQ(black + red + transparent, image.width() * image.height()) << "colours other than black and red";
        if (i == 0) {
            EXPECT_EQ(transparent, 352); // about a third
        }
    }
    EXPECT_THROW(MainIcon(40), std::invalid_argument);
}

// The target icon at each size the resource holds: the same shapes, scaled from the 32-pixel design.
class TargetIconFile : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override {
        n = GetParam();
        k = n / 32.0;
        icons = RoundTrip({{TargetIcon(n), IconDepth::Rgb24}});
        ASSERT_EQ(icons.size(), 1u);
        image = icons[0].image;
        int white = 0;
        for (int32_t y = 0; y < n; ++y)
            for (int32_t x = 0; x < n; ++x)
                if (IsWhite(x, y)) ++white, cx += x, cy += y;
        ASSERT_GT(white, 0);
        cx /= white, cy /= white;
        lens_radius = std::sqrt(white / 3.14159);
    }
    bool IsWhite(int32_t x, int32_t y) const { return image.is_opaque(x, y) && image.at(x, y) == kWhite; }

    int32_t n = 0;
    double k = 1;
    std::vector<DecodedIcon> icons;
    IconImage image;
    double cx = 0, cy = 0, lens_radius = 0;
};

INSTANTIATE_TEST_SUITE_P(Sizes, TargetIconFile, ::testing::Values(32, 48, 64));

TEST_P(TargetIconFile, LensIsAWhiteDiscRoundTheHotSpotInABlackRim) {
    EXPECT_EQ(icons[0].entry_width, static_cast<uint32_t>(n));
    EXPECT_EQ(icons[0].entry_height, static_cast<uint32_t>(n));
    EXPECT_EQ(icons[0].header_bits, 24u);
    ExpectCornersTransparent(image);
    EXPECT_TRUE(IsWhite(n / 2, n / 2)) << "the cursor's hot spot must lie on the lens";
    EXPECT_GE(lens_radius, 6.0 * k);
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x) {
            // White is exactly the disc (within a pixel's rounding), and no white lies elsewhere.
            const double d = std::hypot(x - cx, y - cy);
            EXPECT_TRUE(d >= lens_radius - 1 || IsWhite(x, y)) << "not white inside the lens: " << x << "," << y;
            EXPECT_TRUE(d <= lens_radius + 1 || !IsWhite(x, y)) << "white outside the lens: " << x << "," << y;
            if (!IsWhite(x, y)) continue;
            // Leaving the lens in any direction crosses two black pixels first.
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                if (IsWhite(x + dx, y + dy)) continue;
                for (int32_t step = 1; step <= 2; ++step)
                    EXPECT_TRUE(image.is_opaque(x + step * dx, y + step * dy) &&
                                image.at(x + step * dx, y + step * dy) == kBlack)
                        << "rim outside " << x << "," << y;
            }
        }
}

TEST_P(TargetIconFile, HandleInBlackAndGreyRunsFromTheRimTowardsTheLowerRightCorner) {
    int handle = 0, grey = 0;
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x) {
            if (!image.is_opaque(x, y)) continue;
            EXPECT_TRUE(IsWhite(x, y) || image.at(x, y) == kBlack || IsGrey(image.at(x, y))) << x << "," << y;
            if (std::hypot(x - cx, y - cy) <= lens_radius + 3.5 * k) continue;
            ++handle;
            grey += IsGrey(image.at(x, y));
            EXPECT_TRUE(x > cx && y > cy && std::abs((x - cx) - (y - cy)) <= 6 * k)
                << "off the handle: " << x << "," << y;
        }
    EXPECT_GE(handle, 40 * k * k);
    EXPECT_GE(grey, 20 * k * k);
    const auto corner = static_cast<int32_t>(29 * k);
    EXPECT_TRUE(image.is_opaque(corner, corner)) << "the handle should reach the lower right corner";
    EXPECT_THROW(TargetIcon(40), std::invalid_argument);
}

} // namespace
} // namespace kelpix::core
