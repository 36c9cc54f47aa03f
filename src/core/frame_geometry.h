// Geometry of the highlight frame drawn round the window under the pointer while a target is picked.
//
// The frame is a closed outline through the window rectangle's four corners (left, top), (right, top),
// (right, bottom), (left, bottom), drawn with a solid black pen 3 pixels wide centred on the lines.
// Before it is drawn, the screen pixels under it are saved in four strips (top, bottom, left, right),
// and they are put back to erase it:
//
//   strip    size (w x h)      copied from / put back at     where w = right - left, h = bottom - top
//   top      (w + 1) x 3       (left,      top - 1)
//   bottom   (w + 1) x 3       (left,      bottom - 1)
//   left     3 x (h + 1)       (left - 1,  top)
//   right    3 x (h + 1)       (right - 1, top)
//
// The strips cover the pen's bands except the four pixels just outside the outline's corners,
// (left - 1, top - 1), (right + 1, top - 1), (left - 1, bottom + 1) and (right + 1, bottom + 1): a pen
// whose line ends are rounded or squared reaches those pixels, and erasing the frame does not restore
// them (the platform's 3-pixel solid pen does, leaving a black dot at each corner). So the program
// draws the frame by painting the four strips black: it covers exactly the pixels they hold.
//
// Coordinates are screen pixels and may be negative (windows partly off the screen, monitors left of
// or above the primary one). Rectangles follow the platform's convention: right and bottom lie just
// outside the area. All arithmetic saturates at the 32-bit range.
#pragma once

#include "core/rect.h"

#include <array>
#include <cstdint>

namespace kelpix::core {

// The four sides of the frame, in the order the strips are saved, drawn over and put back.
enum class FrameEdge : uint8_t { Top = 0, Bottom = 1, Left = 2, Right = 3 };

struct EdgeStrip {
    FrameEdge edge = FrameEdge::Top;
    int32_t width = 0;  // never negative; 0 when the rectangle is inverted on this axis (nothing to copy)
    int32_t height = 0; // never negative
    Point source;       // top-left screen position copied from before the frame is drawn
    Point destination;  // top-left screen position the strip is put back at (the same as source)

    friend constexpr bool operator==(const EdgeStrip&, const EdgeStrip&) = default;
};

inline constexpr int32_t kFramePenWidth = 3;

// The four strips for a window rectangle, in the order top, bottom, left, right.
std::array<EdgeStrip, 4> FrameStrips(const Rect& window);

// The same strips cut to the screen (the rectangle of all monitors): a screen copy that reaches
// past its edges may fail as a whole, so only what lies on the screen is saved, drawn over and put
// back. A strip with no part on the screen is empty (0 by 0).
std::array<EdgeStrip, 4> FrameStripsOnScreen(const Rect& window, const Rect& screen);

} // namespace kelpix::core
