#include "core/capture_rect.h"

#include <gtest/gtest.h>

using kelpix::core::CaptureRect;
using kelpix::core::Rect;

namespace {
// A 1024x768 primary screen with a second 800x600 monitor to its left.
const Rect kVirtual{-800, 0, 1024, 768};
Rect Capture(Rect window) {
    return CaptureRect(window, 1024, 768, kVirtual);
}
} // namespace

TEST(CaptureRect, CutsToThePrimaryScreen) {
    EXPECT_EQ(Capture({100, 50, 400, 300}), (Rect{100, 50, 400, 300}));
    // Partly off the top-left: taken from (0, 0).
    EXPECT_EQ(Capture({-20, -10, 200, 100}), (Rect{0, 0, 200, 100}));
    // Partly beyond the right and bottom edges: cut at those edges.
    EXPECT_EQ(Capture({900, 700, 1200, 900}), (Rect{900, 700, 1024, 768}));
    // A maximised window reaches a few pixels beyond every edge; the image starts at the screen's corner.
    EXPECT_EQ(Capture({-4, -4, 1028, 772}), (Rect{0, 0, 1024, 768}));
}

TEST(CaptureRect, WindowSpanningTwoMonitorsKeepsOnlyThePrimaryPart) {
    EXPECT_EQ(Capture({-300, 100, 300, 200}), (Rect{0, 100, 300, 200}));
}

TEST(CaptureRect, WindowWhollyOnAnotherMonitorIsCutToTheVirtualScreen) {
    EXPECT_EQ(Capture({-700, 100, -100, 500}), (Rect{-700, 100, -100, 500}));
    EXPECT_EQ(Capture({-900, -50, -100, 500}), (Rect{-800, 0, -100, 500}));
}

TEST(CaptureRect, NothingToCaptureGivesAnEmptyRectangleNeverANegativeOne) {
    Rect vanished = Capture({0, 0, 0, 0});
    EXPECT_TRUE(vanished.Empty());
    EXPECT_EQ(vanished.Width(), 0);
    EXPECT_EQ(vanished.Height(), 0);
    // Outside every monitor.
    Rect nowhere = Capture({2000, 2000, 2300, 2200});
    EXPECT_EQ(nowhere.Width(), 0);
    EXPECT_EQ(nowhere.Height(), 0);
    // A minimised window parks far off screen (-32000, -32000).
    Rect parked = Capture({-32000, -32000, -31840, -31972});
    EXPECT_EQ(parked.Width(), 0);
    EXPECT_EQ(parked.Height(), 0);
}

TEST(PrintedArea, IsTheVisibleBoundsWithinThePictureOfTheWholeWindow) {
    using kelpix::core::PrintedArea;
    const struct {
        const char* name;
        Rect window, visible, area;
    } rows[] = {
        {"no invisible borders", {100, 50, 400, 300}, {100, 50, 400, 300}, {0, 0, 300, 250}},
        {"invisible borders left, right and bottom", {100, 50, 400, 300}, {107, 50, 393, 293}, {7, 0, 293, 243}},
        {"off the screen: whole all the same", {-200, -100, 300, 200}, {-200, -100, 300, 200}, {0, 0, 500, 300}},
        {"visible bounds reaching past the window", {100, 50, 400, 300}, {90, 40, 410, 310}, {0, 0, 300, 250}},
        {"visible bounds outside the window", {100, 50, 400, 300}, {500, 50, 600, 300}, {}},
        {"gone", {}, {}, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PrintedArea(row.window, row.visible), row.area) << row.name;
}

TEST(OneColour, IgnoresTheTopByteAndFindsASinglePixelThatDiffers) {
    using kelpix::core::OneColour;
    const uint32_t black[4] = {0, 0, 0, 0}, alpha[3] = {0xFF102030, 0x00102030, 0x7F102030},
                   last[4] = {0x808080, 0x808080, 0x808080, 0x808081}, first[2] = {1, 0};
    EXPECT_TRUE(OneColour(black, 4));
    EXPECT_TRUE(OneColour(alpha, 3));
    EXPECT_FALSE(OneColour(last, 4));
    EXPECT_FALSE(OneColour(first, 2));
    EXPECT_TRUE(OneColour(last, 1));
    EXPECT_TRUE(OneColour(nullptr, 0));
}
