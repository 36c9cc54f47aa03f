#include "core/markup_document.h"
#include "markup_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kelpix::core {
namespace {

using namespace kelpix::test;
using T = MarkupTool;

// The marks bottom first: kind, geometry, colour and width index, '*' when selected; then the crop.
std::string Describe(const MarkupDocument& document) {
    std::ostringstream out;
    for (const Mark& m : document.marks()) {
        out << "RHATNX"[static_cast<int>(m.kind)];
        if (m.kind == MarkKind::Arrow)
            out << "(" << m.tail.x << "," << m.tail.y << ">" << m.tip.x << "," << m.tip.y << ")";
        else if (m.kind == MarkKind::Step)
            out << m.step_number << "(" << m.centre.x << "," << m.centre.y << ")";
        else
            out << "[" << m.box.left << "," << m.box.top << "," << m.box.right << "," << m.box.bottom << "]";
        out << "rygbkw"[static_cast<int>(m.colour)] << m.width_index;
        for (wchar_t c : m.text)
            out << static_cast<char>(c);
        out << (m.id == document.selected() ? "* " : " ");
    }
    const Rect c = document.crop();
    if (c != document.image()) out << "crop[" << c.left << "," << c.top << "," << c.right << "," << c.bottom << "]";
    std::string text = out.str();
    return text.empty() || text.back() != ' ' ? text : text.substr(0, text.size() - 1);
}

struct Row {
    const char* name;
    Events events;
    std::string marks;
    bool can_undo;
    bool can_redo;
};

void ExpectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        MarkupDocument document(200, 150);
        Play(document, row.events);
        EXPECT_EQ(Describe(document), row.marks) << row.name;
        EXPECT_EQ(document.CanUndo(), row.can_undo) << row.name;
        EXPECT_EQ(document.CanRedo(), row.can_redo) << row.name;
        EXPECT_FALSE(document.dragging()) << row.name;
    }
}

TEST(MarkupDocument, DrawsCropsAndUndoesByTheTable) {
    const Events two = Join({Draw(T::Rectangle, {10, 10}, {20, 20}), Draw(T::Redact, {30, 30}, {40, 40})});
    const Events crop = Join({Draw(T::Rectangle, {10, 10}, {20, 20}), Draw(T::Arrow, {100, 100}, {120, 120}),
                              Draw(T::Crop, {5, 5}, {50, 50})});
    const Events steps = Join({Use(T::Step), Click({10, 10}), Click({100, 100}), Click({120, 120})});
    ExpectRows({
        {"a drag draws a box holding both end pixels", Draw(T::Rectangle, {20, 15}, {10, 10}), "R[10,10,21,16]r1", 1,
         0},
        {"a click draws nothing", Join({Use(T::Rectangle), Click({10, 10})}), "", 0, 0},
        {"a drag back to its start draws nothing",
         Join({Use(T::Arrow), {PointerPressed{{9, 9}}, PointerMoved{{30, 30}}, PointerReleased{{9, 9}}}}), "", 0, 0},
        {"Shift squares a box by its larger side", Draw(T::Highlight, {10, 10}, {4, 2}, true), "H[2,2,11,11]r1", 1, 0},
        {"Shift keeps arrows at 45 degrees",
         Join({Draw(T::Arrow, {10, 10}, {30, 13}, true), Drag({50, 50}, {60, 62}, true)}),
         "A(10,10>30,10)r1 A(50,50>61,61)r1", 1, 0},
        {"Escape ends a drawing without a mark",
         Join({Use(T::Rectangle), {PointerPressed{{10, 10}}, PointerMoved{{30, 30}}, EscapeKey{}}}), "", 0, 0},
        {"a point outside the image is its nearest pixel", Draw(T::Rectangle, {-20, 5}, {500, 400}), "R[0,5,200,150]r1",
         1, 0},
        {"a choice during a drag ends it as a release",
         Join({Use(T::Rectangle), {PointerPressed{{10, 10}}, PointerMoved{{20, 20}}, ToolChosen{T::Arrow}}}),
         "R[10,10,21,21]r1", 1, 0},
        {"undo during a drag takes back that drag",
         Join({Use(T::Rectangle), {PointerPressed{{10, 10}}, PointerMoved{{20, 20}}, UndoChosen{}}}), "", 0, 1},
        {"steps count in placing order, renumbered after a delete",
         Join({steps, Use(T::Select), Click({100, 100}), {DeleteKey{}}, Use(T::Step), Click({130, 10})}),
         "N1(10,10)r1 N2(120,120)r1 N3(130,10)r1", 1, 0},
        {"a crop renumbers the steps it keeps", Join({steps, Draw(T::Crop, {50, 50}, {199, 149})}),
         "N1(100,100)r1 N2(120,120)r1 crop[50,50,200,150]", 1, 0},
        {"undo takes back a redaction", Join({two, {UndoChosen{}}}), "R[10,10,21,21]r1", 1, 1},
        {"redo brings it again", Join({two, {UndoChosen{}, RedoChosen{}}}), "R[10,10,21,21]r1 X[30,30,41,41]k1", 1, 0},
        {"a change after undo ends redo", Join({two, {UndoChosen{}}, Draw(T::Step, {5, 5}, {5, 5})}),
         "R[10,10,21,21]r1 N1(5,5)r1", 1, 0},
        {"a crop drops the marks wholly outside it", crop, "R[10,10,21,21]r1 crop[5,5,51,51]", 1, 0},
        {"undoing a crop brings them back", Join({crop, {UndoChosen{}}}), "R[10,10,21,21]r1 A(100,100>120,120)r1", 1,
         1},
        {"a second crop lies within the first", Join({Draw(T::Crop, {20, 20}, {100, 100}), Drag({0, 0}, {50, 60})}),
         "crop[20,20,51,61]", 1, 0},
        {"a crop click does nothing", Join({Use(T::Crop), Click({20, 20})}), "", 0, 0},
    });
}

TEST(MarkupDocument, SelectsMovesResizesAndRestylesByTheTable) {
    const Events rect = Draw(T::Rectangle, {10, 10}, {40, 30}), select = Join({rect, Use(T::Select), Click({10, 20})});
    ExpectRows({
        {"a press on an outline selects and drags the mark", Join({rect, Use(T::Select), Drag({10, 20}, {15, 23})}),
         "R[15,13,46,34]r1*", 1, 0},
        {"a move back to where it began changes nothing",
         Join({rect,
               Use(T::Select),
               {PointerPressed{{10, 20}}, PointerMoved{{30, 30}}, PointerReleased{{10, 20}}, UndoChosen{}}}),
         "", 0, 1},
        {"a press beside every mark selects nothing", Join({select, Click({100, 100})}), "R[10,10,41,31]r1", 1, 0},
        {"another tool ends the selection", Join({select, Use(T::Arrow)}), "R[10,10,41,31]r1", 1, 0},
        {"arrow keys move by 1, with Shift by 10", Join({select, {ArrowKey{1, 0}, ArrowKey{0, 1, true}}}),
         "R[11,20,42,41]r1*", 1, 0},
        {"arrow keys keep a pixel of the mark in view", Join({select, Events(5, ArrowKey{-1, 0, true})}),
         "R[-30,10,1,31]r1*", 1, 0},
        {"Shift on a corner handle keeps the box square", Join({select, Drag({40, 30}, {60, 35}, true)}),
         "R[10,10,61,61]r1*", 1, 0},
        {"an edge handle moves its side only", Join({select, Drag({25, 10}, {30, 4})}), "R[10,4,41,31]r1*", 1, 0},
        {"an arrow's end handle moves that end",
         Join({Draw(T::Arrow, {10, 50}, {60, 50}), Use(T::Select), Click({35, 50}), Drag({60, 50}, {70, 80})}),
         "A(10,50>70,80)r1*", 1, 0},
        {"a colour recolours the selected mark", Join({select, {ColourChosen{MarkColour::Blue}}}), "R[10,10,41,31]b1*",
         1, 0},
        {"the redact tool's colour is the redaction colour",
         Join({Use(T::Redact),
               {ColourChosen{MarkColour::Blue}},
               Drag({1, 1}, {2, 2}),
               Draw(T::Rectangle, {5, 5}, {6, 6})}),
         "X[1,1,3,3]b1 R[5,5,7,7]r1", 1, 0},
        {"a width changes the selected mark, undone alone", Join({select, {WidthChosen{2}, UndoChosen{}}}),
         "R[10,10,41,31]r1*", 1, 1},
        {"text goes where entry was asked; empty text adds nothing",
         Join({Text({30, 40}, L"hi", 12, 14), Text({60, 60}, L"", 0, 14)}), "T[30,40,42,54]r1hi", 1, 0},
    });
}

TEST(MarkupDocument, HitsTheTopmostMarkNearItsInk) {
    MarkupDocument document(200, 150);
    Play(document, Join({Draw(T::Rectangle, {10, 10}, {40, 30}), Draw(T::Highlight, {50, 10}, {70, 20}),
                         Draw(T::Arrow, {10, 60}, {60, 60}), Draw(T::Step, {100, 60}, {100, 60}),
                         Draw(T::Redact, {60, 15}, {80, 25}), Text({100, 100}, L"x", 30, 12)}));
    const std::pair<Point, MarkId> rows[] = {
        {{10, 20}, 1},  {{6, 20}, 1},   {{5, 20}, 0},    {{17, 20}, 1},   {{25, 20}, 0}, {{55, 12}, 2},
        {{65, 18}, 5},  {{35, 62}, 3},  {{25, 67}, 0},   {{50, 69}, 3},   {{30, 69}, 0}, {{100, 60}, 4},
        {{113, 60}, 4}, {{115, 60}, 0}, {{110, 105}, 6}, {{130, 105}, 0},
    };
    for (const auto& [point, id] : rows)
        EXPECT_EQ(document.MarkAt(point), id) << point.x << "," << point.y;
}

TEST(MarkupDocument, ShowsHandlesOfTheSelectedMarkOnly) {
    using S = PointerShape;
    struct ShapeRow {
        Events events;
        Point at;
        S shape;
    };
    const Events rect = Draw(T::Rectangle, {10, 10}, {40, 30}), arrow = Draw(T::Arrow, {10, 60}, {60, 60});
    const Events both = Join({rect, arrow, Use(T::Select)}), rect_chosen = Join({both, Click({10, 20})});
    const ShapeRow rows[] = {
        {both, {10, 10}, S::Move},
        {both, {100, 100}, S::Arrow},
        {rect_chosen, {10, 10}, S::SizeNwSe},
        {rect_chosen, {44, 34}, S::SizeNwSe},
        {rect_chosen, {40, 10}, S::SizeNeSw},
        {rect_chosen, {25, 10}, S::SizeNS},
        {rect_chosen, {40, 20}, S::SizeWE},
        {rect_chosen, {16, 16}, S::Move},
        {rect_chosen, {60, 60}, S::Move},
        {Join({both, Click({35, 60})}), {60, 60}, S::Crosshair},
        {Use(T::Text), {1, 1}, S::TextBeam},
        {Use(T::Crop), {1, 1}, S::Crosshair},
    };
    for (const ShapeRow& row : rows) {
        MarkupDocument document(200, 150);
        Play(document, row.events);
        EXPECT_EQ(document.PointerShapeAt(row.at), row.shape) << row.at.x << "," << row.at.y;
    }
}

TEST(MarkupDocument, AnswersWhatTheWindowIsToDo) {
    MarkupDocument document(200, 150);
    EXPECT_TRUE(Play(document, {EscapeKey{}}).close);
    Play(document, {ToolChosen{T::Crop}, PointerPressed{{20, 20}}, PointerMoved{{60, 60}}});
    EXPECT_FALSE(Play(document, {EscapeKey{}}).close);
    EXPECT_EQ(document.crop_preview(), std::nullopt);
    const MarkupAnswer crop = Play(document, Drag({20, 20}, {60, 50}));
    EXPECT_TRUE(crop.relayout);
    EXPECT_EQ(crop.repaint, std::vector<Rect>{document.crop()});
    Play(document, {ToolChosen{T::Text}, TextSizeChosen{2}, ColourChosen{MarkColour::Green}});
    const MarkupAnswer text = Play(document, {PointerPressed{{0, 100}}});
    EXPECT_EQ(text.open_text_entry, (TextEntryRequest{{20, 50}, MarkColour::Green, 2, kTextSizes[2]}));
}

TEST(MarkupDocument, KnowsWhetherItsChangesWereHandedOver) {
    MarkupDocument document(200, 150);
    EXPECT_FALSE(document.HasChangesNotHandedOver());
    Play(document, Draw(T::Rectangle, {10, 10}, {20, 20}));
    EXPECT_TRUE(document.HasChangesNotHandedOver());
    document.MarkHandedOver();
    EXPECT_FALSE(document.HasChangesNotHandedOver());
    Play(document, {UndoChosen{}});
    EXPECT_TRUE(document.HasChangesNotHandedOver());
    Play(document, {RedoChosen{}});
    EXPECT_FALSE(document.HasChangesNotHandedOver());
    Play(document, Join({Use(T::Select), Click({10, 15})})); // selecting is no change
    EXPECT_FALSE(document.HasChangesNotHandedOver());
}

TEST(MarkupDocument, RefusesEventsNoWindowSendsAndLosesNothing) {
    const MarkupEvent bad[] = {
        WidthChosen{3},
        TextSizeChosen{-1},
        ColourChosen{static_cast<MarkColour>(6)},
        ToolChosen{static_cast<MarkupTool>(8)},
        ArrowKey{2, 0},
        TextCommitted{{10, 10}, L"x", -1, 12},
        TextCommitted{{200, 10}, L"x", 5, 12},
    };
    for (const MarkupEvent& event : bad) {
        MarkupDocument document(200, 150);
        Play(document, Join({Draw(T::Rectangle, {10, 10}, {20, 20}),
                             Use(T::Arrow),
                             {PointerPressed{{50, 50}}},
                             {PointerMoved{{70, 70}}}}));
        const std::string before = Describe(document);
        const MarkupStyle style = document.style();
        EXPECT_ANY_THROW(document.Handle(event)) << event.index();
        EXPECT_EQ(Describe(document), before);
        EXPECT_EQ(document.style(), style);
        EXPECT_TRUE(document.dragging());
    }
    EXPECT_THROW(MarkupDocument(0, 10), std::invalid_argument);
    EXPECT_THROW(MarkupDocument(10, kMaxMarkupSide + 1), std::invalid_argument);
}

} // namespace
} // namespace kelpix::core
