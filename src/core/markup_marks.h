// The marks of the markup editor: the kinds, the colours, line widths and text sizes they are drawn
// with, and the sizes that follow from those choices.
//
// Geometry is in the captured image's pixels, shown at 100 %: a point names one pixel, a box is a Rect
// (right and bottom exclusive). Marks keep the image's coordinates also after a crop.
#pragma once

#include "core/rect.h"
#include "core/rgb_image.h"

#include <array>
#include <cstdint>
#include <string>

namespace kelpix::core {

// The largest image side the editor takes: window coordinates keep within 16 bits, and the
// renderer's integer arithmetic is sized for it.
inline constexpr int32_t kMaxMarkupSide = 1 << 15;

enum class MarkKind : uint8_t { Rectangle, Highlight, Arrow, Text, Step, Redaction };

// The row of colours the editor offers, in the order it shows them.
enum class MarkColour : uint8_t { Red, Yellow, Green, Blue, Black, White };
inline constexpr int kMarkColourCount = 6;

// Line widths and text sizes: three choices each, chosen by index 0 to 2.
inline constexpr int kStyleChoices = 3;
inline constexpr std::array<int32_t, kStyleChoices> kLineWidths{2, 4, 8};
// A step's disc, by the line width's index: room for two digits at every size.
inline constexpr std::array<int32_t, kStyleChoices> kStepDiameters{20, 28, 40};
// The text's font height in pixels, by the text size's index.
inline constexpr std::array<int32_t, kStyleChoices> kTextSizes{14, 20, 32};

// A highlight multiplies every pixel of its box by this light yellow, as ink on paper does: white
// turns yellow, dark text stays dark and legible, and the mark's colour does not count.
inline constexpr Rgb kHighlightYellow{255, 238, 96};

using MarkId = uint32_t;
inline constexpr MarkId kNoMark = 0;

// One mark. Each field means one thing, and only the kinds named beside it read it.
struct Mark {
    MarkId id = kNoMark;
    MarkKind kind = MarkKind::Rectangle;
    Rect box;                            // Rectangle, Highlight, Redaction: the box; Text: anchor and measured size
    Point tail;                          // Arrow: where the shaft starts
    Point tip;                           // Arrow: the pixel the head points at
    Point centre;                        // Step: the disc's centre pixel
    MarkColour colour = MarkColour::Red; // all but Highlight; Redaction: its one opaque colour
    int width_index = 1;                 // Rectangle, Arrow, Step
    std::wstring text;                   // Text: its lines, separated by '\n'
    int text_size_index = 1;             // Text
    int step_number = 0;                 // Step: 1 to n, kept by the document

    friend bool operator==(const Mark&, const Mark&) = default;
};

Rgb ColourRgb(MarkColour colour);
// The step number's colour on a disc of this colour: white, and black on the light yellow and white.
Rgb StepNumberInk(MarkColour disc);

int32_t LineWidth(const Mark& mark);
int32_t StepDiameter(const Mark& mark);
// The arrow's head grows with its line width: its length from the base to the tip, and half its width
// across the base.
int32_t ArrowHeadLength(int32_t line_width);
int32_t ArrowHeadHalfWidth(int32_t line_width);

// Throw std::out_of_range naming `what` for a choice the editor does not offer.
void CheckStyleIndex(int index, const char* what);
void CheckColour(MarkColour colour);

} // namespace kelpix::core
