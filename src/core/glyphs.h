// The digit font of the countdown icons: ten hand-drawn glyphs, 5 pixels wide and 9 high, with
// one-pixel strokes. Every glyph touches all four sides of its cell, so a number drawn with it fills
// exactly the rows and columns it is given.
#pragma once

#include "core/rgb_image.h"

#include <cstdint>
#include <string_view>

namespace kelpix::core {

inline constexpr int32_t kGlyphWidth = 5;
inline constexpr int32_t kGlyphHeight = 9;

// Whether the pixel at (column, row) of the digit's cell is ink. Throws std::out_of_range for a
// digit outside 0 to 9 or a position outside the cell.
bool DigitInk(int digit, int32_t column, int32_t row);

// The glyph's rows from the top, '#' for ink and '.' for ground; for diagnostics and previews.
std::string_view DigitRow(int digit, int32_t row);

// Paints the digit's ink pixels in `ink` with the cell's top-left corner at (left, top), each glyph pixel
// as a `scale` x `scale` block; ground pixels are left as they are. Throws std::out_of_range when the
// cell does not fit into the image.
void DrawDigit(RgbImage& image, int digit, int32_t left, int32_t top, Rgb ink, int32_t scale = 1);

} // namespace kelpix::core
