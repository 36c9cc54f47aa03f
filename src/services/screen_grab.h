// Copying a window's screen area into a bitmap, with the mouse cursor drawn in.
#pragma once
#include "services/captured_image.h"

namespace kelpix {

// The window's visible area as the screen shows it, cut at the screen's edges. A window that has
// gone, is minimised or lies off every screen gives no bitmap. The image carries the DPI of the
// monitor its middle lies on. withCursor: the cursor the pointer
// shows is drawn in at its place.
// printed: a top-level window is printed by itself (PrintWindow with PW_RENDERFULLCONTENT), so that
// what lies over it is not in the image and its parts off the screen are; the screen copy is taken
// instead for a child window, one that has not printed itself within kPrintAnswerMs (hung from the
// start, or hung while it draws), a print that fails and a print of one colour (nothing drawn, or
// content the print cannot reach).
// shaped: the image carries the window's shape (rounded corners, a region: core/window_shape.h).
struct GrabOptions {
    bool withCursor = false, printed = false, shaped = false;
};
CapturedImage GrabWindow(HWND window, GrabOptions options = {});

// How long a window to be printed may take to print itself before the screen copy is taken instead.
inline constexpr UINT kPrintAnswerMs = 500;

// The window printed by itself and cut to its visible bounds, or no bitmap where GrabWindow falls back
// to the screen copy. origin: where the image's top-left pixel lies on the screen.
CapturedImage PrintWindowImage(HWND window, POINT& origin);

} // namespace kelpix
