#include "core/frame_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace kelpix::core {

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

constexpr Rect kScreen{0, 0, 1024, 768};
using Sides = std::array<Rect, 4>; // top, bottom, left, right

TEST(FrameSides, LieJustOutsideTheTargetAndJustInsideWhereTheScreenEnds) {
    const struct {
        const char* name;
        Rect target, screen;
        Sides expected;
    } rows[] = {
        {"in the middle",
         {100, 100, 400, 300},
         kScreen,
         {{{97, 97, 403, 100}, {97, 300, 403, 303}, {97, 100, 100, 300}, {400, 100, 403, 300}}}},
        {"maximised, past every edge",
         {-4, -4, 1028, 772},
         kScreen,
         {{{0, 0, 1024, 3}, {0, 765, 1024, 768}, {0, 3, 3, 765}, {1021, 3, 1024, 765}}}},
        {"at the top-left edge",
         {0, 0, 200, 100},
         kScreen,
         {{{0, 0, 203, 3}, {0, 100, 203, 103}, {0, 3, 3, 100}, {200, 3, 203, 100}}}},
        {"two pixels from the left edge: no room for the side outside",
         {2, 50, 200, 100},
         kScreen,
         {{{2, 47, 203, 50}, {2, 100, 203, 103}, {2, 50, 5, 100}, {200, 50, 203, 100}}}},
        {"exactly three pixels from the left edge: room",
         {3, 50, 200, 100},
         kScreen,
         {{{0, 47, 203, 50}, {0, 100, 203, 103}, {0, 50, 3, 100}, {200, 50, 203, 100}}}},
        {"at the bottom-right corner",
         {900, 700, 1024, 768},
         kScreen,
         {{{897, 697, 1024, 700}, {897, 765, 1024, 768}, {897, 700, 900, 765}, {1021, 700, 1024, 765}}}},
        {"half off the bottom",
         {100, 700, 300, 900},
         kScreen,
         {{{97, 697, 303, 700}, {97, 765, 303, 768}, {97, 700, 100, 765}, {300, 700, 303, 765}}}},
        {"one pixel",
         {10, 10, 11, 11},
         kScreen,
         {{{7, 7, 14, 10}, {7, 11, 14, 14}, {7, 10, 10, 11}, {11, 10, 14, 11}}}},
        {"two pixels in the corner: the sides squeeze, never overlap",
         {0, 0, 2, 2},
         kScreen,
         {{{0, 0, 5, 3}, {0, 3, 5, 5}, {0, 3, 3, 3}, {2, 3, 5, 3}}}},
        {"on a monitor left of the primary one",
         {-300, 100, -100, 200},
         {-1280, 0, 1024, 768},
         {{{-303, 97, -97, 100}, {-303, 200, -97, 203}, {-303, 100, -300, 200}, {-100, 100, -97, 200}}}},
        {"off every screen", {2000, 100, 2300, 200}, kScreen, {}},
        {"gone (all zero)", {}, kScreen, {}},
        {"inverted", {300, 300, 100, 100}, kScreen, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Sides sides = FrameSides(row.target, row.screen);
        EXPECT_EQ(sides, row.expected);
        for (const Rect& side : sides) {
            EXPECT_GE(side.Width(), 0);
            EXPECT_GE(side.Height(), 0);
            if (!side.Empty()) EXPECT_EQ(Intersection(side, row.screen), side) << "on the screen";
        }
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                EXPECT_FALSE(Overlap(sides[i], sides[j])) << "sides " << i << " and " << j;
    }
}

TEST(FrameSides, NeverOverflowAtTheEdgesOfTheRange) {
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    const Sides all = FrameSides({lo, lo, hi, hi}, {lo, lo, hi, hi});
    EXPECT_EQ(all[0], (Rect{lo, lo, hi, lo + 3}));
    EXPECT_EQ(all[3], (Rect{hi - 3, lo + 3, hi, hi - 3}));
}

TEST(FrameSides, IntersectionAndOverlap) {
    const struct {
        Rect a, b, cut;
    } rows[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {}}, // touching edges share no pixel
        {{0, 0, 10, 10}, {2, 2, 3, 3}, {2, 2, 3, 3}},
        {{0, 0, 10, 10}, {}, {}},
        {{-5, -5, 5, 5}, {-10, 0, 0, 10}, {-5, 0, 0, 5}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Intersection(row.a, row.b), row.cut) << row.a << " " << row.b;
        EXPECT_EQ(Intersection(row.b, row.a), row.cut) << row.a << " " << row.b;
        EXPECT_EQ(Overlap(row.a, row.b), !row.cut.Empty());
    }
}

} // namespace
} // namespace kelpix::core
