#include "core/markup_raster.h"

#include "core/frame_geometry.h"
#include "core/markup_geometry.h"
#include "markup_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

namespace kelpix::core {
namespace {

using namespace kelpix::test;
using T = MarkupTool;
using Pixels = std::vector<uint8_t>; // kWidth x kHeight, 4 bytes each, top row first

constexpr int32_t kWidth = 160, kHeight = 120;
constexpr Rect kImage{0, 0, kWidth, kHeight};

// Stands in for the font engine: text ink of a made-up pattern reaching 3 pixels past the measured
// box (which must be cut), a number's ink a 7 x 9 block.
class FakeGlyphs : public MarkupGlyphs {
public:
    CoverageMask TextMask(const Mark& text) override { return Make(text.box.Width() + 3, text.box.Height() + 3, 37); }
    CoverageMask StepNumberMask(int number, int32_t) override { return Make(7, 9, 50 * number); }

private:
    CoverageMask Make(int32_t width, int32_t height, int seed) {
        std::vector<uint8_t>& bytes = store_.emplace_back(static_cast<size_t>(width * height));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(i * seed + i / 7 * 91);
        return {bytes.data(), width, height};
    }
    std::deque<std::vector<uint8_t>> store_;
};

// A captured image of noise, in all four bytes; the same seed gives the same bytes.
Pixels Captured(uint32_t seed) {
    Pixels pixels(size_t{kWidth} * kHeight * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t h = static_cast<uint32_t>(i) * 2654435761u ^ seed;
        h ^= h >> 15;
        pixels[i] = static_cast<uint8_t>(h * 2246822519u >> 24);
    }
    return pixels;
}

Pixels Render(const MarkupDocument& document, RenderFor purpose, Pixels pixels, const Rect& clip = kImage) {
    FakeGlyphs glyphs;
    RenderMarkup(document, glyphs, {pixels.data(), kWidth * 4, kImage}, clip, purpose);
    return pixels;
}

bool Contains(const Rect& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Every kind, overlapping: an arrow under a redaction and one over it, text, two steps.
const Events kAllKinds = Join({
    Draw(T::Rectangle, {10, 10}, {50, 40}),
    Draw(T::Highlight, {30, 30}, {70, 50}),
    {WidthChosen{2}},
    Draw(T::Arrow, {20, 100}, {120, 60}),
    {WidthChosen{0}},
    Draw(T::Step, {100, 20}, {100, 20}),
    Drag({140, 100}, {140, 100}),
    Text({60, 70}, L"abc", 40, 14),
    Draw(T::Redact, {85, 45}, {110, 75}),
    Draw(T::Arrow, {70, 40}, {130, 52}),
});
const Events kStepSelected = Join({kAllKinds, Use(T::Select), Click({100, 20})});
const Events kCropDragged = Join({kAllKinds, Use(T::Crop), {PointerPressed{{5, 5}}, PointerMoved{{150, 110}}}});

MarkupDocument Make(const Events& events) {
    MarkupDocument document(kWidth, kHeight);
    Play(document, events);
    return document;
}

// Renders one tile as a caller with its own buffer would: a canvas a little larger than the tile, at
// the tile's place, with rows longer than needed and filled with 0xA5, the tile's captured pixels
// copied in. Copies the tile's result into `into`; false if a byte outside the tile changed.
bool RenderTile(const MarkupDocument& document, RenderFor purpose, const Pixels& captured, const Rect& tile,
                Pixels& into) {
    const Rect area = Intersection(Grow(tile, 2), kImage);
    const int32_t slots = area.Width() + 3;
    Pixels canvas(static_cast<size_t>(slots * area.Height() * 4), 0xA5);
    auto slot = [&](int32_t x, int32_t y) { return static_cast<size_t>(((y - area.top) * slots + x - area.left) * 4); };
    auto pixel = [](int32_t x, int32_t y) { return static_cast<size_t>((y * kWidth + x) * 4); };
    for (int32_t y = tile.top; y < tile.bottom; ++y) {
        for (int32_t x = tile.left; x < tile.right; ++x)
            std::copy_n(&captured[pixel(x, y)], 4, &canvas[slot(x, y)]);
    }
    FakeGlyphs glyphs;
    RenderMarkup(document, glyphs, {canvas.data(), int64_t{slots} * 4, area}, tile, purpose);
    bool untouched = true;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.left + slots; ++x) {
            if (Contains(tile, x, y))
                std::copy_n(&canvas[slot(x, y)], 4, &into[pixel(x, y)]);
            else
                untouched = untouched && std::all_of(&canvas[slot(x, y)], &canvas[slot(x, y)] + 4,
                                                     [](uint8_t b) { return b == 0xA5; });
        }
    }
    return untouched;
}

TEST(MarkupRaster, GivesTheSameBytesWholeAndInTilesAndTouchesNothingOutsideTheClip) {
    const Pixels captured = Captured(1);
    const std::pair<Events, RenderFor> cases[] = {
        {kAllKinds, RenderFor::Output}, {kStepSelected, RenderFor::View}, {kCropDragged, RenderFor::View}};
    for (const auto& [events, purpose] : cases) {
        const MarkupDocument document = Make(events);
        const Pixels whole = Render(document, purpose, captured);
        Pixels tiled(captured.size());
        for (int32_t top = 0; top < kHeight; top += 23) {
            for (int32_t left = 0; left < kWidth; left += 37) {
                const Rect tile = Intersection({left, top, left + 37, top + 23}, kImage);
                EXPECT_TRUE(RenderTile(document, purpose, captured, tile, tiled)) << left << "," << top;
            }
        }
        EXPECT_TRUE(whole == tiled);
        EXPECT_FALSE(whole == captured);
    }
}

TEST(MarkupRaster, KeepsEveryPixelOutsideTheMarksBitForBit) {
    const Pixels captured = Captured(2);
    const std::pair<Events, RenderFor> cases[] = {{kAllKinds, RenderFor::Output}, {kStepSelected, RenderFor::View}};
    for (const auto& [events, purpose] : cases) {
        const MarkupDocument document = Make(events);
        std::vector<Rect> inked;
        for (const Mark& mark : document.marks())
            AddInkAreas(mark, purpose == RenderFor::View && mark.id == document.selected(), inked);
        const Pixels drawn = Render(document, purpose, captured);
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                if (std::any_of(inked.begin(), inked.end(), [&](const Rect& r) { return Contains(r, x, y); })) continue;
                const size_t at = static_cast<size_t>((y * kWidth + x) * 4);
                ASSERT_TRUE(std::equal(&drawn[at], &drawn[at] + 4, &captured[at])) << x << "," << y;
            }
        }
    }
}

TEST(MarkupRaster, LetsNothingUnderARedactionThrough) {
    const MarkupDocument document = Make(kAllKinds);
    const Rect redaction = document.marks()[6].box;
    ASSERT_EQ(redaction, (Rect{85, 45, 111, 76}));
    const Pixels first = Captured(3), other = Captured(4);
    Pixels second = first;
    for (int32_t y = redaction.top; y < redaction.bottom; ++y) {
        const size_t row = static_cast<size_t>((y * kWidth + redaction.left) * 4);
        std::copy(&other[row], &other[row] + redaction.Width() * 4, &second[row]);
    }
    const Pixels out = Render(document, RenderFor::Output, first);
    EXPECT_TRUE(out == Render(document, RenderFor::Output, second));
    const size_t inside = static_cast<size_t>((70 * kWidth + 90) * 4);
    EXPECT_EQ(Pixels(&out[inside], &out[inside] + 4), (Pixels{0, 0, 0, 255}));
}

TEST(MarkupRaster, DrawsEachKindAtTheImagesOwnPixels) {
    struct Row {
        Events events;
        Point at;
        Rgb expected;
        bool blended; // neither the white below nor `expected`, the ink, but between
    };
    const Rgb red = ColourRgb(MarkColour::Red), white = kWhite;
    const Events rect = Draw(T::Rectangle, {10, 10}, {30, 30}), arrow = Draw(T::Arrow, {10, 20}, {40, 20});
    const Events step = Draw(T::Step, {50, 50}, {50, 50}), text = Text({60, 70}, L"t", 10, 5);
    const Row rows[] = {
        {rect, {10, 10}, red, false},
        {rect, {13, 20}, red, false},
        {rect, {14, 20}, white, false},
        {rect, {9, 10}, white, false},
        {rect, {30, 30}, red, false},
        {rect, {31, 30}, white, false},
        {arrow, {40, 20}, red, true},
        {arrow, {41, 20}, white, false},
        {arrow, {14, 20}, red, false},
        {arrow, {14, 22}, red, true},
        {arrow, {14, 18}, red, true},
        {arrow, {14, 23}, white, false},
        {arrow, {10, 20}, red, true},
        {arrow, {9, 20}, white, false},
        {step, {50, 40}, red, false},
        {step, {50, 64}, red, true},
        {step, {50, 65}, white, false},
        {text, {61, 70}, red, true},
        {text, {60, 70}, white, false},
        {text, {70, 72}, white, false},
        {Draw(T::Highlight, {0, 0}, {5, 5}), {3, 3}, kHighlightYellow, false},
        {Draw(T::Redact, {0, 0}, {5, 5}), {5, 5}, kBlack, false},
    };
    const Pixels white_image(size_t{kWidth} * kHeight * 4, 255);
    for (const Row& row : rows) {
        const Pixels out = Render(Make(row.events), RenderFor::Output, white_image);
        const size_t at = static_cast<size_t>((row.at.y * kWidth + row.at.x) * 4);
        const Rgb got{out[at + 2], out[at + 1], out[at]};
        if (row.blended)
            EXPECT_TRUE(got != row.expected && got != white) << row.at.x << "," << row.at.y;
        else
            EXPECT_EQ(got, row.expected) << row.at.x << "," << row.at.y;
    }
}

TEST(MarkupRaster, RepaintsEveryPixelThatChanges) {
    struct Row {
        const char* name;
        Events before;
        MarkupEvent event;
        int64_t most_area; // the repaint stays near what changed
    };
    const Events pick_step = Join({kAllKinds, Use(T::Select), Click({100, 20})});
    const Events pick_arrow = Join({kAllKinds, Use(T::Select), Click({100, 48})});
    const Row rows[] = {
        {"selecting", Join({kAllKinds, Use(T::Select)}), PointerPressed{{10, 20}}, 2000},
        {"moving a box", Join({kAllKinds, Use(T::Select), {PointerPressed{{10, 20}}}}), PointerMoved{{13, 22}}, 3200},
        {"moving an arrow", Join({kAllKinds, Use(T::Select), {PointerPressed{{100, 48}}}}), PointerMoved{{96, 47}},
         2500},
        {"dragging an arrow's tip", Join({pick_arrow, {PointerPressed{{130, 52}}}}), PointerMoved{{150, 30}}, 3000},
        {"drawing an arrow", Join({kAllKinds, Use(T::Arrow), {PointerPressed{{5, 110}}}}), PointerMoved{{60, 80}},
         2500},
        {"deleting a step renumbers the next", pick_step, DeleteKey{}, 2000},
        {"recolouring", pick_step, ColourChosen{MarkColour::Blue}, 2000},
        {"widening", pick_arrow, WidthChosen{2}, 2500},
        {"nudging", pick_arrow, ArrowKey{0, 1, true}, 3000},
        {"choosing another mark", pick_step, PointerPressed{{140, 100}}, 2000},
        {"selecting nothing", pick_step, PointerPressed{{2, 2}}, 2000},
        {"escaping a move", Join({pick_arrow, {PointerPressed{{100, 48}}, PointerMoved{{60, 90}}}}), EscapeKey{}, 0},
        {"undoing", kAllKinds, UndoChosen{}, 0},
        {"redoing", Join({kAllKinds, {UndoChosen{}, UndoChosen{}}}), RedoChosen{}, 0},
        {"committing text", Join({kAllKinds, Use(T::Text), {PointerPressed{{5, 60}}}}),
         TextCommitted{{5, 60}, L"new", 30, 14}, 600},
        {"dragging a crop", kCropDragged, PointerMoved{{120, 90}}, 1500},
        {"cropping", kCropDragged, PointerReleased{{120, 90}}, 0},
    };
    const Pixels captured = Captured(5);
    for (const Row& row : rows) {
        MarkupDocument document = Make(row.before);
        const Pixels before = Render(document, RenderFor::View, captured);
        const MarkupAnswer answer = document.Handle(row.event);
        const Pixels after = Render(document, RenderFor::View, captured);
        int64_t area = 0;
        for (const Rect& r : answer.repaint) {
            EXPECT_EQ(Intersection(r, document.crop()), r) << row.name;
            area += int64_t{r.Width()} * r.Height();
        }
        if (row.most_area > 0) {
            EXPECT_LE(area, row.most_area) << row.name;
        }
        if (answer.relayout) continue; // the whole new view is drawn
        EXPECT_FALSE(before == after) << row.name;
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                const size_t at = static_cast<size_t>((y * kWidth + x) * 4);
                if (std::equal(&before[at], &before[at] + 4, &after[at])) continue;
                ASSERT_TRUE(std::any_of(answer.repaint.begin(), answer.repaint.end(),
                                        [&](const Rect& r) { return Contains(r, x, y); }))
                    << row.name << ": " << x << "," << y;
            }
        }
    }
}

TEST(MarkupRaster, RepaintsOfADragDoNotGrowWithTheImage) {
    std::vector<std::vector<Rect>> repaints[2];
    const std::pair<int32_t, int32_t> sizes[] = {{640, 480}, {3840, 2160}};
    for (int i = 0; i < 2; ++i) {
        MarkupDocument document(sizes[i].first, sizes[i].second);
        for (const MarkupEvent& event :
             Join({Use(T::Arrow),
                   {PointerPressed{{100, 100}}, PointerMoved{{150, 120}}, PointerMoved{{300, 200}}},
                   {PointerMoved{{200, 150}}, PointerReleased{{200, 150}}}}))
            repaints[i].push_back(document.Handle(event).repaint);
    }
    EXPECT_EQ(repaints[0], repaints[1]);
}

TEST(MarkupRaster, RefusesABadCanvasOrMaskBeforeTouchingAPixel) {
    class NoBytes : public FakeGlyphs {
        CoverageMask StepNumberMask(int, int32_t) override { return {nullptr, 7, 9}; }
    } no_bytes;
    const MarkupDocument document = Make(kAllKinds);
    const Pixels captured = Captured(6);
    Pixels pixels = captured;
    const MarkupCanvas canvas{pixels.data(), kWidth * 4, kImage};
    FakeGlyphs glyphs;
    EXPECT_THROW(RenderMarkup(document, glyphs, canvas, {0, 0, kWidth + 1, 10}, RenderFor::Output),
                 std::invalid_argument);
    EXPECT_THROW(RenderMarkup(document, glyphs, {pixels.data(), 16, kImage}, kImage, RenderFor::Output),
                 std::invalid_argument);
    EXPECT_THROW(RenderMarkup(document, no_bytes, canvas, kImage, RenderFor::Output), std::invalid_argument);
    EXPECT_TRUE(pixels == captured);
}

} // namespace
} // namespace kelpix::core
