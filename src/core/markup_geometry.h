// Where marks lie and what they answer to: the box a drag spans, the Shift constraints, the pixels a
// mark's ink and its selection decoration may touch, the handles, hit testing, moving and resizing.
//
// A box drawn from one pixel to another holds both, and every pixel between; its handles sit on its
// corner and edge-middle pixels. The selected mark shows its handles as 7 x 7 squares (boxes: eight,
// arrows: one on each end); text and steps, which only move, show a dashed frame round them instead.
#pragma once

#include "core/markup_marks.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelpix::core {

enum class MarkHandle : uint8_t {
    None,
    TopLeft,
    Top,
    TopRight,
    Right,
    BottomRight,
    Bottom,
    BottomLeft,
    Left,
    Tail,
    Tip
};

// How near a mark's outline or line the pointer must be to hit it, at 100 %.
inline constexpr int32_t kHitTolerance = 4;
// A handle is a square of 2 * kHandleRadius + 1 pixels round its pixel; it answers a pixel farther.
inline constexpr int32_t kHandleRadius = 3;
// The dashed frame round selected text and steps lies this far outside them.
inline constexpr int32_t kSelectionFrameGap = 2;

bool IsBoxKind(MarkKind kind);

// The pixels from a to b, both included.
Rect SpanBox(Point a, Point b);
Rect Grow(const Rect& rect, int32_t by);
// The smallest rectangle holding both (either may be empty).
Rect Bounds(const Rect& a, const Rect& b);

// Shift held: `moving` put where the box from `anchor` is square, as large as the larger side.
Point SquareCorner(Point anchor, Point moving);
// Shift held: `moving` put on the nearest line from `anchor` at a multiple of 45 degrees.
Point SnapTo45Degrees(Point anchor, Point moving);

// A mark that draws nothing: a box without pixels, an arrow whose ends meet.
bool IsDegenerate(const Mark& mark);
// The area a mark occupies: its box, the pixels from an arrow's tail to its tip, a step's disc.
Rect MarkFrame(const Mark& mark);

// The bands of a rectangle's outline, which lies inside its box: top, bottom, left, right. A box no
// wider or higher than twice the line is filled whole (the first band, the others empty).
std::array<Rect, 4> OutlineBands(const Rect& box, int32_t line_width);
// The one-pixel lines along the inside of `outer`'s border: top, bottom, left, right.
std::array<Rect, 4> FrameLines(const Rect& outer);
// The outer edge of the dashed frame round selected text and steps.
Rect SelectionFrame(const Mark& mark);
Rect HandleSquare(Point handle);

// Every pixel the mark's ink may touch, and with `selected` its decoration's, as a few rectangles.
void AddInkAreas(const Mark& mark, bool selected, std::vector<Rect>& areas);

struct HandleSpot {
    MarkHandle handle = MarkHandle::None;
    Point at;
};
// Boxes: corners and edge middles; arrows: tail and tip; text and steps: none.
std::vector<HandleSpot> Handles(const Mark& mark);
MarkHandle HandleAt(const Mark& mark, Point pointer);

// Whether a press at `pointer` hits the mark: a rectangle near its outline, filled kinds and text
// inside, an arrow near its line or head, a step inside its disc.
bool Hits(const Mark& mark, Point pointer);

// `delta`, shortened so that the moved mark's frame keeps at least one pixel inside `shown`.
Point LimitMove(const Mark& mark, Point delta, const Rect& shown);
Mark Moved(const Mark& mark, Point delta);
// The mark as at the press, with the handle dragged by `delta`; nothing when an arrow's ends would
// meet. Shift keeps a box square when a corner is dragged, and an arrow at 45-degree steps.
std::optional<Mark> Resized(const Mark& original, MarkHandle handle, Point delta, bool shift);

// The changed areas, each clipped to `shown` and joined where joining adds little.
std::vector<Rect> ClipAndJoin(const std::vector<Rect>& areas, const Rect& shown);

} // namespace kelpix::core
