#include "core/frame_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <utility>

namespace kelpix::core {
namespace {

using E = FrameEdge;

// The bands a 3-pixel pen whose line ends reach as far as it is wide covers round each side, with
// exclusive right and bottom: what a frame drawn with lines would touch.
std::array<Rect, 4> FramePenBands(const Rect& r) {
    auto band = [](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        return Rect{std::min(x0, x1) - 1, std::min(y0, y1) - 1, std::max(x0, x1) + 2, std::max(y0, y1) + 2};
    };
    return {band(r.left, r.top, r.right, r.top), band(r.left, r.bottom, r.right, r.bottom),
            band(r.left, r.top, r.left, r.bottom), band(r.right, r.top, r.right, r.bottom)};
}

// A strip as the table gives it: size, and the one position it is copied from and put back at.
EdgeStrip S(E edge, int32_t width, int32_t height, int32_t x, int32_t y) {
    return {edge, width, height, {x, y}, {x, y}};
}

void ExpectStrips(const Rect& r, const EdgeStrip& top, const EdgeStrip& bottom, const EdgeStrip& left,
                  const EdgeStrip& right) {
    SCOPED_TRACE(testing::Message() << "window " << r.left << "," << r.top << "," << r.right << "," << r.bottom);
    const auto strips = FrameStrips(r);
    EXPECT_EQ(strips[0], top);
    EXPECT_EQ(strips[1], bottom);
    EXPECT_EQ(strips[2], left);
    EXPECT_EQ(strips[3], right);
}

TEST(FrameStrips, FollowTheTable) {
    // w = R - L, h = B - T; top and bottom (w + 1) x 3 at (L, T - 1) and (L, B - 1); left and right
    // 3 x (h + 1) at (L - 1, T) and (R - 1, T).
    ExpectStrips({100, 50, 400, 300}, S(E::Top, 301, 3, 100, 49), S(E::Bottom, 301, 3, 100, 299),
                 S(E::Left, 3, 251, 99, 50), S(E::Right, 3, 251, 399, 50));
    // At the screen's top-left corner the strips start off the screen; nothing is clipped.
    ExpectStrips({0, 0, 640, 480}, S(E::Top, 641, 3, 0, -1), S(E::Bottom, 641, 3, 0, 479), S(E::Left, 3, 481, -1, 0),
                 S(E::Right, 3, 481, 639, 0));
    // A maximised window reaches past every edge of the work area.
    ExpectStrips({-8, -8, 1928, 1048}, S(E::Top, 1937, 3, -8, -9), S(E::Bottom, 1937, 3, -8, 1047),
                 S(E::Left, 3, 1057, -9, -8), S(E::Right, 3, 1057, 1927, -8));
    // A window on a monitor to the left of the primary one.
    ExpectStrips({-1280, 200, -1000, 260}, S(E::Top, 281, 3, -1280, 199), S(E::Bottom, 281, 3, -1280, 259),
                 S(E::Left, 3, 61, -1281, 200), S(E::Right, 3, 61, -1001, 200));
    // A one-pixel window.
    ExpectStrips({10, 20, 11, 21}, S(E::Top, 2, 3, 10, 19), S(E::Bottom, 2, 3, 10, 20), S(E::Left, 3, 2, 9, 20),
                 S(E::Right, 3, 2, 10, 20));
    // A window that no longer exists reads as all zero: its strips lie round the screen's origin.
    ExpectStrips({0, 0, 0, 0}, S(E::Top, 1, 3, 0, -1), S(E::Bottom, 1, 3, 0, -1), S(E::Left, 3, 1, -1, 0),
                 S(E::Right, 3, 1, -1, 0));
}

TEST(FrameStrips, OnTheScreenAreCutAtItsEdges) {
    const Rect screen{0, 0, 1920, 1080};
    struct Row {
        Rect window;
        std::array<EdgeStrip, 4> expected;
    };
    const Row rows[] = {
        // Wholly on the screen: as they are.
        {{100, 50, 400, 300}, FrameStrips({100, 50, 400, 300})},
        // At the top-left corner the outer pixel row and column are off the screen.
        {{0, 0, 640, 480},
         {S(E::Top, 641, 2, 0, 0), S(E::Bottom, 641, 3, 0, 479), S(E::Left, 2, 481, 0, 0),
          S(E::Right, 3, 481, 639, 0)}},
        // Maximised: the top, left and right strips lie off the screen, the bottom one is cut to its width.
        {{-8, -8, 1928, 1088},
         {S(E::Top, 0, 0, 0, 0), S(E::Bottom, 0, 0, 0, 0), S(E::Left, 0, 0, 0, 0), S(E::Right, 0, 0, 0, 0)}},
        {{-8, -8, 1928, 1048},
         {S(E::Top, 0, 0, 0, 0), S(E::Bottom, 1920, 3, 0, 1047), S(E::Left, 0, 0, 0, 0), S(E::Right, 0, 0, 0, 0)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "window " << row.window.left << "," << row.window.top);
        EXPECT_EQ(FrameStripsOnScreen(row.window, screen), row.expected);
    }
}

TEST(FrameStrips, NeverGoNegativeOrOverflow) {
    const auto inverted = FrameStrips(Rect{50, 50, 40, 45});
    EXPECT_EQ(inverted[0].width, 0);
    EXPECT_EQ(inverted[2].height, 0);
    EXPECT_EQ(inverted[0].height, 3);

    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    const auto huge = FrameStrips(Rect{lo, lo, hi, hi});
    EXPECT_EQ(huge[0].width, hi);
    EXPECT_EQ(huge[0].source.y, lo);
    EXPECT_EQ(huge[3].source.x, hi - 1);
}

TEST(FrameStrips, SaveEveryPixelUnderThePenExceptTheFourOuterCorners) {
    for (const Rect& w : {Rect{100, 50, 140, 70}, Rect{0, 0, 1, 1}, Rect{0, 0, 0, 0}, Rect{-5, -5, 3, 2}}) {
        SCOPED_TRACE(testing::Message() << w.left << "," << w.top << "," << w.right << "," << w.bottom);
        std::set<std::pair<int32_t, int32_t>> saved, covered;
        for (const EdgeStrip& s : FrameStrips(w))
            for (int32_t y = 0; y < s.height; ++y)
                for (int32_t x = 0; x < s.width; ++x)
                    saved.emplace(s.source.x + x, s.source.y + y);
        for (const Rect& band : FramePenBands(w))
            for (int32_t y = band.top; y < band.bottom; ++y)
                for (int32_t x = band.left; x < band.right; ++x)
                    covered.emplace(x, y);
        for (auto corner : {std::pair{w.left - 1, w.top - 1}, std::pair{w.right + 1, w.top - 1},
                            std::pair{w.left - 1, w.bottom + 1}, std::pair{w.right + 1, w.bottom + 1}}) {
            EXPECT_EQ(covered.erase(corner), 1u);
            EXPECT_EQ(saved.count(corner), 0u);
        }
        EXPECT_EQ(saved, covered);
    }
}

} // namespace
} // namespace kelpix::core
