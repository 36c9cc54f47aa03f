// Geometry of the black frame that marks the window under the pointer while a target is picked.
//
// The frame is four thin windows of the program's own, 3 pixels thick, laid round the target's
// visible bounds just outside them, so that every pixel the grab will take stays in sight and hiding
// the frame uncovers nothing of the target. A side that would lie off the screen lies just inside
// the target's part on the screen instead, so that the frame always shows:
//
//   outer = the target grown by 3 on each side that has room on the screen, and cut to the screen
//           on each side that has not;
//   top    = outer's first 3 rows,  bottom = its last 3 rows (both the whole width),
//   left   = its first 3 columns,   right  = its last 3 columns (both between top and bottom).
//
// Coordinates are screen pixels and may be negative (monitors left of or above the primary one).
// Rectangles follow the platform's convention: right and bottom lie just outside the area. All
// arithmetic saturates at the 32-bit range.
#pragma once

#include "core/rect.h"

#include <array>
#include <cstdint>

namespace kelpix::core {

inline constexpr int32_t kFrameThickness = 3;

// The four sides round the target, in the order top, bottom, left, right. A target with no part on
// the screen gets no frame: four empty rectangles. A side never has a negative size.
std::array<Rect, 4> FrameSides(const Rect& target, const Rect& screen);

} // namespace kelpix::core
