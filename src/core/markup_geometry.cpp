#include "core/markup_geometry.h"

#include "core/frame_geometry.h"
#include "core/markup_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelpix::core {
namespace {

constexpr int64_t kArrowPieceLength = 48; // pixels across or down, whichever is more

bool Contains(const Rect& rect, Point p) {
    return p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom;
}

int64_t Area(const Rect& rect) {
    return rect.Empty() ? 0 : int64_t{rect.Width()} * rect.Height();
}

Point Plus(Point p, Point delta) {
    return {p.x + delta.x, p.y + delta.y};
}

double DistanceToSegment(double ax, double ay, double bx, double by, Point p) {
    const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    double t = length2 == 0 ? 0 : ((p.x - ax) * dx + (p.y - ay) * dy) / length2;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (ax + t * dx), p.y - (ay + t * dy));
}

// Near the shaft, or inside the stretch of the line the head covers, as wide as the head.
bool NearArrow(const Mark& arrow, Point p) {
    const int32_t width = LineWidth(arrow);
    const double ax = arrow.tail.x, ay = arrow.tail.y, bx = arrow.tip.x, by = arrow.tip.y;
    if (DistanceToSegment(ax, ay, bx, by, p) <= width / 2.0 + kHitTolerance) return true;
    const double length = std::hypot(bx - ax, by - ay);
    if (length == 0) return false;
    const double head = std::min<double>(ArrowHeadLength(width), length) / length;
    return DistanceToSegment(bx - (bx - ax) * head, by - (by - ay) * head, bx, by, p) <=
           ArrowHeadHalfWidth(width) * head * length / ArrowHeadLength(width);
}

// A slanting arrow's bounds are mostly empty: its ink is given as pieces of the line, each grown by
// the farthest the ink reaches from the line (the head's half width, and a pixel for the rounding of
// the pieces' ends), and cut to the bounds.
void AddArrowAreas(const Mark& arrow, std::vector<Rect>& areas) {
    const Rect bounds = PixelBounds(MakeArrowShape(arrow.tail, arrow.tip, LineWidth(arrow)));
    const int32_t reach = ArrowHeadHalfWidth(LineWidth(arrow)) + 1;
    const int64_t dx = arrow.tip.x - arrow.tail.x, dy = arrow.tip.y - arrow.tail.y;
    const int64_t pieces = std::max(std::abs(dx), std::abs(dy)) / kArrowPieceLength + 1;
    auto along = [&](int64_t i) {
        return Point{arrow.tail.x + static_cast<int32_t>(dx * i / pieces),
                     arrow.tail.y + static_cast<int32_t>(dy * i / pieces)};
    };
    for (int64_t i = 0; i < pieces; ++i)
        areas.push_back(Intersection(Grow(SpanBox(along(i), along(i + 1)), reach), bounds));
}

// One pair whose joint bounds cover no more than the two do apart is joined; false when none is.
bool JoinOnePair(std::vector<Rect>& areas) {
    for (size_t i = 0; i < areas.size(); ++i) {
        for (size_t j = i + 1; j < areas.size(); ++j) {
            const Rect joined = Bounds(areas[i], areas[j]);
            if (Area(joined) > Area(areas[i]) + Area(areas[j])) continue;
            areas[i] = joined;
            areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
            return true;
        }
    }
    return false;
}

} // namespace

bool IsBoxKind(MarkKind kind) {
    return kind == MarkKind::Rectangle || kind == MarkKind::Highlight || kind == MarkKind::Redaction;
}

Rect SpanBox(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

Rect Grow(const Rect& rect, int32_t by) {
    return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

Rect Bounds(const Rect& a, const Rect& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

Point SquareCorner(Point anchor, Point moving) {
    const int32_t dx = moving.x - anchor.x, dy = moving.y - anchor.y;
    const int32_t side = std::max(std::abs(dx), std::abs(dy));
    return {anchor.x + (dx < 0 ? -side : side), anchor.y + (dy < 0 ? -side : side)};
}

Point SnapTo45Degrees(Point anchor, Point moving) {
    const int64_t dx = moving.x - anchor.x, dy = moving.y - anchor.y;
    const int64_t across = std::abs(dx), down = std::abs(dy), sum = across + down;
    // Within 22.5 degrees of an axis: tan(22.5) = sqrt(2) - 1, so down <= (sqrt(2) - 1) * across
    // exactly when (across + down)^2 <= 2 * across^2.
    if (sum * sum <= 2 * across * across) return {moving.x, anchor.y};
    if (sum * sum <= 2 * down * down) return {anchor.x, moving.y};
    const auto side = static_cast<int32_t>((sum + 1) / 2);
    return {anchor.x + (dx < 0 ? -side : side), anchor.y + (dy < 0 ? -side : side)};
}

bool IsDegenerate(const Mark& mark) {
    if (mark.kind == MarkKind::Arrow) return mark.tail == mark.tip;
    return mark.kind != MarkKind::Step && mark.box.Empty();
}

Rect MarkFrame(const Mark& mark) {
    switch (mark.kind) {
    case MarkKind::Arrow:
        return SpanBox(mark.tail, mark.tip);
    case MarkKind::Step:
        return PixelBounds(MakeDisc(mark.centre, StepDiameter(mark)));
    default:
        return mark.box;
    }
}

std::array<Rect, 4> OutlineBands(const Rect& box, int32_t line_width) {
    const int32_t w = line_width;
    if (box.Width() <= 2 * w || box.Height() <= 2 * w) return {box, Rect{}, Rect{}, Rect{}};
    return {Rect{box.left, box.top, box.right, box.top + w}, Rect{box.left, box.bottom - w, box.right, box.bottom},
            Rect{box.left, box.top + w, box.left + w, box.bottom - w},
            Rect{box.right - w, box.top + w, box.right, box.bottom - w}};
}

Rect SelectionFrame(const Mark& mark) {
    return Grow(MarkFrame(mark), kSelectionFrameGap + 1);
}

std::array<Rect, 4> FrameLines(const Rect& o) {
    return {Rect{o.left, o.top, o.right, o.top + 1}, Rect{o.left, o.bottom - 1, o.right, o.bottom},
            Rect{o.left, o.top + 1, o.left + 1, o.bottom - 1}, Rect{o.right - 1, o.top + 1, o.right, o.bottom - 1}};
}

Rect HandleSquare(Point handle) {
    return Grow(SpanBox(handle, handle), kHandleRadius);
}

void AddInkAreas(const Mark& mark, bool selected, std::vector<Rect>& areas) {
    if (mark.kind == MarkKind::Rectangle) {
        for (const Rect& band : OutlineBands(mark.box, LineWidth(mark)))
            areas.push_back(band);
    } else if (mark.kind == MarkKind::Arrow) {
        AddArrowAreas(mark, areas);
    } else {
        areas.push_back(MarkFrame(mark));
    }
    if (!selected) return;
    for (const HandleSpot& spot : Handles(mark))
        areas.push_back(HandleSquare(spot.at));
    if (mark.kind == MarkKind::Text || mark.kind == MarkKind::Step) {
        for (const Rect& side : FrameLines(SelectionFrame(mark)))
            areas.push_back(side);
    }
}

std::vector<HandleSpot> Handles(const Mark& mark) {
    using H = MarkHandle;
    if (mark.kind == MarkKind::Arrow) return {{H::Tip, mark.tip}, {H::Tail, mark.tail}};
    if (!IsBoxKind(mark.kind)) return {};
    const Rect& b = mark.box;
    const int32_t left = b.left, top = b.top, right = b.right - 1, bottom = b.bottom - 1;
    const int32_t middle = left + (right - left) / 2, centre = top + (bottom - top) / 2;
    // Corners first: where a small box's handles overlap, a corner resizes both ways.
    return {{H::TopLeft, {left, top}},       {H::TopRight, {right, top}}, {H::BottomRight, {right, bottom}},
            {H::BottomLeft, {left, bottom}}, {H::Top, {middle, top}},     {H::Right, {right, centre}},
            {H::Bottom, {middle, bottom}},   {H::Left, {left, centre}}};
}

MarkHandle HandleAt(const Mark& mark, Point pointer) {
    for (const HandleSpot& spot : Handles(mark)) {
        if (Contains(Grow(HandleSquare(spot.at), 1), pointer)) return spot.handle;
    }
    return MarkHandle::None;
}

bool Hits(const Mark& mark, Point pointer) {
    switch (mark.kind) {
    case MarkKind::Rectangle: {
        const Rect inner = Grow(mark.box, -(LineWidth(mark) + kHitTolerance));
        return Contains(Grow(mark.box, kHitTolerance), pointer) && !Contains(inner, pointer);
    }
    case MarkKind::Arrow:
        return NearArrow(mark, pointer);
    case MarkKind::Step: {
        const int64_t dx = pointer.x - mark.centre.x, dy = pointer.y - mark.centre.y, d = StepDiameter(mark);
        return 4 * (dx * dx + dy * dy) <= d * d;
    }
    default:
        return Contains(mark.box, pointer);
    }
}

Point LimitMove(const Mark& mark, Point delta, const Rect& shown) {
    const Rect f = MarkFrame(mark);
    return {std::clamp(delta.x, shown.left - f.right + 1, shown.right - 1 - f.left),
            std::clamp(delta.y, shown.top - f.bottom + 1, shown.bottom - 1 - f.top)};
}

Mark Moved(const Mark& mark, Point delta) {
    Mark moved = mark;
    if (mark.kind == MarkKind::Arrow) {
        moved.tail = Plus(mark.tail, delta);
        moved.tip = Plus(mark.tip, delta);
    } else if (mark.kind == MarkKind::Step) {
        moved.centre = Plus(mark.centre, delta);
    } else {
        moved.box = {mark.box.left + delta.x, mark.box.top + delta.y, mark.box.right + delta.x,
                     mark.box.bottom + delta.y};
    }
    return moved;
}

std::optional<Mark> Resized(const Mark& original, MarkHandle handle, Point delta, bool shift) {
    using H = MarkHandle;
    Mark mark = original;
    if (handle == H::Tail || handle == H::Tip) {
        const Point fixed = handle == H::Tail ? original.tip : original.tail;
        Point moving = Plus(handle == H::Tail ? original.tail : original.tip, delta);
        if (shift) moving = SnapTo45Degrees(fixed, moving);
        if (moving == fixed) return std::nullopt;
        (handle == H::Tail ? mark.tail : mark.tip) = moving;
        return mark;
    }
    const bool left = handle == H::TopLeft || handle == H::Left || handle == H::BottomLeft;
    const bool right = handle == H::TopRight || handle == H::Right || handle == H::BottomRight;
    const bool top = handle == H::TopLeft || handle == H::Top || handle == H::TopRight;
    const bool bottom = handle == H::BottomLeft || handle == H::Bottom || handle == H::BottomRight;
    if (!IsBoxKind(mark.kind) || !(left || right || top || bottom)) return mark;
    const Rect& b = original.box;
    const Point anchor{left ? b.right - 1 : b.left, top ? b.bottom - 1 : b.top};
    Point moving{left ? b.left + delta.x : b.right - 1 + (right ? delta.x : 0),
                 top ? b.top + delta.y : b.bottom - 1 + (bottom ? delta.y : 0)};
    if (shift && (left || right) && (top || bottom)) moving = SquareCorner(anchor, moving);
    mark.box = SpanBox(anchor, moving);
    return mark;
}

std::vector<Rect> ClipAndJoin(const std::vector<Rect>& areas, const Rect& shown) {
    std::vector<Rect> clipped;
    for (const Rect& area : areas) {
        const Rect cut = Intersection(area, shown);
        if (!cut.Empty()) clipped.push_back(cut);
    }
    while (JoinOnePair(clipped)) {}
    return clipped;
}

} // namespace kelpix::core
