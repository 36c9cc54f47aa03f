// The black frame that marks the window under the pointer while a target is picked: four thin
// windows of the program's own laid round the target (core/frame_geometry.h), above every other
// window. They never take the focus or the mouse, have no taskbar button, and are skipped by
// WindowFromPoint, so that picking finds what lies under them. Nothing on the screen is read or
// drawn over: the window under the frame stays exactly as its own program paints it.
#pragma once
#include "core/rect.h"
#include "toolkit/handles.h"

#include <array>

namespace kelpix {

class HighlightFrame {
public:
    HighlightFrame() = default;
    HighlightFrame(const HighlightFrame&) = delete;
    HighlightFrame& operator=(const HighlightFrame&) = delete;

    // Lays the frame round the window's visible bounds and shows it, moving it there in one step
    // when it framed another window. Nothing when the window is none.
    void Show(HWND window);
    // Hides the frame; it stays made, for the next drag.
    void Hide();
    // Where the sides are shown, in the order top, bottom, left, right (empty ones are hidden); all
    // empty while the frame is hidden.
    const std::array<core::Rect, 4>& Shown() const { return shown_; }
    // The four windows, once made (tests).
    std::array<HWND, 4> Windows() const;

private:
    bool Make();

    std::array<WindowHandle, 4> sides_;
    std::array<core::Rect, 4> shown_{};
};

} // namespace kelpix
