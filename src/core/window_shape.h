// The shape of a captured window: which pixels of the captured area are the window's and which show
// what lies behind it. The program makes the outside of the shape transparent in a PNG and white in a
// BMP or JPEG.
//
// Two things shape a window:
//   - A window region (SetWindowRgn): a pixel outside it is outside, exactly, with no soft edge.
//   - Windows 11 rounds the corners of a top-level window's visible bounds (builds from 22000 on):
//     8 pixels at 96 DPI for the Default and Round corner preferences, 4 for RoundSmall, none for
//     DoNotRound. The radius scales with the window's DPI and is rounded to the nearest whole pixel,
//     halves up (9 at 108 DPI, 10 at 120, 12 at 144, 14 at 168, 16 at 192; the small radius 5, 5, 6,
//     7, 8), and is never more than half the visible bounds' shorter side. The edge is smooth: a
//     corner pixel's alpha is the exact share of its area inside the circle, times 255, rounded.
//     Corners stay square for maximized windows, for arranged windows (what IsWindowArranged reports:
//     snapped to an edge, a half or a quarter of the screen, or into a snap layout), in a remote
//     session, without desktop composition and for child controls: Windows rounds none of them.
//     Default rounds a framed window (a caption or a sizing border, as nearly every program's main
//     window and dialog has) and leaves a frameless one (a splash screen, a popup drawn by its
//     program) square, as Windows decides by default; Round and RoundSmall round either.
// A window with a region is never rounded: Windows 11 leaves alone the windows that shape themselves
// with a region, even when they ask for rounding through the corner preference. So the region alone
// decides for them, on every build. Kelpix's own area is the screen under its window, no window: it
// is never shaped.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/rect.h"

namespace kelpix::core {

// DWMWA_WINDOW_CORNER_PREFERENCE as the window manager reports it; other values count as Default.
enum class CornerPreference : int32_t { Default = 0, DoNotRound = 1, Round = 2, RoundSmall = 3 };

inline constexpr uint32_t kFirstRoundingBuild = 22000; // Windows 11

// What the Windows side reads about the captured window. Rectangles are in window coordinates: (0, 0)
// is the top-left corner of the window rectangle, as for the window region. A fact left as it is
// counts against rounding, so a capture whose facts are unknown keeps every pixel.
struct WindowShapeFacts {
    Rect area;    // the captured area; the mask has one byte for each of its pixels
    Rect visible; // the visible bounds (the window rectangle without its invisible resize borders)
    std::optional<std::vector<Rect>> region; // the window region's rectangles, when it has one
    CornerPreference corners = CornerPreference::Default;
    uint32_t dpi = 96;  // the window's; 0 counts as 96
    uint32_t build = 0; // the Windows build number
    bool maximized = false;
    bool arranged = false;
    bool remoteSession = false;
    bool composition = false; // desktop composition is on
    bool childControl = false;
    bool framed = false;  // it has a caption or a sizing border
    bool ownArea = false; // Kelpix's own area, not a window
};

// The radius in pixels of the window's rounded corners, 0 when they are square or it has a region.
int32_t CornerRadius(const WindowShapeFacts& facts);

// One byte for each pixel of the captured area, top row first: 0 outside the window's shape, 255
// inside, and between on a rounded corner's edge. Empty when every pixel is inside, as for most
// windows, which then cost no more than reading the facts. Area outside the visible bounds counts as
// outside when the corners are rounded. Only the corners and the region's rows are worked on.
std::vector<uint8_t> WindowShapeMask(const WindowShapeFacts& facts);

} // namespace kelpix::core
