// What the markup editor's window tells the document (events, one plain struct each) and what the
// document answers: which pixels to render and repaint, whether to lay the view out anew, whether to
// open text entry, whether the window is asked to close.
//
// Points are image pixels (the view shows the image at 100 %, offset by the crop's corner).
#pragma once

#include "core/markup_marks.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kelpix::core {

// One key each: V, R, H, A, T, N, X, C (ToolForKey).
enum class MarkupTool : uint8_t { Select, Rectangle, Highlight, Arrow, Text, Step, Redact, Crop };
inline constexpr int kMarkupToolCount = 8;

// The tool for a key the user typed, either case; nothing for any other key.
std::optional<MarkupTool> ToolForKey(char32_t key);

// What new marks are drawn with.
struct MarkupStyle {
    MarkupTool tool = MarkupTool::Rectangle;
    MarkColour colour = MarkColour::Red;             // rectangles, arrows, text, steps
    MarkColour redaction_colour = MarkColour::Black; // redactions
    int width_index = 1;                             // kLineWidths, kStepDiameters
    int text_size_index = 1;                         // kTextSizes

    friend bool operator==(const MarkupStyle&, const MarkupStyle&) = default;
};

// The mouse: a press, the moves while pressed, the release. Positions outside the shown area count
// as its nearest pixel.
struct PointerPressed {
    Point at;
    bool shift = false;
};
struct PointerMoved {
    Point at;
    bool shift = false;
};
struct PointerReleased {
    Point at;
    bool shift = false;
};

struct DeleteKey {}; // the selected mark goes
// An arrow key: dx and dy are -1, 0 or 1; the selected mark moves 1 pixel that way, with Shift 10.
struct ArrowKey {
    int dx = 0;
    int dy = 0;
    bool shift = false;
};
struct EscapeKey {}; // ends the drag going on, else asks the window to close

struct ToolChosen {
    MarkupTool tool = MarkupTool::Select;
};
struct ColourChosen {
    MarkColour colour = MarkColour::Red;
};
struct WidthChosen {
    int index = 1;
};
struct TextSizeChosen {
    int index = 1;
};
struct UndoChosen {};
struct RedoChosen {};

// The text entry the document asked for has ended with this text (lines separated by '\n'), which
// the window measured in the size it was asked for: its box is width x height from the anchor.
struct TextCommitted {
    Point anchor;
    std::wstring text;
    int32_t width = 0;
    int32_t height = 0;
};
struct TextCancelled {};

using MarkupEvent =
    std::variant<PointerPressed, PointerMoved, PointerReleased, DeleteKey, ArrowKey, EscapeKey, ToolChosen,
                 ColourChosen, WidthChosen, TextSizeChosen, UndoChosen, RedoChosen, TextCommitted, TextCancelled>;

// The window opens its text box with its top left at `anchor`, in this colour and font height.
struct TextEntryRequest {
    Point anchor;
    MarkColour colour = MarkColour::Red;
    int size_index = 1;
    int32_t font_height = 0; // kTextSizes[size_index]

    friend bool operator==(const TextEntryRequest&, const TextEntryRequest&) = default;
};

struct MarkupAnswer {
    // Image rectangles inside the shown area whose pixels changed: copy the captured pixels into
    // each, render it and repaint it.
    std::vector<Rect> repaint;
    // The shown area (the crop) changed size and place: lay the view out anew. repaint then holds
    // the whole shown area.
    bool relayout = false;
    std::optional<TextEntryRequest> open_text_entry;
    bool close = false; // Escape with nothing being dragged: the window closes (asking first if changed)
};

// The pointer's look over a point, as the window sets it.
enum class PointerShape : uint8_t { Arrow, Crosshair, TextBeam, Move, SizeNwSe, SizeNeSw, SizeNS, SizeWE };

} // namespace kelpix::core
