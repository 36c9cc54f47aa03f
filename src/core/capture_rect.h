// Which part of the screen a capture copies for a window rectangle.
#pragma once
#include "core/rect.h"

namespace kelpix::core {

// The window rectangle cut to the primary screen (0, 0, screenWidth, screenHeight). A window that
// lies wholly outside the primary screen (on another monitor) is cut to the virtual screen
// instead, so it is still captured. A vanished window (all zero) gives an empty rectangle, and so
// does a window that is on no screen at all. The result is never inverted: empty means 0 by 0.
Rect CaptureRect(const Rect& window, int32_t screenWidth, int32_t screenHeight, const Rect& virtualScreen);

} // namespace kelpix::core
