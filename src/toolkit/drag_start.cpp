#include "toolkit/drag_start.h"

#include <cstdlib>
#include <utility>

namespace kelpix {

void DragStart::Press(HWND control, POINT at) {
    End();
    control_ = control;
    at_ = at;
    SetCapture(control);
}

bool DragStart::Moved(POINT at, WPARAM keys) {
    if (!control_) return false;
    if (!(keys & MK_LBUTTON)) {
        End();
        return false;
    }
    // The distance is the system's on either side of the press.
    if (std::abs(at.x - at_.x) <= GetSystemMetrics(SM_CXDRAG) && std::abs(at.y - at_.y) <= GetSystemMetrics(SM_CYDRAG))
        return false;
    End();
    return true;
}

void DragStart::End() {
    // Forgotten first, so that the capture's loss below ends nothing a second time.
    const HWND pressed = std::exchange(control_, nullptr);
    if (pressed && GetCapture() == pressed) ReleaseCapture();
}

} // namespace kelpix
