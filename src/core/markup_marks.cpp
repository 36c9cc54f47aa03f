#include "core/markup_marks.h"

#include <stdexcept>
#include <string>

namespace kelpix::core {

Rgb ColourRgb(MarkColour colour) {
    static constexpr std::array<Rgb, kMarkColourCount> rgb{{
        {232, 17, 35},   // red
        {255, 214, 0},   // yellow
        {16, 160, 60},   // green
        {0, 102, 255},   // blue
        {0, 0, 0},       // black
        {255, 255, 255}, // white
    }};
    CheckColour(colour);
    return rgb[static_cast<size_t>(colour)];
}

Rgb StepNumberInk(MarkColour disc) {
    return disc == MarkColour::Yellow || disc == MarkColour::White ? kBlack : kWhite;
}

int32_t LineWidth(const Mark& mark) {
    return kLineWidths[static_cast<size_t>(mark.width_index)];
}

int32_t StepDiameter(const Mark& mark) {
    return kStepDiameters[static_cast<size_t>(mark.width_index)];
}

int32_t ArrowHeadLength(int32_t line_width) {
    return 4 * line_width + 6;
}

int32_t ArrowHeadHalfWidth(int32_t line_width) {
    return 2 * line_width + 3;
}

void CheckStyleIndex(int index, const char* what) {
    if (index < 0 || index >= kStyleChoices)
        throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " is not one of 0 to " +
                                std::to_string(kStyleChoices - 1));
}

void CheckColour(MarkColour colour) {
    if (static_cast<int>(colour) >= kMarkColourCount)
        throw std::out_of_range("colour " + std::to_string(static_cast<int>(colour)) + " is not one the editor offers");
}

} // namespace kelpix::core
