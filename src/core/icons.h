// The pictures the program carries as resources, drawn from rules rather than stored as art:
// - the 99 countdown images of the notification-area icon (white digits on black, 16 x 16);
// - the application icon, a black and red target reticle on a transparent ground;
// - the target icon of the main window, also the drag cursor: a magnifying glass.
#pragma once

#include "core/rgb_image.h"

#include <cstdint>

namespace kelpix::core {

// Countdown images: image k (0 to 98) shows the number k + 1. Digits fill rows 3 to 11; a single
// digit stands in columns 6 to 10, two digits in columns 2 to 6 and 9 to 13.
inline constexpr int32_t kCountdownImageSize = 16;
inline constexpr int kCountdownFirst = 1;
inline constexpr int kCountdownLast = 99;
inline constexpr int kCountdownImageCount = kCountdownLast - kCountdownFirst + 1;
inline constexpr int32_t kCountdownDigitTop = 3;
inline constexpr int32_t kCountdownSingleLeft = 6;
inline constexpr int32_t kCountdownTensLeft = 2;
inline constexpr int32_t kCountdownUnitsLeft = 9;
inline constexpr Rgb kCountdownInk = kWhite;
inline constexpr Rgb kCountdownGround = kBlack;

// The notification area's icons are drawn in these sizes, for 96, 120, 144 and 192 DPI.
inline constexpr int32_t kTrayIconSizes[] = {16, 20, 24, 32};
// The size to draw for a notification area whose icons are `systemSize` pixels: the largest drawn
// size that fits, and never less than 16.
int32_t TrayIconSize(int32_t systemSize);

// The image for `number` (1 to 99), `size` pixels square (one of kTrayIconSizes): the 16-pixel image
// above, with its digits' pixels doubled from 32 pixels on, centred on a black ground. Throws
// std::out_of_range for another number, std::invalid_argument for another size.
RgbImage CountdownImage(int number, int32_t size = kCountdownImageSize);

// All 99 images side by side, 99 * size by size: the image for n starts at column size * (n - 1).
// This is the bitmap an image list is filled from, image index = number - 1.
RgbImage CountdownStrip(int32_t size = kCountdownImageSize);

// The application icon ("MAINICON") at 32 x 32 (the window's icon) or one of the notification area's
// sizes; throws std::invalid_argument for any other size. Opaque pixels are black or red only.
inline constexpr int32_t kMainIconLargeSize = 32;
inline constexpr int32_t kMainIconSmallSize = 16;
IconImage MainIcon(int32_t size);

// The target icon, 32 x 32 at 96 DPI and also drawn at 48 and 64 for higher DPIs: a magnifying glass
// with a white lens in a black rim and a black and grey handle towards the lower right. Used as a
// cursor its hot spot is the centre, inside the lens. Throws std::invalid_argument for other sizes.
inline constexpr int32_t kTargetIconSize = 32;
inline constexpr Rgb kHandleGrey{128, 128, 128};
inline constexpr Rgb kHandleLightGrey{192, 192, 192};
IconImage TargetIcon(int32_t size = kTargetIconSize);

} // namespace kelpix::core
