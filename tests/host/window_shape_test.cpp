#include "core/window_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

using P = CornerPreference;

// A framed window on Windows 11 at 96 DPI, 7 pixels of invisible border left, right and below.
WindowShapeFacts Windows11(P corners = P::Round, uint32_t dpi = 96) {
    WindowShapeFacts facts;
    facts.visible = {7, 0, 67, 45};
    facts.area = facts.visible;
    facts.corners = corners;
    facts.dpi = dpi;
    facts.build = 22631;
    facts.composition = true;
    facts.framed = true;
    return facts;
}

// The share of pixel (x, y) inside the circle of radius r about (cx, cy), by summing the part of the
// pixel's height within the circle over many thin columns.
double CircleShare(int32_t x, int32_t y, double cx, double cy, double r) {
    constexpr int kColumns = 1000;
    double sum = 0;
    for (int i = 0; i < kColumns; ++i) {
        const double t = x + (i + 0.5) / kColumns - cx;
        if (std::abs(t) >= r) continue;
        const double half = std::sqrt(r * r - t * t);
        sum += std::max(0.0, std::min(y + 1.0, cy + half) - std::max(double(y), cy - half));
    }
    return sum / kColumns;
}

// The alpha of pixel (x, y) in window coordinates for corners of radius r, worked out from the
// geometry. Square corners keep every pixel; rounded ones leave out what lies beyond the visible bounds.
int RoundedAlpha(const Rect& visible, int32_t r, int32_t x, int32_t y) {
    if (r == 0) return 255;
    if (x < visible.left || x >= visible.right || y < visible.top || y >= visible.bottom) return 0;
    const bool left = x < visible.left + r, right = x >= visible.right - r;
    const bool top = y < visible.top + r, bottom = y >= visible.bottom - r;
    if (!(left || right) || !(top || bottom)) return 255;
    const double cx = left ? visible.left + r : visible.right - r, cy = top ? visible.top + r : visible.bottom - r;
    return static_cast<int>(std::lround(255 * CircleShare(x, y, cx, cy, r)));
}

// The mask is empty when every expected alpha is 255, and otherwise matches within one step.
void ExpectMask(const WindowShapeFacts& facts, const std::function<int(int32_t, int32_t)>& expected) {
    std::vector<int> wanted;
    for (int32_t y = facts.area.top; y < facts.area.bottom; ++y)
        for (int32_t x = facts.area.left; x < facts.area.right; ++x)
            wanted.push_back(expected(x, y));
    const std::vector<uint8_t> mask = WindowShapeMask(facts);
    if (std::count(wanted.begin(), wanted.end(), 255) == std::ssize(wanted)) {
        EXPECT_TRUE(mask.empty());
        return;
    }
    ASSERT_EQ(mask.size(), wanted.size());
    for (size_t i = 0; i < mask.size(); ++i)
        if (std::abs(mask[i] - wanted[i]) > 1)
            return ADD_FAILURE() << "pixel " << i % size_t(facts.area.Width()) << "," << i / size_t(facts.area.Width())
                                 << " of the area: " << int(mask[i]) << ", expected " << wanted[i];
}

// Each preference at 96, 120, 144 and 192 DPI, over the whole window and over parts of it.
TEST(WindowShape, RoundedCornersAreTheCirclesShareOfEachPixel) {
    const std::pair<P, std::vector<int32_t>> radii[] = {{P::Default, {8, 10, 12, 16}},
                                                        {P::Round, {8, 10, 12, 16}},
                                                        {P::RoundSmall, {4, 5, 6, 8}},
                                                        {P::DoNotRound, {0, 0, 0, 0}}};
    const Rect areas[] = {{7, 0, 67, 45},   // the visible bounds
                          {7, 20, 67, 45},  // the top lies above the screen: the bottom corners only
                          {30, 0, 67, 10},  // the top-right corner only
                          {10, 10, 60, 35}, // no corner: no mask
                          {0, 0, 74, 52}};  // the window rectangle: its invisible borders are outside
    const uint32_t dpis[] = {96, 120, 144, 192};
    for (const auto& [corners, radius] : radii)
        for (int i = 0; i < 4; ++i)
            for (const Rect& area : areas) {
                SCOPED_TRACE(testing::Message()
                             << static_cast<int>(corners) << " at " << dpis[i] << ", area " << area.left << ","
                             << area.top << "," << area.right << "," << area.bottom);
                WindowShapeFacts facts = Windows11(corners, dpis[i]);
                facts.area = area;
                const int32_t r = radius[i];
                EXPECT_EQ(CornerRadius(facts), r);
                ExpectMask(facts, [&](int32_t x, int32_t y) { return RoundedAlpha(facts.visible, r, x, y); });
            }
}

TEST(WindowShape, RadiiBetweenRoundToTheNearestPixelAndFitTheWindow) {
    const struct {
        P corners;
        uint32_t dpi;
        int32_t radius;
    } rows[] = {{P::Round, 108, 9}, {P::RoundSmall, 108, 5}, {P::Round, 168, 14}, {P::RoundSmall, 168, 7},
                {P::Round, 100, 8}, {P::RoundSmall, 100, 4}, {P::Round, 0, 8},    {static_cast<P>(7), 96, 8},
                {P::Round, 600, 22}}; // half of the 45-pixel height
    for (const auto& row : rows)
        EXPECT_EQ(CornerRadius(Windows11(row.corners, row.dpi)), row.radius)
            << static_cast<int>(row.corners) << " at " << row.dpi;
}

TEST(WindowShape, CornersStaySquareWhereWindowsDoesNotRoundThem) {
    const std::pair<const char*, std::function<void(WindowShapeFacts&)>> rows[] = {
        {"maximized", [](WindowShapeFacts& f) { f.maximized = true; }},
        {"arranged", [](WindowShapeFacts& f) { f.arranged = true; }},
        {"remote session", [](WindowShapeFacts& f) { f.remoteSession = true; }},
        {"no composition", [](WindowShapeFacts& f) { f.composition = false; }},
        {"child control", [](WindowShapeFacts& f) { f.childControl = true; }},
        {"Kelpix's own area", [](WindowShapeFacts& f) { f.ownArea = true; }},
        {"Windows 10", [](WindowShapeFacts& f) { f.build = 19045; }},
        {"the last build before", [](WindowShapeFacts& f) { f.build = kFirstRoundingBuild - 1; }},
        {"do not round", [](WindowShapeFacts& f) { f.corners = P::DoNotRound; }},
        {"frameless, by default", [](WindowShapeFacts& f) { f.framed = false, f.corners = P::Default; }},
        {"frameless, by an unknown value",
         [](WindowShapeFacts& f) { f.framed = false, f.corners = static_cast<P>(7); }},
        {"facts unknown", [](WindowShapeFacts& f) { f.build = 0, f.composition = false; }},
        {"no visible bounds", [](WindowShapeFacts& f) { f.visible = {}; }},
    };
    ASSERT_FALSE(WindowShapeMask(Windows11()).empty());
    for (const auto& [name, change] : rows) {
        WindowShapeFacts facts = Windows11();
        change(facts);
        EXPECT_TRUE(WindowShapeMask(facts).empty()) << name;
    }
}

TEST(WindowShape, ARegionDecidesAloneAndExactly) {
    const Rect frameWithHole[] = {{0, 0, 40, 5}, {0, 5, 5, 25}, {35, 5, 40, 25}, {0, 25, 40, 30}};
    const struct {
        const char* name;
        Rect area;
        std::vector<Rect> region;
    } rows[] = {
        {"the area itself", {0, 0, 40, 30}, {{0, 0, 40, 30}}},
        {"larger than the area", {7, 3, 47, 33}, {{-20, -20, 100, 100}}},
        {"two halves covering the area", {0, 0, 40, 30}, {{0, 0, 40, 12}, {-5, 12, 45, 40}}},
        {"a frame with a hole", {0, 0, 40, 30}, {std::begin(frameWithHole), std::end(frameWithHole)}},
        {"a frame seen in part", {20, 2, 60, 20}, {std::begin(frameWithHole), std::end(frameWithHole)}},
        {"a stepped oval, rows apart",
         {7, 3, 47, 13},
         {{17, 3, 37, 5}, {9, 5, 45, 9}, {17, 9, 37, 11}, {1, 11, 99, 12}}},
        {"partly off the area", {0, 0, 40, 30}, {{-10, -10, 10, 10}, {30, 20, 60, 60}}},
        {"empty", {0, 0, 40, 30}, {}},
    };
    for (const auto& row : rows) {
        for (bool rounded : {false, true}) { // a window with a region is never rounded
            WindowShapeFacts facts = rounded ? Windows11() : WindowShapeFacts{};
            facts.area = row.area;
            facts.visible = row.area;
            facts.region = row.region;
            SCOPED_TRACE(testing::Message() << row.name << (rounded ? ", rounding asked for" : ""));
            EXPECT_EQ(CornerRadius(facts), 0);
            ExpectMask(facts, [&](int32_t x, int32_t y) {
                const auto holds = [&](const Rect& r) {
                    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                };
                return std::any_of(row.region.begin(), row.region.end(), holds) ? 255 : 0;
            });
        }
    }
    WindowShapeFacts own = Windows11();
    own.region = std::vector<Rect>{};
    own.ownArea = true;
    EXPECT_TRUE(WindowShapeMask(own).empty());
}

} // namespace
} // namespace kelpix::core
