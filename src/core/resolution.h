// The resolution an image file carries: the dots per inch of the monitor the window was captured
// on, so that a program that honours it (a word processor, say) shows the picture as large as it
// looked on the screen. Files say it in their own units: PNG and BMP in pixels per metre, JPEG's
// JFIF header in dots per inch.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelpix::core {

// 0 as a DPI means "not known": the files say nothing about their resolution, as they always did.
inline constexpr uint32_t kUnknownDpi = 0;

// The largest DPI every format can hold: JFIF keeps it in 16 bits.
inline constexpr uint32_t kMaxDpi = 65535;

// round(dpi / 0.0254): 96 gives 3780, 144 gives 5669, 0 gives 0. (No DPI lies exactly halfway.)
// Throws std::invalid_argument above kMaxDpi.
int32_t PixelsPerMetre(uint32_t dpi);

// Why `dpi` cannot go into a file, or std::nullopt when it can.
std::optional<std::string> CheckDpi(uint32_t dpi);

} // namespace kelpix::core
