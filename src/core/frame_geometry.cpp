#include "core/frame_geometry.h"

#include <algorithm>
#include <limits>

namespace kelpix::core {
namespace {

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

Rect Side(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    // A side squeezed to nothing (a target thinner than the frame) is empty, never inverted.
    right = std::max(left, right);
    bottom = std::max(top, bottom);
    return {Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
}

} // namespace

std::array<Rect, 4> FrameSides(const Rect& target, const Rect& screen) {
    const Rect seen = Intersection(target, screen);
    if (seen.Empty()) return {};
    const int64_t t = kFrameThickness;
    // Outside where the screen has room for the whole thickness, else at the edge of what is seen.
    const int64_t left = int64_t{target.left} - t >= screen.left ? int64_t{target.left} - t : seen.left;
    const int64_t top = int64_t{target.top} - t >= screen.top ? int64_t{target.top} - t : seen.top;
    const int64_t right = int64_t{target.right} + t <= screen.right ? int64_t{target.right} + t : seen.right;
    const int64_t bottom = int64_t{target.bottom} + t <= screen.bottom ? int64_t{target.bottom} + t : seen.bottom;
    const int64_t innerTop = std::min(top + t, bottom), innerBottom = std::max(bottom - t, innerTop);
    return {
        Side(left, top, right, innerTop),
        Side(left, innerBottom, right, bottom),
        Side(left, innerTop, std::min(left + t, right), innerBottom),
        Side(std::max(right - t, left), innerTop, right, innerBottom),
    };
}

} // namespace kelpix::core
