#include "services/highlight_frame.h"

#include "core/frame_geometry.h"
#include "services/platform.h"

namespace kelpix {

namespace {

constexpr wchar_t kFrameClass[] = L"KelpixFrame";
// Topmost, no taskbar button, never activated, and with WS_EX_LAYERED | WS_EX_TRANSPARENT passed over
// by the mouse and by WindowFromPoint.
constexpr DWORD kFrameExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
constexpr BYTE kOpaque = 255;

LRESULT CALLBACK FrameProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT; // what lies below takes the mouse, also in this thread's own picking
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return DefWindowProcW(window, msg, wParam, lParam);
    }
}

bool RegisterFrameClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); // the frame is its background
    wc.lpszClassName = kFrameClass;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

bool HighlightFrame::Make() {
    if (sides_[0]) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterFrameClass(instance)) return false;
    std::array<WindowHandle, 4> made;
    for (WindowHandle& side : made) {
        side.reset(CreateWindowExW(kFrameExStyle, kFrameClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                   nullptr));
        if (!side) return false;
        SetLayeredWindowAttributes(side.get(), 0, kOpaque, LWA_ALPHA);
    }
    sides_ = std::move(made);
    return true;
}

void HighlightFrame::Show(HWND window) {
    if (!window || !Make()) return;
    const auto sides = core::FrameSides(VisibleBounds(window), VirtualScreen());
    // All four move in one step: no side is seen at the old place while another is at the new one.
    HDWP moves = BeginDeferWindowPos(static_cast<int>(sides.size()));
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const core::Rect& r = sides[i];
        const UINT show = r.Empty() ? SWP_HIDEWINDOW : SWP_SHOWWINDOW;
        if (moves)
            moves = DeferWindowPos(moves, sides_[i].get(), HWND_TOPMOST, r.left, r.top, r.Width(), r.Height(),
                                   SWP_NOACTIVATE | SWP_NOOWNERZORDER | show);
        shown_[i] = r.Empty() ? core::Rect{} : r;
    }
    if (moves) {
        EndDeferWindowPos(moves);
        return;
    }
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const core::Rect& r = sides[i];
        SetWindowPos(sides_[i].get(), HWND_TOPMOST, r.left, r.top, r.Width(), r.Height(),
                     SWP_NOACTIVATE | SWP_NOOWNERZORDER | (r.Empty() ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
    }
}

void HighlightFrame::Hide() {
    for (WindowHandle& side : sides_)
        if (side)
            SetWindowPos(side.get(), nullptr, 0, 0, 0, 0,
                         SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_HIDEWINDOW);
    shown_ = {};
}

std::array<HWND, 4> HighlightFrame::Windows() const {
    return {sides_[0].get(), sides_[1].get(), sides_[2].get(), sides_[3].get()};
}

} // namespace kelpix
