#include "core/markup_shapes.h"

#include "core/markup_marks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelpix::core {
namespace {

// The samples lie at -7, -5, ..., 7 sixteenths from the pixel's centre on each axis.
constexpr int kSampleReach = 7;
constexpr int kSampleStep = 2;
constexpr int kSampleCount = 64;
// No sample lies farther from its pixel's centre than 7 * sqrt(2) < 10 sixteenths.
constexpr int64_t kSampleDistance = 10;

enum class Cover : uint8_t { None, Some, Whole };

int64_t FloorDiv(int64_t n, int64_t d) {
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

// Halves round away from zero, the same for both signs.
int64_t RoundedDiv(int64_t n, int64_t d) {
    return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

// The floating-point root is only a first guess: the loops make the result exact.
int64_t FloorSqrt(int64_t v) {
    auto root = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
    while (root > 0 && root * root > v)
        --root;
    while ((root + 1) * (root + 1) <= v)
        ++root;
    return root;
}

uint8_t CoverageOfCount(int count) {
    return static_cast<uint8_t>((count * 255 + kSampleCount / 2) / kSampleCount);
}

Rect BoundsOf(SubPoint min, SubPoint max) {
    return {static_cast<int32_t>(FloorDiv(min.x, kSubpixels)), static_cast<int32_t>(FloorDiv(min.y, kSubpixels)),
            static_cast<int32_t>(FloorDiv(max.x, kSubpixels) + 1),
            static_cast<int32_t>(FloorDiv(max.y, kSubpixels) + 1)};
}

// Whether every sample of the pixel centred at (x, y) lies inside, none does, or some do.
Cover Classify(const ConvexPolygon& polygon, int64_t x, int64_t y) {
    if (polygon.edge_count == 0) return Cover::None;
    Cover cover = Cover::Whole;
    for (int i = 0; i < polygon.edge_count; ++i) {
        const ConvexPolygon::Edge& edge = polygon.edges[static_cast<size_t>(i)];
        const int64_t value = edge.a * x + edge.b * y + edge.c;
        if (value < -edge.slack) return Cover::None;
        if (value < edge.slack) cover = Cover::Some;
    }
    return cover;
}

bool Inside(const ConvexPolygon& polygon, int64_t x, int64_t y) {
    for (int i = 0; i < polygon.edge_count; ++i) {
        const ConvexPolygon::Edge& edge = polygon.edges[static_cast<size_t>(i)];
        if (edge.a * x + edge.b * y + edge.c < 0) return false;
    }
    return true;
}

SubPoint Offset(SubPoint p, SubPoint by, int64_t sign) {
    return {p.x + sign * by.x, p.y + sign * by.y};
}

} // namespace

ConvexPolygon::ConvexPolygon(std::initializer_list<SubPoint> corners) {
    const SubPoint* v = corners.begin();
    const int count = static_cast<int>(corners.size());
    int64_t twice_area = 0;
    for (int i = 0; i < count; ++i) {
        const SubPoint &from = v[i], &to = v[(i + 1) % count];
        twice_area += from.x * to.y - to.x * from.y;
    }
    if (count < 3 || count > 4 || twice_area == 0) return;
    const int64_t sign = twice_area > 0 ? 1 : -1;
    min = max = v[0];
    for (int i = 0; i < count; ++i) {
        const SubPoint &from = v[i], &to = v[(i + 1) % count];
        Edge& edge = edges[static_cast<size_t>(i)];
        edge.a = -(to.y - from.y) * sign;
        edge.b = (to.x - from.x) * sign;
        edge.c = -(edge.a * from.x + edge.b * from.y);
        edge.slack = kSampleReach * (std::abs(edge.a) + std::abs(edge.b));
        min = {std::min(min.x, from.x), std::min(min.y, from.y)};
        max = {std::max(max.x, from.x), std::max(max.y, from.y)};
    }
    edge_count = count;
}

ArrowShape MakeArrowShape(Point tail, Point tip, int32_t line_width) {
    const SubPoint t = PixelCentre(tail), h = PixelCentre(tip);
    const int64_t dx = h.x - t.x, dy = h.y - t.y;
    if (dx == 0 && dy == 0) return {};
    // The length in 256ths of a pixel, so that steps along and across the arrow keep their precision.
    const int64_t length256 = FloorSqrt((dx * dx + dy * dy) * kSubpixels * kSubpixels);
    auto along = [&](int64_t component, int64_t distance) {
        return RoundedDiv(component * distance * kSubpixels, length256);
    };
    // A step of `distance` sixteenths along the arrow, and across it (to its left).
    auto forward = [&](int64_t distance) { return SubPoint{along(dx, distance), along(dy, distance)}; };
    auto sideways = [&](int64_t distance) { return SubPoint{-along(dy, distance), along(dx, distance)}; };

    const int64_t full_head = int64_t{ArrowHeadLength(line_width)} * kSubpixels;
    const int64_t head_length = std::min(full_head, length256 / kSubpixels);
    const int64_t head_half = int64_t{ArrowHeadHalfWidth(line_width)} * kSubpixels * head_length / full_head;
    const SubPoint base = Offset(h, forward(head_length), -1), head_side = sideways(head_half);
    // The shaft ends half-way into the head, where the head is wider than the shaft: no seam shows.
    const SubPoint neck = Offset(h, forward(head_length / 2), -1);
    const SubPoint shaft_side = sideways(int64_t{line_width} * kSubpixels / 2);

    ArrowShape arrow;
    arrow.head = ConvexPolygon{h, Offset(base, head_side, 1), Offset(base, head_side, -1)};
    arrow.shaft = ConvexPolygon{Offset(t, shaft_side, 1), Offset(neck, shaft_side, 1), Offset(neck, shaft_side, -1),
                                Offset(t, shaft_side, -1)};
    return arrow;
}

DiscShape MakeDisc(Point centre, int32_t diameter) {
    return {PixelCentre(centre), int64_t{diameter} * kSubpixels / 2};
}

Rect PixelBounds(const ArrowShape& arrow) {
    const ConvexPolygon &shaft = arrow.shaft, &head = arrow.head;
    if (head.edge_count == 0) return shaft.edge_count == 0 ? Rect{} : BoundsOf(shaft.min, shaft.max);
    if (shaft.edge_count == 0) return BoundsOf(head.min, head.max);
    return BoundsOf({std::min(shaft.min.x, head.min.x), std::min(shaft.min.y, head.min.y)},
                    {std::max(shaft.max.x, head.max.x), std::max(shaft.max.y, head.max.y)});
}

Rect PixelBounds(const DiscShape& disc) {
    if (disc.radius == 0) return {};
    const int64_t r = disc.radius;
    return BoundsOf({disc.centre.x - r, disc.centre.y - r}, {disc.centre.x + r, disc.centre.y + r});
}

uint8_t Coverage(const ArrowShape& arrow, int32_t x, int32_t y) {
    const SubPoint centre = PixelCentre({x, y});
    const Cover shaft = Classify(arrow.shaft, centre.x, centre.y);
    const Cover head = Classify(arrow.head, centre.x, centre.y);
    if (shaft == Cover::Whole || head == Cover::Whole) return 255;
    if (shaft == Cover::None && head == Cover::None) return 0;
    int count = 0;
    for (int oy = -kSampleReach; oy <= kSampleReach; oy += kSampleStep) {
        for (int ox = -kSampleReach; ox <= kSampleReach; ox += kSampleStep) {
            const int64_t sx = centre.x + ox, sy = centre.y + oy;
            if ((shaft == Cover::Some && Inside(arrow.shaft, sx, sy)) ||
                (head == Cover::Some && Inside(arrow.head, sx, sy)))
                ++count;
        }
    }
    return CoverageOfCount(count);
}

uint8_t Coverage(const DiscShape& disc, int32_t x, int32_t y) {
    const SubPoint centre = PixelCentre({x, y});
    const int64_t dx = centre.x - disc.centre.x, dy = centre.y - disc.centre.y, r = disc.radius;
    const int64_t distance2 = dx * dx + dy * dy;
    if (r > kSampleDistance && distance2 <= (r - kSampleDistance) * (r - kSampleDistance)) return 255;
    if (distance2 > (r + kSampleDistance) * (r + kSampleDistance)) return 0;
    int count = 0;
    for (int oy = -kSampleReach; oy <= kSampleReach; oy += kSampleStep) {
        for (int ox = -kSampleReach; ox <= kSampleReach; ox += kSampleStep) {
            const int64_t sx = dx + ox, sy = dy + oy;
            if (sx * sx + sy * sy <= r * r) ++count;
        }
    }
    return CoverageOfCount(count);
}

} // namespace kelpix::core
