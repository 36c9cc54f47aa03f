#include "core/recent_captures.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "test_images.h"

namespace kelpix::core {
namespace {

using test::Rgb;

// Noise in every fifth column, so that no two images compress alike by chance.
PixelImage MakeImage(int width, int height, int depth) {
    const auto colour = [](int x, int y) {
        const uint32_t h = (static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u) >> 7;
        return x % 5 == 0 ? Rgb{static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)}
                          : Rgb{240, 240, static_cast<uint8_t>(y)};
    };
    if (depth > 8) return test::MakeTrueColourImage(width, height, depth, colour, 0xA5, 0x5A);
    return test::MakeIndexedImage(
        width, height, depth, {0x102030, 0xFFFFFF}, [](int x, int y) { return (x * x + y) % 2u; }, 0xA5);
}

TEST(CompressedImage, RestoresEveryByteOfEveryDepthAndTheMask) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{33, 4}, std::pair{0, 3}}) {
            for (bool shaped : {false, true}) {
                SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height) +
                             (shaped ? ", shaped" : ""));
                const PixelImage image = MakeImage(width, height, depth);
                std::vector<uint8_t> mask(shaped ? static_cast<size_t>(width) * height : 0, 255);
                for (size_t i = 0; i < mask.size(); i += 3)
                    mask[i] = static_cast<uint8_t>(i * 7);
                const ShapedImage restored = CompressedImage::Compress(image, mask).Restore();
                EXPECT_EQ(restored.image.width, width);
                EXPECT_EQ(restored.image.height, height);
                EXPECT_EQ(restored.image.bitsPerPixel, depth);
                EXPECT_EQ(restored.image.palette, image.palette);
                EXPECT_EQ(restored.image.bits, image.bits); // padding and unused bytes included
                EXPECT_EQ(restored.shapeMask, mask);
            }
        }
    }
    EXPECT_TRUE(IsEmpty(CompressedImage().Restore().image));
}

TEST(CompressedImage, ScreenContentTakesLittleRoomAndBadInputIsRefused) {
    // Lines of text-like strokes on a face that darkens from the top down.
    const PixelImage screen = test::MakeTrueColourImage(640, 480, 32, [](int x, int y) {
        const bool stroke = (x * 7 + y / 16 * 3) % 11 < 2 && y % 16 < 10;
        return stroke ? Rgb{16, 16, 16} : Rgb{240, 240, static_cast<uint8_t>(250 - y / 20)};
    });
    EXPECT_LT(CompressedImage::Compress(screen).bytes(), screen.bits.size() / 20);
    EXPECT_THROW(CompressedImage::Compress(screen, std::vector<uint8_t>(640 * 479)), std::invalid_argument);
    PixelImage broken = screen;
    broken.bits.pop_back();
    EXPECT_THROW(CompressedImage::Compress(broken), std::invalid_argument);
}

RecentCapture MakeCapture(const std::wstring& title, int size = 40) {
    return {CompressedImage::Compress(MakeImage(size, size, 24)), {2026, 12, 8, 14, 5, 9, title, L"app.exe", 1}, 144};
}

std::vector<std::wstring> Titles(const RecentCaptures& captures) {
    std::vector<std::wstring> titles;
    for (size_t i = 0; i < captures.count(); ++i)
        titles.push_back(captures.at(i).facts.title);
    return titles;
}

TEST(RecentCaptures, NewestFirstAndTheOldestGoBeyondTenCaptures) {
    RecentCaptures captures;
    for (int i = 1; i <= 12; ++i)
        EXPECT_TRUE(captures.Add(MakeCapture(std::to_wstring(i))));
    EXPECT_EQ(Titles(captures),
              (std::vector<std::wstring>{L"12", L"11", L"10", L"9", L"8", L"7", L"6", L"5", L"4", L"3"}));
    EXPECT_THROW(captures.at(10), std::out_of_range);
    EXPECT_EQ(captures.at(4).dpi, 144u);
    EXPECT_EQ(captures.at(4).image.Restore().image.bits, MakeImage(40, 40, 24).bits);
}

TEST(RecentCaptures, MemoryLimitDropsTheOldestAndRefusesACaptureLargerThanItAll) {
    const size_t each = BytesHeld(MakeCapture(L"a"));
    RecentCaptures captures(10, 3 * each + each / 2);
    for (const wchar_t* title : {L"a", L"b", L"c", L"d"})
        EXPECT_TRUE(captures.Add(MakeCapture(title)));
    EXPECT_EQ(Titles(captures), (std::vector<std::wstring>{L"d", L"c", L"b"}));
    EXPECT_EQ(captures.bytes(), 3 * each);

    const RecentCapture large = MakeCapture(L"large", 400);
    ASSERT_GT(BytesHeld(large), 3 * each + each / 2);
    EXPECT_FALSE(captures.Add(large));
    EXPECT_EQ(Titles(captures), (std::vector<std::wstring>{L"d", L"c", L"b"}));
    EXPECT_EQ(captures.bytes(), 3 * each);
}

TEST(RecentCaptures, MenuItemsShowAnAccessKeyTheTimeAndTheTitleAsItReads) {
    const std::wstring sixty(60, L'x');
    const struct {
        std::wstring title, program;
        size_t index;
        std::wstring expected;
    } rows[] = {
        {L"Untitled - Notepad", L"notepad.exe", 0, L"&1  14:05:09  Untitled - Notepad"},
        {L"Q&A", L"", 8, L"&9  14:05:09  Q&&A"},
        {L"a\tb\r\nc", L"", 9, L"1&0  14:05:09  a b  c"},
        {L"", L"notepad.exe", 1, L"&2  14:05:09  notepad.exe"},
        {sixty, L"", 0, L"&1  14:05:09  " + sixty},
        {sixty + L"y", L"", 0, L"&1  14:05:09  " + sixty + L"..."},
        // Cut before a character made of two units rather than between them.
        {std::wstring(59, L'x') + L"\xD83D\xDE00", L"", 0, L"&1  14:05:09  " + std::wstring(59, L'x') + L"..."},
    };
    for (const auto& row : rows) {
        const CaptureFacts facts{2026, 12, 8, 14, 5, 9, row.title, row.program, 1};
        EXPECT_EQ(RecentCaptureMenuText(facts, row.index), row.expected) << &row - rows;
    }
}

} // namespace
} // namespace kelpix::core
