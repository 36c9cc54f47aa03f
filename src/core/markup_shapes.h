// The anti-aliased shapes of the markup editor (the arrow and the step's disc) and their coverage of
// each pixel, computed so that the same shape gives the same bytes on every machine.
//
// Positions are in sixteenths of a pixel: pixel (x, y) spans [16x, 16x + 16) across and
// [16y, 16y + 16) down, its centre at 16x + 8. A pixel's coverage counts which of its 8 x 8 sample
// points, at the odd sixteenths, lie in the shape; a point on an edge lies in it. Everything is integer
// arithmetic (no floating point, whose rounding differs between compilers and the x87 unit of 32-bit
// builds), and a pixel's coverage depends on nothing but the shape and that pixel: not on the clip,
// not on the order pixels are visited, not on what else is drawn.
#pragma once

#include "core/rect.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace kelpix::core {

inline constexpr int32_t kSubpixels = 16;

struct SubPoint {
    int64_t x = 0;
    int64_t y = 0;

    friend constexpr bool operator==(const SubPoint&, const SubPoint&) = default;
};

// The centre of a pixel.
constexpr SubPoint PixelCentre(Point p) {
    return {int64_t{p.x} * kSubpixels + kSubpixels / 2, int64_t{p.y} * kSubpixels + kSubpixels / 2};
}

// A convex polygon of up to four corners, kept as its edges' functions a*x + b*y + c, which are 0 or
// more inside. A polygon without area covers nothing.
struct ConvexPolygon {
    struct Edge {
        int64_t a = 0, b = 0, c = 0;
        int64_t slack = 0; // how far the function may change between a pixel's centre and its samples
    };
    std::array<Edge, 4> edges{};
    int edge_count = 0;
    SubPoint min, max; // the corners' bounds

    ConvexPolygon() = default;
    ConvexPolygon(std::initializer_list<SubPoint> corners);
};

// An arrow: a shaft as wide as the line from the tail's centre into the head, and a filled head whose
// corner lies exactly on the tip pixel's centre. An arrow shorter than its head gets a head as long
// as the arrow and narrowed in proportion. Tail and tip on the same pixel give no arrow.
struct ArrowShape {
    ConvexPolygon shaft;
    ConvexPolygon head;
};
ArrowShape MakeArrowShape(Point tail, Point tip, int32_t line_width);

// A disc round a pixel's centre.
struct DiscShape {
    SubPoint centre;
    int64_t radius = 0;
};
DiscShape MakeDisc(Point centre, int32_t diameter);

// The pixels that can have any coverage (empty for a shape that covers nothing).
Rect PixelBounds(const ArrowShape& arrow);
Rect PixelBounds(const DiscShape& disc);

// The share of pixel (x, y) the shape covers: 0 none to 255 all of it.
uint8_t Coverage(const ArrowShape& arrow, int32_t x, int32_t y);
uint8_t Coverage(const DiscShape& disc, int32_t x, int32_t y);

} // namespace kelpix::core
