#include "core/glyphs.h"

#include <array>
#include <stdexcept>

namespace kelpix::core {
namespace {

using Glyph = std::array<std::string_view, kGlyphHeight>;

// clang-format off
constexpr std::array<Glyph, 10> kDigits{{
    {".###.",
     "#...#",
     "#...#",
     "#...#",
     "#...#",
     "#...#",
     "#...#",
     "#...#",
     ".###."},
    {"..#..",
     ".##..",
     "#.#..",
     "..#..",
     "..#..",
     "..#..",
     "..#..",
     "..#..",
     "#####"},
    {".###.",
     "#...#",
     "....#",
     "....#",
     "...#.",
     "..#..",
     ".#...",
     "#....",
     "#####"},
    {".###.",
     "#...#",
     "....#",
     "....#",
     "..##.",
     "....#",
     "....#",
     "#...#",
     ".###."},
    {"...#.",
     "..##.",
     ".#.#.",
     "#..#.",
     "#..#.",
     "#####",
     "...#.",
     "...#.",
     "...#."},
    {"#####",
     "#....",
     "#....",
     "####.",
     "....#",
     "....#",
     "....#",
     "#...#",
     ".###."},
    {"..##.",
     ".#...",
     "#....",
     "#....",
     "####.",
     "#...#",
     "#...#",
     "#...#",
     ".###."},
    {"#####",
     "....#",
     "....#",
     "...#.",
     "...#.",
     "..#..",
     "..#..",
     "..#..",
     "..#.."},
    {".###.",
     "#...#",
     "#...#",
     "#...#",
     ".###.",
     "#...#",
     "#...#",
     "#...#",
     ".###."},
    {".###.",
     "#...#",
     "#...#",
     "#...#",
     ".####",
     "....#",
     "....#",
     "...#.",
     ".##.."},
}};
// clang-format on

const Glyph& GlyphOf(int digit) {
    if (digit < 0 || digit > 9) throw std::out_of_range("not a decimal digit");
    return kDigits[static_cast<size_t>(digit)];
}

} // namespace

std::string_view DigitRow(int digit, int32_t row) {
    const Glyph& glyph = GlyphOf(digit);
    if (row < 0 || row >= kGlyphHeight) throw std::out_of_range("glyph row outside the cell");
    return glyph[static_cast<size_t>(row)];
}

bool DigitInk(int digit, int32_t column, int32_t row) {
    std::string_view line = DigitRow(digit, row);
    if (column < 0 || column >= kGlyphWidth) throw std::out_of_range("glyph column outside the cell");
    return line[static_cast<size_t>(column)] == '#';
}

void DrawDigit(RgbImage& image, int digit, int32_t left, int32_t top, Rgb ink, int32_t scale) {
    GlyphOf(digit);
    if (scale < 1 || !image.contains(left, top) ||
        !image.contains(left + kGlyphWidth * scale - 1, top + kGlyphHeight * scale - 1))
        throw std::out_of_range("digit cell outside the image");
    for (int32_t row = 0; row < kGlyphHeight; ++row)
        for (int32_t column = 0; column < kGlyphWidth; ++column)
            if (DigitInk(digit, column, row))
                for (int32_t dy = 0; dy < scale; ++dy)
                    for (int32_t dx = 0; dx < scale; ++dx)
                        image.at(left + column * scale + dx, top + row * scale + dy) = ink;
}

} // namespace kelpix::core
