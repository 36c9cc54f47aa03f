// What the system tells about a captured window's shape: its region, the rounding Windows 11 gives
// its corners, and what keeps them square (core/window_shape.h decides the mask from these).
#pragma once
#include <windows.h>

#include "core/rect.h"
#include "core/window_shape.h"

namespace kelpix {

// The facts for a capture of `window` that took `captured` (screen pixels). The DWM's answers come
// through the platform seam (services/platform.h), where tests put Windows 11's in.
core::WindowShapeFacts ShapeFactsOf(HWND window, const core::Rect& captured);

} // namespace kelpix
