// Picking the window to capture: a left press on the target icon starts a drag, a black frame marks
// the window under the pointer straight on the screen, and the release captures that window.
//
// The frame is the four strips of screen pixels saved before it is drawn, painted black: it covers
// exactly the pixels the strips hold, so putting them back leaves the screen as it was.
#include "main/kelpix_main.h"

#include "core/frame_geometry.h"
#include "main/platform.h"
#include "toolkit/application.h"

#include <algorithm>

namespace kelpix {

namespace {

constexpr int kDragCursor = 6;
// Room beyond the screen's size a new strip bitmap gets, for maximised windows whose frames reach
// past the screen's edges.
constexpr int kStripSlack = 64;

core::Rect WindowRect(HWND window) {
    RECT r = VisibleBounds(window);
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

// --- StripBitmap ---------------------------------------------------------------------------

bool StripBitmap::Resize(HDC screen, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (!bitmap_ || width > capacity_.cx || height > capacity_.cy) {
        SIZE room{std::max<LONG>({width, capacity_.cx, 1}), std::max<LONG>({height, capacity_.cy, 1})};
        if (across_)
            room.cx = std::max<LONG>(room.cx, GetSystemMetrics(SM_CXVIRTUALSCREEN) + kStripSlack);
        else
            room.cy = std::max<LONG>(room.cy, GetSystemMetrics(SM_CYVIRTUALSCREEN) + kStripSlack);
        Bitmap grown(CreateCompatibleBitmap(screen, room.cx, room.cy));
        if (!grown) {
            size_ = {0, 0};
            return false;
        }
        bitmap_ = std::move(grown);
        capacity_ = room;
    }
    size_ = {width, height};
    return true;
}

void StripBitmap::Reset() {
    bitmap_.reset();
    capacity_ = size_ = {0, 0};
}

// --- Mouse on the target icon --------------------------------------------------------------

// Panel1 and Image4 share these messages. A left press on either makes Panel1 take the mouse
// capture, so that the moves and the release reach the pressed control wherever the pointer goes,
// also while Image4 is hidden; the capture is released before the release handler runs.
void TKelpix::TargetControlMouse(Window& control, UINT msg, WPARAM keys, POINT pos) {
    Window& sender = pressedControl_ ? *pressedControl_ : control;
    if (&sender != &control) MapWindowPoints(control.Handle(), sender.Handle(), &pos, 1);
    switch (msg) {
    case WM_LBUTTONDOWN:
        pressedControl_ = &control;
        SetCapture(Panel1->Handle());
        Panel1MouseDown(control, MouseButton::Left, keys, pos);
        break;
    case WM_RBUTTONDOWN:
        Panel1MouseDown(sender, MouseButton::Right, keys, pos);
        break;
    case WM_MBUTTONDOWN:
        Panel1MouseDown(sender, MouseButton::Middle, keys, pos);
        break;
    case WM_MOUSEMOVE:
        Panel1MouseMove(sender, keys, pos);
        break;
    case WM_LBUTTONUP:
        if (pressedControl_) {
            pressedControl_ = nullptr; // first, so that the capture's loss below is not taken for a cancel
            ReleaseCapture();
        }
        Panel1MouseUp(sender, MouseButton::Left, keys, pos);
        break;
    case WM_RBUTTONUP:
        Panel1MouseUp(sender, MouseButton::Right, keys, pos);
        break;
    case WM_MBUTTONUP:
        Panel1MouseUp(sender, MouseButton::Middle, keys, pos);
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (or the system cancelled the mode) with the button still held.
        if (pressedControl_) {
            pressedControl_ = nullptr;
            CancelTargetDrag();
        }
        break;
    default:
        break;
    }
}

void TKelpix::Panel1MouseDown(Window&, MouseButton button, WPARAM, POINT) {
    if (button != MouseButton::Left) return;
    BeginTargetDrag();
    POINT at{};
    GetCursorPos(&at);
    TrackTarget(at.x, at.y);
}

void TKelpix::Panel1MouseMove(Window& sender, WPARAM, POINT at) {
    ClientToScreen(sender.Handle(), &at);
    TrackTarget(at.x, at.y);
}

void TKelpix::Panel1MouseUp(Window&, MouseButton button, WPARAM, POINT) {
    // A release whose press was not on the target icon (dragged in from another window) ends nothing.
    if (button != MouseButton::Left || TrackState == -1) return;
    EndTargetDrag();
}

// --- The drag ------------------------------------------------------------------------------

void TKelpix::BeginTargetDrag() {
    // A press while a drag is still on (its release never came) starts afresh: the old frame goes.
    if (TrackState != -1) EraseHighlight(TargetWindow);
    Application::Get().SetScreenCursor(kDragCursor);
    Image4->SetVisible(false);
    TrackState = 0;
    TargetWindow = nullptr;
}

void TKelpix::TrackTarget(int x, int y) {
    if (TrackState == -1) return;
    HWND candidate = WindowFromPoint(POINT{x, y});
    // Any part of the main window counts as the main window itself. (The application window owns
    // it, but an owner that is not a popup's is not in the chain GA_ROOTOWNER follows.)
    if (candidate && GetAncestor(candidate, GA_ROOTOWNER) == Handle()) candidate = Handle();
    if (candidate == TargetWindow) return;
    // The old frame goes first, so that the new strips never hold frame pixels.
    EraseHighlight(TargetWindow);
    TargetWindow = candidate;
    DrawHighlight(candidate);
}

void TKelpix::EndTargetDrag() {
    DragFromTray = false;
    DragWatchTimer.SetEnabled(false);
    Application::Get().SetScreenCursor(0);
    Image4->SetVisible(true);
    BeginBusy();
    EraseHighlight(TargetWindow);
    try {
        StartCapture();
    } catch (...) {
        TrackState = -1;
        throw;
    }
    TrackState = -1;
}

void TKelpix::CancelTargetDrag() {
    if (TrackState == -1) return;
    DragFromTray = false;
    DragWatchTimer.SetEnabled(false);
    Application::Get().SetScreenCursor(0);
    Image4->SetVisible(true);
    EraseHighlight(TargetWindow);
    TargetWindow = nullptr;
    TrackState = -1;
}

// --- The frame -----------------------------------------------------------------------------

void TKelpix::DrawHighlight(HWND window) {
    if (!window) return;
    // Read once: the strips go back to exactly where they were taken from.
    framedRect_ = VisibleBounds(window);
    const auto strips =
        core::FrameStrips(core::Rect{framedRect_.left, framedRect_.top, framedRect_.right, framedRect_.bottom});
    WindowDc screen;
    if (!screen) return;
    for (std::size_t i = 0; i < strips.size(); ++i) {
        if (!EdgeStrips[i].Resize(screen.get(), strips[i].width, strips[i].height)) {
            // Without all four strips saved the frame could not be taken off again: draw none.
            for (StripBitmap& strip : EdgeStrips)
                strip.Clear();
            return;
        }
        MemoryDc saved(CreateCompatibleDC(screen.get()));
        SelectGuard keep(saved.get(), EdgeStrips[i].Handle());
        BitBlt(saved.get(), 0, 0, strips[i].width, strips[i].height, screen.get(), strips[i].source.x,
               strips[i].source.y, SRCCOPY);
    }
    for (const core::EdgeStrip& strip : strips)
        PatBlt(screen.get(), strip.source.x, strip.source.y, strip.width, strip.height, BLACKNESS);
}

void TKelpix::EraseHighlight(HWND window) {
    if (!window) return;
    // The strips go back where they were taken from. A window that has moved or gone since leaves
    // the pixels there (and where it is now) to whoever paints them: all windows over both places
    // are asked to paint again.
    const core::Rect framed{framedRect_.left, framedRect_.top, framedRect_.right, framedRect_.bottom};
    const core::Rect now = WindowRect(window);
    const bool stayed = IsWindow(window) && now == framed;
    const auto strips = core::FrameStrips(framed);
    WindowDc screen;
    if (!screen) return;
    bool putBack = false;
    for (std::size_t i = 0; i < strips.size(); ++i) {
        StripBitmap& saved = EdgeStrips[i];
        if (saved.Empty()) continue;
        MemoryDc source(CreateCompatibleDC(screen.get()));
        SelectGuard keep(source.get(), saved.Handle());
        BitBlt(screen.get(), strips[i].destination.x, strips[i].destination.y, saved.Size().cx, saved.Size().cy,
               source.get(), 0, 0, SRCCOPY);
        // Put back once: a second erase must not paint these pixels over whatever came since.
        saved.Clear();
        putBack = true;
    }
    if (stayed || !putBack) return;
    for (const core::Rect& place : {framed, now}) {
        if (place.Empty()) continue;
        for (const core::EdgeStrip& strip : core::FrameStrips(place)) {
            RECT area{strip.destination.x, strip.destination.y, strip.destination.x + strip.width,
                      strip.destination.y + strip.height};
            RedrawWindow(nullptr, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
    }
}

} // namespace kelpix
