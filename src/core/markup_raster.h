// Draws the markup document into the caller's pixels, one clip rectangle at a time.
//
// The pixels are 32 bits each, in rows from the top down: blue, green, red, and a 4th byte that is not
// colour (unused, as in a captured bitmap). The renderer keeps the 4th byte as it finds it, except in
// redacted pixels, where it becomes 255: no byte of what lay under a redaction is left.
//
// The caller copies the captured pixels of the clip rectangle into its buffer and calls RenderMarkup,
// which composites the marks over them in z-order (source-over) and touches no pixel outside the
// clip. A pixel's result depends only on the document and its own captured pixel, never on the clip:
// the whole image at once and the image in tiles give the same bytes.
//
// How each kind is drawn:
// - Rectangle: an outline of the line's width lying inside the box (the box's outer pixels), in the
//   colour; its edges fall on whole pixels.
// - Highlight: every pixel of the box multiplied by kHighlightYellow.
// - Arrow: a shaft of the line's width and a filled head whose size follows it, the head's corner on
//   the tip pixel's centre, anti-aliased by 8 x 8 samples a pixel (core/markup_shapes.h).
// - Step: a filled, anti-aliased disc in the colour, its number (from MarkupGlyphs) centred on it in
//   StepNumberInk, cut to the disc's bounds.
// - Text: the coverage MarkupGlyphs gives, from the box's top left in the colour, cut to the box.
// - Redaction: every pixel of the box set to the opaque colour; no pixel outside the box is touched.
// The image handed over is a canvas of the crop, rendered for RenderFor::Output with the crop as clip.
// For the view, the selected mark's handles (white squares edged black) or dashed frame (text, steps)
// and the dashed frame of a crop being dragged are drawn over all marks.
#pragma once

#include "core/markup_document.h"

#include <cstdint>

namespace kelpix::core {

struct MarkupCanvas {
    uint8_t* pixels = nullptr; // the top-left pixel of `area`
    int64_t stride = 0;        // bytes from a row to the next, at least 4 * area.Width()
    Rect area;                 // the image pixels the buffer holds, in image coordinates
};

// Ink coverage, one byte a pixel (0 none, 255 full), `height` rows of `width` bytes from the top.
struct CoverageMask {
    const uint8_t* coverage = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// The text and the step numbers come from the system's font engine, through the caller. The bytes a
// mask points to stay valid until RenderMarkup returns.
class MarkupGlyphs {
public:
    virtual ~MarkupGlyphs() = default;
    // The text (lines separated by '\n') in the font of height kTextSizes[text.text_size_index], from
    // the top left of its box, as the window measured it.
    virtual CoverageMask TextMask(const Mark& text) = 0;
    // The number as it is to stand on a disc of the diameter.
    virtual CoverageMask StepNumberMask(int number, int32_t diameter) = 0;
};

// Output: the marks only, as the image handed over holds them. View: also what the editor shows
// about them (the selection, the crop being dragged).
enum class RenderFor : uint8_t { Output, View };

// Throws std::invalid_argument, before any pixel changes, when the clip does not lie inside the
// canvas, the canvas is inconsistent, or a mask needed has a negative size or no bytes.
void RenderMarkup(const MarkupDocument& document, MarkupGlyphs& glyphs, const MarkupCanvas& canvas, const Rect& clip,
                  RenderFor purpose);

} // namespace kelpix::core
