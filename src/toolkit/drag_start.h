// A press of the left button on a control that becomes a drag once the pointer has moved farther
// from where it went down than the system's drag distance, with the button still held.
#pragma once
#include <windows.h>

namespace kelpix {

class DragStart {
public:
    // The button went down on `control` at `at` (the control's client coordinates): the control
    // takes the mouse, so that the moves reach it wherever the pointer goes.
    void Press(HWND control, POINT at);
    // The pointer moved to `at` with the buttons `keys` (MK_*): true once, when the drag begins, the
    // mouse let go first for whatever runs the drag.
    bool Moved(POINT at, WPARAM keys);
    // The button came up or the mouse was taken away: no drag.
    void End();

private:
    HWND control_ = nullptr; // while pressed
    POINT at_{0, 0};
};

} // namespace kelpix
