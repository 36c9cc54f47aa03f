#include "main/highlight_frame.h"

#include "core/frame_geometry.h"
#include "main/platform.h"

#include <algorithm>

namespace kelpix {

namespace {

// Room beyond the screen's size a new strip bitmap gets, for maximised windows whose frames reach
// past the screen's edges.
constexpr int kStripSlack = 64;

core::Rect ToCore(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

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

void HighlightFrame::Draw(HWND window) {
    if (!window) return;
    framed_ = VisibleBounds(window);
    const auto strips = core::FrameStripsOnScreen(ToCore(framed_), VirtualScreen());
    saved_ = strips;
    WindowDc screen;
    if (!screen) return;
    for (std::size_t i = 0; i < strips.size(); ++i) {
        if (!strips_[i].Resize(screen.get(), strips[i].width, strips[i].height)) {
            // Without all four strips saved the frame could not be taken off again: draw none.
            for (StripBitmap& strip : strips_)
                strip.Clear();
            return;
        }
        MemoryDc saved(CreateCompatibleDC(screen.get()));
        SelectGuard keep(saved.get(), strips_[i].Handle());
        BitBlt(saved.get(), 0, 0, strips[i].width, strips[i].height, screen.get(), strips[i].source.x,
               strips[i].source.y, SRCCOPY);
    }
    for (const core::EdgeStrip& strip : strips)
        PatBlt(screen.get(), strip.source.x, strip.source.y, strip.width, strip.height, BLACKNESS);
}

void HighlightFrame::Erase(HWND window) {
    if (!window) return;
    const core::Rect framed = ToCore(framed_);
    const core::Rect now = ToCore(VisibleBounds(window));
    const bool stayed = IsWindow(window) && now == framed;
    const auto& strips = saved_;
    WindowDc screen;
    if (!screen) return;
    bool putBack = false;
    for (std::size_t i = 0; i < strips.size(); ++i) {
        StripBitmap& saved = strips_[i];
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
