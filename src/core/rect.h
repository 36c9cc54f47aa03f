// A rectangle in screen pixels, as the platform gives it: right and bottom are exclusive.
#pragma once
#include <cstdint>

namespace kelpix::core {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    constexpr int32_t Width() const { return right - left; }
    constexpr int32_t Height() const { return bottom - top; }
    constexpr bool Empty() const { return right <= left || bottom <= top; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// A pixel, as the markup editor's marks name them.
struct Point {
    int32_t x = 0;
    int32_t y = 0;

    friend constexpr bool operator==(const Point&, const Point&) = default;
};

// The area both rectangles cover; empty (all zero) when they do not meet.
constexpr Rect Intersection(const Rect& a, const Rect& b) {
    const Rect cut{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                   a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    return cut.Empty() ? Rect{} : cut;
}
constexpr bool Overlap(const Rect& a, const Rect& b) {
    return !Intersection(a, b).Empty();
}

} // namespace kelpix::core
