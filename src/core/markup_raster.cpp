#include "core/markup_raster.h"

#include "core/frame_geometry.h"
#include "core/markup_shapes.h"

#include <stdexcept>
#include <vector>

namespace kelpix::core {
namespace {

constexpr int kBlue = 0, kGreen = 1, kRed = 2, kFourth = 3;

// v / 255, rounded, for v from 0 to 255 * 255.
uint8_t Div255(unsigned v) {
    return static_cast<uint8_t>((v + 128 + ((v + 128) >> 8)) >> 8);
}

void Blend(uint8_t* pixel, Rgb ink, uint8_t alpha) {
    if (alpha == 0) return;
    const unsigned a = alpha, rest = 255 - alpha;
    pixel[kBlue] = Div255(ink.b * a + pixel[kBlue] * rest);
    pixel[kGreen] = Div255(ink.g * a + pixel[kGreen] * rest);
    pixel[kRed] = Div255(ink.r * a + pixel[kRed] * rest);
}

void Paint(uint8_t* pixel, Rgb ink) {
    pixel[kBlue] = ink.b;
    pixel[kGreen] = ink.g;
    pixel[kRed] = ink.r;
}

// The pixels of one canvas that one call may change.
struct Painter {
    const MarkupCanvas& canvas;
    Rect clip;

    // paint(pixel, x, y) for every pixel of the region inside the clip, row by row.
    template <class PaintPixel> void Each(const Rect& region, PaintPixel&& paint) const {
        const Rect cut = Intersection(region, clip);
        for (int32_t y = cut.top; y < cut.bottom; ++y) {
            uint8_t* pixel =
                canvas.pixels + int64_t{y - canvas.area.top} * canvas.stride + int64_t{cut.left - canvas.area.left} * 4;
            for (int32_t x = cut.left; x < cut.right; ++x, pixel += 4)
                paint(pixel, x, y);
        }
    }

    void Mask(const CoverageMask& mask, Point origin, const Rect& limit, Rgb ink) const {
        const Rect extent{origin.x, origin.y, origin.x + mask.width, origin.y + mask.height};
        Each(Intersection(extent, limit), [&](uint8_t* pixel, int32_t x, int32_t y) {
            const int64_t index = int64_t{y - origin.y} * mask.width + (x - origin.x);
            Blend(pixel, ink, mask.coverage[index]);
        });
    }

    void DashedFrame(const Rect& outer) const {
        for (const Rect& line : FrameLines(outer)) {
            Each(line, [](uint8_t* pixel, int32_t x, int32_t y) { Paint(pixel, (x + y) & 4 ? kWhite : kBlack); });
        }
    }
};

void CheckCanvas(const MarkupCanvas& canvas, const Rect& clip) {
    if (clip.Empty()) return;
    const Rect& area = canvas.area;
    if (clip.left < area.left || clip.top < area.top || clip.right > area.right || clip.bottom > area.bottom)
        throw std::invalid_argument("the clip rectangle does not lie inside the canvas");
    if (canvas.pixels == nullptr || canvas.stride < int64_t{area.Width()} * 4)
        throw std::invalid_argument("the canvas has no pixels or rows shorter than its width");
}

CoverageMask FetchMask(MarkupGlyphs& glyphs, const Mark& mark) {
    CoverageMask mask;
    if (mark.kind == MarkKind::Text)
        mask = glyphs.TextMask(mark);
    else if (mark.kind == MarkKind::Step)
        mask = glyphs.StepNumberMask(mark.step_number, StepDiameter(mark));
    else
        return mask;
    if (mask.width < 0 || mask.height < 0 || (mask.coverage == nullptr && mask.width > 0 && mask.height > 0))
        throw std::invalid_argument("a text or step number mask has a negative size or no bytes");
    return mask;
}

void DrawStep(const Painter& painter, const Mark& step, const CoverageMask& number) {
    const DiscShape disc = MakeDisc(step.centre, StepDiameter(step));
    const Rect bounds = PixelBounds(disc);
    const Rgb ink = ColourRgb(step.colour);
    painter.Each(bounds, [&](uint8_t* pixel, int32_t x, int32_t y) { Blend(pixel, ink, Coverage(disc, x, y)); });
    const Point origin{step.centre.x - (number.width - 1) / 2, step.centre.y - (number.height - 1) / 2};
    painter.Mask(number, origin, bounds, StepNumberInk(step.colour));
}

void DrawMark(const Painter& painter, const Mark& mark, const CoverageMask& mask) {
    const Rgb ink = mark.kind == MarkKind::Highlight ? kHighlightYellow : ColourRgb(mark.colour);
    switch (mark.kind) {
    case MarkKind::Rectangle:
        for (const Rect& band : OutlineBands(mark.box, LineWidth(mark))) {
            painter.Each(band, [&](uint8_t* pixel, int32_t, int32_t) { Paint(pixel, ink); });
        }
        return;
    case MarkKind::Highlight:
        painter.Each(mark.box, [&](uint8_t* pixel, int32_t, int32_t) {
            pixel[kBlue] = Div255(pixel[kBlue] * unsigned{ink.b});
            pixel[kGreen] = Div255(pixel[kGreen] * unsigned{ink.g});
            pixel[kRed] = Div255(pixel[kRed] * unsigned{ink.r});
        });
        return;
    case MarkKind::Arrow: {
        const ArrowShape arrow = MakeArrowShape(mark.tail, mark.tip, LineWidth(mark));
        painter.Each(PixelBounds(arrow),
                     [&](uint8_t* pixel, int32_t x, int32_t y) { Blend(pixel, ink, Coverage(arrow, x, y)); });
        return;
    }
    case MarkKind::Step:
        DrawStep(painter, mark, mask);
        return;
    case MarkKind::Text:
        painter.Mask(mask, {mark.box.left, mark.box.top}, mark.box, ink);
        return;
    case MarkKind::Redaction:
        painter.Each(mark.box, [&](uint8_t* pixel, int32_t, int32_t) {
            Paint(pixel, ink);
            pixel[kFourth] = 255;
        });
        return;
    }
}

void DrawHandle(const Painter& painter, Point at) {
    const Rect square = HandleSquare(at);
    painter.Each(square, [&](uint8_t* pixel, int32_t x, int32_t y) {
        const bool edge = x == square.left || y == square.top || x == square.right - 1 || y == square.bottom - 1;
        Paint(pixel, edge ? kBlack : kWhite);
    });
}

void DrawViewDecoration(const Painter& painter, const MarkupDocument& document) {
    if (const Mark* selected = document.Find(document.selected())) {
        for (const HandleSpot& spot : Handles(*selected))
            DrawHandle(painter, spot.at);
        if (selected->kind == MarkKind::Text || selected->kind == MarkKind::Step)
            painter.DashedFrame(SelectionFrame(*selected));
    }
    if (document.crop_preview()) painter.DashedFrame(*document.crop_preview());
}

} // namespace

void RenderMarkup(const MarkupDocument& document, MarkupGlyphs& glyphs, const MarkupCanvas& canvas, const Rect& clip,
                  RenderFor purpose) {
    CheckCanvas(canvas, clip);
    if (clip.Empty()) return;
    const std::vector<Mark>& marks = document.marks();
    // Every mask is fetched and checked before the first pixel changes.
    std::vector<CoverageMask> masks(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        if (Overlap(MarkFrame(marks[i]), clip)) masks[i] = FetchMask(glyphs, marks[i]);
    }
    const Painter painter{canvas, clip};
    for (size_t i = 0; i < marks.size(); ++i)
        DrawMark(painter, marks[i], masks[i]);
    if (purpose == RenderFor::View) DrawViewDecoration(painter, document);
}

} // namespace kelpix::core
