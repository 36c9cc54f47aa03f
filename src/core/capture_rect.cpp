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

} // namespace kelpix::core
