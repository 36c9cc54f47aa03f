// Which part of the screen a capture copies for a window rectangle.
#pragma once
#include "core/rect.h"

#include <cstddef>
#include <cstdint>

namespace kelpix::core {

// The window rectangle cut to the primary screen (0, 0, screenWidth, screenHeight). A window that
// lies wholly outside the primary screen (on another monitor) is cut to the virtual screen
// instead, so it is still captured. A vanished window (all zero) gives an empty rectangle, and so
// does a window that is on no screen at all. The result is never inverted: empty means 0 by 0.
Rect CaptureRect(const Rect& window, int32_t screenWidth, int32_t screenHeight, const Rect& virtualScreen);

// A window printed by itself is a picture of its whole window rectangle, wherever it lies, the parts
// off the screen and under other windows included. The image is the part within its visible bounds:
// this rectangle, relative to the picture's top-left corner, cut to the picture. Empty (0 by 0) when
// the window has no area or the visible bounds lie outside it.
Rect PrintedArea(const Rect& window, const Rect& visible);

// Whether every pixel of a picture (0x??RRGGBB, the top byte ignored) has the same colour: a window
// that printed nothing, or whose content the print cannot reach, gives one. No pixels: true.
bool OneColour(const uint32_t* pixels, std::size_t count);

} // namespace kelpix::core
