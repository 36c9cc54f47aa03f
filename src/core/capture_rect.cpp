#include "core/capture_rect.h"

#include <algorithm>

namespace kelpix::core {

namespace {

Rect Cut(const Rect& r, const Rect& bounds) {
    Rect c{std::max(r.left, bounds.left), std::max(r.top, bounds.top), std::min(r.right, bounds.right),
           std::min(r.bottom, bounds.bottom)};
    return c;
}

} // namespace

Rect CaptureRect(const Rect& window, int32_t screenWidth, int32_t screenHeight, const Rect& virtualScreen) {
    Rect cut = Cut(window, Rect{0, 0, screenWidth, screenHeight});
    if (cut.Empty() && !window.Empty()) cut = Cut(window, virtualScreen);
    if (cut.Empty()) return Rect{cut.left, cut.top, cut.left, cut.top};
    return cut;
}

Rect PrintedArea(const Rect& window, const Rect& visible) {
    if (window.Empty()) return {};
    const Rect inside = Cut(visible, window);
    if (inside.Empty()) return {};
    return {inside.left - window.left, inside.top - window.top, inside.right - window.left, inside.bottom - window.top};
}

bool OneColour(const uint32_t* pixels, std::size_t count) {
    constexpr uint32_t kColour = 0x00FFFFFF;
    for (std::size_t i = 1; i < count; ++i)
        if ((pixels[i] & kColour) != (pixels[0] & kColour)) return false;
    return true;
}

} // namespace kelpix::core
