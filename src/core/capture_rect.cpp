#include "core/capture_rect.h"

namespace kelpix::core {

Rect CaptureRect(const Rect& window, int32_t screenWidth, int32_t screenHeight, const Rect& virtualScreen) {
    const Rect onPrimary = Intersection(window, Rect{0, 0, screenWidth, screenHeight});
    return onPrimary.Empty() ? Intersection(window, virtualScreen) : onPrimary;
}

Rect PrintedArea(const Rect& window, const Rect& visible) {
    if (window.Empty()) return {};
    const Rect inside = Intersection(visible, window);
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
