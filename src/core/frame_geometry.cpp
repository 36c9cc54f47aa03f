#include "core/frame_geometry.h"

#include <algorithm>
#include <limits>

namespace kelpix::core {
namespace {

constexpr int64_t kPenHalf = kFramePenWidth / 2;

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A strip's length along its side: the side's extent plus one, never below zero.
int32_t StripLength(int32_t from, int32_t to) {
    return Saturate(std::max<int64_t>(0, int64_t{to} - from + 1));
}

EdgeStrip Strip(FrameEdge edge, int32_t width, int32_t height, int64_t x, int64_t y) {
    const Point at{Saturate(x), Saturate(y)};
    return EdgeStrip{edge, width, height, at, at};
}

} // namespace

std::array<EdgeStrip, 4> FrameStrips(const Rect& r) {
    const int32_t across = StripLength(r.left, r.right);
    const int32_t down = StripLength(r.top, r.bottom);
    return {
        Strip(FrameEdge::Top, across, kFramePenWidth, r.left, int64_t{r.top} - kPenHalf),
        Strip(FrameEdge::Bottom, across, kFramePenWidth, r.left, int64_t{r.bottom} - kPenHalf),
        Strip(FrameEdge::Left, kFramePenWidth, down, int64_t{r.left} - kPenHalf, r.top),
        Strip(FrameEdge::Right, kFramePenWidth, down, int64_t{r.right} - kPenHalf, r.top),
    };
}

std::array<EdgeStrip, 4> FrameStripsOnScreen(const Rect& window, const Rect& screen) {
    std::array<EdgeStrip, 4> strips = FrameStrips(window);
    for (EdgeStrip& strip : strips) {
        const int64_t left = std::max<int64_t>(strip.source.x, screen.left);
        const int64_t top = std::max<int64_t>(strip.source.y, screen.top);
        const int64_t right = std::min<int64_t>(int64_t{strip.source.x} + strip.width, screen.right);
        const int64_t bottom = std::min<int64_t>(int64_t{strip.source.y} + strip.height, screen.bottom);
        if (right <= left || bottom <= top) {
            strip = EdgeStrip{strip.edge};
            continue;
        }
        strip.source = strip.destination = Point{Saturate(left), Saturate(top)};
        strip.width = Saturate(right - left);
        strip.height = Saturate(bottom - top);
    }
    return strips;
}

} // namespace kelpix::core
