// Copying a window's screen area into a bitmap, with the mouse cursor drawn in.
#pragma once
#include "toolkit/handles.h"

namespace kelpix {

struct ScreenImage {
    Bitmap bitmap;
    SIZE size{0, 0};
};

// The window's visible area as the screen shows it, cut at the screen's edges. A window that has
// gone, is minimised or lies off every screen gives no bitmap. withCursor: the cursor the pointer
// shows is drawn in at its place.
ScreenImage GrabWindow(HWND window, bool withCursor);

} // namespace kelpix
