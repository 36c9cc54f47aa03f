// The markup editor's document: the image's size, the marks, the selection, the crop, the style for
// new marks and the undo history. The window turns input into events (core/markup_events.h) and hands
// each to Handle; the answer says which pixels to render again (core/markup_raster.h) and what else
// the window is to do.
//
// The rules:
// - Marks lie in z-order, bottom first, which is also the order of their ids: a new mark goes on top,
//   and ids are never used again, also after an undo.
// - Steps are numbered 1 to n in the order they were placed, among the steps that exist: removing one
//   (delete, crop) renumbers those placed after it, and the next step gets n + 1.
// - A drag (drawing a box or an arrow, moving or resizing the selected mark, cropping) belongs to the
//   document while it goes on, so that the renderer shows it, and becomes one undo step when the
//   button is released. A box or arrow whose end is its start pixel makes nothing (nor does a click);
//   a move or resize that ends where it began changes nothing. Escape ends a drag as if it had never
//   begun. Any other event but a move, a release or Escape ends the drag as its release would, at its
//   last point, and then happens.
// - Shift keeps a box square (drawn, or resized by a corner) and an arrow at 45-degree steps.
// - The step tool places a step at the press; the text tool asks the window for text entry there,
//   in the colour and size of that moment. Committed text that is empty, or measured without area,
//   adds nothing.
// - Only the select tool selects: a press on a handle of the selected mark resizes it, on a mark
//   (topmost first) selects and moves it, elsewhere selects nothing. Choosing another tool ends the
//   selection; undo keeps it while its mark exists.
// - A chosen colour goes to the redaction colour when the redact tool is chosen or a redaction is
//   selected, else to the mark colour; a chosen width is the style's. Either also changes the selected
//   mark that has it (a highlight has no colour, text no width), as one undo step.
// - A crop is the dragged box within the current crop; marks whose frame lies wholly outside it go
//   with it. Marks keep the image's coordinates; the output is the crop.
// - A move (drag or arrow key) keeps at least one pixel of a mark's frame inside the crop.
// - Every change of the marks or the crop is one undo step, without limit.
#pragma once

#include "core/markup_events.h"
#include "core/markup_geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kelpix::core {

class MarkupDocument {
public:
    // Throws std::invalid_argument unless both sides are 1 to kMaxMarkupSide.
    MarkupDocument(int32_t width, int32_t height);

    // The one entry. An event no window should send (a choice out of range, an arrow key step other
    // than -1, 0 or 1, text measured negative, anchored outside the image or larger than the largest
    // image) throws std::out_of_range or std::invalid_argument before anything changes.
    MarkupAnswer Handle(const MarkupEvent& event);

    Rect image() const { return image_; }
    // The area shown, and the output's: its size is the output's size.
    const Rect& crop() const { return crop_; }
    const std::vector<Mark>& marks() const { return view_.marks; }
    MarkId selected() const { return view_.selected; }
    const Mark* Find(MarkId id) const;
    const MarkupStyle& style() const { return style_; }
    // The box of a crop being dragged, shown as a dashed frame.
    const std::optional<Rect>& crop_preview() const { return view_.crop_preview; }
    bool dragging() const { return drag_.has_value(); }
    int NextStepNumber() const;

    // The topmost mark a press at `pointer` hits, or kNoMark.
    MarkId MarkAt(Point pointer) const;
    PointerShape PointerShapeAt(Point pointer) const;

    bool CanUndo() const { return at_ > 0; }
    bool CanRedo() const { return at_ + 1 < history_.size(); }
    // Whether the marks or the crop differ from the state last handed over (initially: the capture as
    // it came). Undoing back to that state leaves no changes.
    bool HasChangesNotHandedOver() const { return history_[at_].revision != handed_over_; }
    void MarkHandedOver() { handed_over_ = history_[at_].revision; }

private:
    // What the view shows: the marks, the selection's decoration and the crop being dragged.
    struct View {
        std::vector<Mark> marks;
        MarkId selected = kNoMark;
        std::optional<Rect> crop_preview;
    };
    enum class DragKind : uint8_t { Draw, Move, Resize, Crop };
    struct Drag {
        Drag(DragKind drag_kind, Point at) : kind(drag_kind), press(at) {}

        DragKind kind;
        Point press;
        MarkId mark = kNoMark;                // Draw, Move, Resize
        MarkHandle handle = MarkHandle::None; // Resize
        Mark original;                        // the mark as at the press
    };
    struct Committed {
        std::vector<Mark> marks;
        Rect crop;
        uint64_t revision = 0;
    };

    void Update(const PointerPressed& event, MarkupAnswer& answer);
    void Update(const PointerMoved& event, MarkupAnswer& answer);
    void Update(const PointerReleased& event, MarkupAnswer& answer);
    void Update(const DeleteKey& event, MarkupAnswer& answer);
    void Update(const ArrowKey& event, MarkupAnswer& answer);
    void Update(const EscapeKey& event, MarkupAnswer& answer);
    void Update(const ToolChosen& event, MarkupAnswer& answer);
    void Update(const ColourChosen& event, MarkupAnswer& answer);
    void Update(const WidthChosen& event, MarkupAnswer& answer);
    void Update(const TextSizeChosen& event, MarkupAnswer& answer);
    void Update(const UndoChosen& event, MarkupAnswer& answer);
    void Update(const RedoChosen& event, MarkupAnswer& answer);
    void Update(const TextCommitted& event, MarkupAnswer& answer);
    void Update(const TextCancelled& event, MarkupAnswer& answer);
    void CheckEvent(const MarkupEvent& event) const;

    Mark* FindMark(MarkId id);
    Point ClampToCrop(Point p) const;
    Mark NewMark(MarkKind kind);
    void PressToSelect(Point at);
    void StartDrag(DragKind kind, Point at, const Mark* mark, MarkHandle handle = MarkHandle::None);
    void FollowPointer(Point at, bool shift);
    void EndDrag(bool keep);
    void ApplyCrop(const Rect& box);
    void ChangeSelected(const Mark& changed);
    void Commit();
    void Restore(size_t index);
    void Renumber();
    std::vector<Rect> ChangedAreas(const View& before) const;

    Rect image_;
    Rect crop_;
    View view_;
    MarkupStyle style_;
    std::optional<Drag> drag_;
    std::optional<TextEntryRequest> text_entry_; // asked for and not yet ended
    MarkId next_id_ = 1;
    std::vector<Committed> history_;
    size_t at_ = 0;
    uint64_t next_revision_ = 1;
    uint64_t handed_over_ = 0;
};

} // namespace kelpix::core
