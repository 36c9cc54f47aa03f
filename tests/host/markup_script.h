// Test helpers: the markup editor's input written as short scripts of events.
#pragma once

#include "core/markup_document.h"

#include <initializer_list>
#include <vector>

namespace kelpix::test {

using core::MarkupTool;
using core::Point;
using Events = std::vector<core::MarkupEvent>;

inline Events Join(std::initializer_list<Events> pieces) {
    Events all;
    for (const Events& piece : pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}
inline Events Use(MarkupTool tool) {
    return {core::ToolChosen{tool}};
}
inline Events Drag(Point from, Point to, bool shift = false) {
    return {core::PointerPressed{from, shift}, core::PointerMoved{to, shift}, core::PointerReleased{to, shift}};
}
inline Events Click(Point at) {
    return {core::PointerPressed{at}, core::PointerReleased{at}};
}
inline Events Draw(MarkupTool tool, Point from, Point to, bool shift = false) {
    return Join({Use(tool), Drag(from, to, shift)});
}
inline Events Text(Point at, const wchar_t* text, int32_t width, int32_t height) {
    return Join({Use(MarkupTool::Text), Click(at), {core::TextCommitted{at, text, width, height}}});
}

inline core::MarkupAnswer Play(core::MarkupDocument& document, const Events& events) {
    core::MarkupAnswer last;
    for (const core::MarkupEvent& event : events)
        last = document.Handle(event);
    return last;
}

} // namespace kelpix::test
