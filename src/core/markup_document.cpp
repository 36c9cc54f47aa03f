#include "core/markup_document.h"

#include "core/frame_geometry.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace kelpix::core {
namespace {

constexpr int kLongNudge = 10; // pixels an arrow key moves a mark with Shift

MarkKind KindDrawnBy(MarkupTool tool) {
    switch (tool) {
    case MarkupTool::Highlight:
        return MarkKind::Highlight;
    case MarkupTool::Arrow:
        return MarkKind::Arrow;
    case MarkupTool::Redact:
        return MarkKind::Redaction;
    default:
        return MarkKind::Rectangle;
    }
}

bool HasColour(MarkKind kind) {
    return kind != MarkKind::Highlight;
}

bool HasWidth(MarkKind kind) {
    return kind == MarkKind::Rectangle || kind == MarkKind::Arrow || kind == MarkKind::Step;
}

// The events a drag goes on through; any other ends it first.
bool ContinuesDrag(const MarkupEvent& event) {
    return std::holds_alternative<PointerMoved>(event) || std::holds_alternative<PointerReleased>(event) ||
           std::holds_alternative<EscapeKey>(event);
}

void CheckText(const TextCommitted& text, const Rect& image) {
    if (text.width < 0 || text.height < 0 || text.width > kMaxMarkupSide || text.height > kMaxMarkupSide)
        throw std::invalid_argument("text measured " + std::to_string(text.width) + " x " +
                                    std::to_string(text.height) + " pixels");
    const Point a = text.anchor;
    if (a.x < image.left || a.y < image.top || a.x >= image.right || a.y >= image.bottom)
        throw std::out_of_range("text anchored at " + std::to_string(a.x) + ", " + std::to_string(a.y) +
                                ", outside the image");
}

PointerShape ShapeOfHandle(MarkHandle handle) {
    switch (handle) {
    case MarkHandle::TopLeft:
    case MarkHandle::BottomRight:
        return PointerShape::SizeNwSe;
    case MarkHandle::TopRight:
    case MarkHandle::BottomLeft:
        return PointerShape::SizeNeSw;
    case MarkHandle::Top:
    case MarkHandle::Bottom:
        return PointerShape::SizeNS;
    case MarkHandle::Left:
    case MarkHandle::Right:
        return PointerShape::SizeWE;
    default:
        return PointerShape::Crosshair;
    }
}

} // namespace

std::optional<MarkupTool> ToolForKey(char32_t key) {
    if (key >= U'A' && key <= U'Z') key += U'a' - U'A';
    switch (key) {
    case U'v':
        return MarkupTool::Select;
    case U'r':
        return MarkupTool::Rectangle;
    case U'h':
        return MarkupTool::Highlight;
    case U'a':
        return MarkupTool::Arrow;
    case U't':
        return MarkupTool::Text;
    case U'n':
        return MarkupTool::Step;
    case U'x':
        return MarkupTool::Redact;
    case U'c':
        return MarkupTool::Crop;
    default:
        return std::nullopt;
    }
}

MarkupDocument::MarkupDocument(int32_t width, int32_t height) {
    if (width < 1 || height < 1 || width > kMaxMarkupSide || height > kMaxMarkupSide)
        throw std::invalid_argument("the editor takes images of 1 to " + std::to_string(kMaxMarkupSide) +
                                    " pixels each way, not " + std::to_string(width) + " x " + std::to_string(height));
    image_ = crop_ = {0, 0, width, height};
    history_.push_back({{}, crop_, 0});
}

void MarkupDocument::CheckEvent(const MarkupEvent& event) const {
    if (const auto* tool = std::get_if<ToolChosen>(&event)) {
        if (static_cast<int>(tool->tool) >= kMarkupToolCount)
            throw std::out_of_range("tool " + std::to_string(static_cast<int>(tool->tool)) + " does not exist");
    } else if (const auto* colour = std::get_if<ColourChosen>(&event)) {
        CheckColour(colour->colour);
    } else if (const auto* width = std::get_if<WidthChosen>(&event)) {
        CheckStyleIndex(width->index, "line width");
    } else if (const auto* size = std::get_if<TextSizeChosen>(&event)) {
        CheckStyleIndex(size->index, "text size");
    } else if (const auto* key = std::get_if<ArrowKey>(&event)) {
        if (key->dx < -1 || key->dx > 1 || key->dy < -1 || key->dy > 1)
            throw std::out_of_range("an arrow key steps by -1, 0 or 1 each way");
    } else if (const auto* text = std::get_if<TextCommitted>(&event)) {
        CheckText(*text, image_);
    }
}

MarkupAnswer MarkupDocument::Handle(const MarkupEvent& event) {
    CheckEvent(event);
    const View before = view_;
    const Rect crop_before = crop_;
    MarkupAnswer answer;
    if (drag_ && !ContinuesDrag(event)) EndDrag(true);
    std::visit([&](const auto& e) { Update(e, answer); }, event);
    if (style_.tool != MarkupTool::Select || Find(view_.selected) == nullptr) view_.selected = kNoMark;
    if (crop_ != crop_before) {
        answer.relayout = true;
        answer.repaint = {crop_};
    } else {
        answer.repaint = ChangedAreas(before);
    }
    return answer;
}

// --- Queries -----------------------------------------------------------------------------------

const Mark* MarkupDocument::Find(MarkId id) const {
    // The marks lie in the order of their ids.
    const auto found = std::lower_bound(view_.marks.begin(), view_.marks.end(), id,
                                        [](const Mark& mark, MarkId wanted) { return mark.id < wanted; });
    return found != view_.marks.end() && found->id == id ? &*found : nullptr;
}

Mark* MarkupDocument::FindMark(MarkId id) {
    return const_cast<Mark*>(std::as_const(*this).Find(id));
}

int MarkupDocument::NextStepNumber() const {
    return 1 + static_cast<int>(std::count_if(view_.marks.begin(), view_.marks.end(),
                                              [](const Mark& mark) { return mark.kind == MarkKind::Step; }));
}

MarkId MarkupDocument::MarkAt(Point pointer) const {
    const Point at = ClampToCrop(pointer);
    for (auto mark = view_.marks.rbegin(); mark != view_.marks.rend(); ++mark) {
        if (Hits(*mark, at)) return mark->id;
    }
    return kNoMark;
}

PointerShape MarkupDocument::PointerShapeAt(Point pointer) const {
    if (drag_) {
        if (drag_->kind == DragKind::Move) return PointerShape::Move;
        return drag_->kind == DragKind::Resize ? ShapeOfHandle(drag_->handle) : PointerShape::Crosshair;
    }
    if (style_.tool == MarkupTool::Text) return PointerShape::TextBeam;
    if (style_.tool != MarkupTool::Select) return PointerShape::Crosshair;
    const Point at = ClampToCrop(pointer);
    if (const Mark* selected = Find(view_.selected)) {
        const MarkHandle handle = HandleAt(*selected, at);
        if (handle != MarkHandle::None) return ShapeOfHandle(handle);
    }
    return MarkAt(at) != kNoMark ? PointerShape::Move : PointerShape::Arrow;
}

Point MarkupDocument::ClampToCrop(Point p) const {
    return {std::clamp(p.x, crop_.left, crop_.right - 1), std::clamp(p.y, crop_.top, crop_.bottom - 1)};
}

// --- The pointer -------------------------------------------------------------------------------

void MarkupDocument::Update(const PointerPressed& event, MarkupAnswer& answer) {
    const Point at = ClampToCrop(event.at);
    switch (style_.tool) {
    case MarkupTool::Select:
        PressToSelect(at);
        return;
    case MarkupTool::Step: {
        Mark step = NewMark(MarkKind::Step);
        step.centre = at;
        view_.marks.push_back(step);
        Commit();
        return;
    }
    case MarkupTool::Text:
        text_entry_ = TextEntryRequest{at, style_.colour, style_.text_size_index,
                                       kTextSizes[static_cast<size_t>(style_.text_size_index)]};
        answer.open_text_entry = text_entry_;
        return;
    case MarkupTool::Crop:
        StartDrag(DragKind::Crop, at, nullptr);
        return;
    default: {
        Mark mark = NewMark(KindDrawnBy(style_.tool));
        if (mark.kind == MarkKind::Arrow)
            mark.tail = mark.tip = at;
        else
            mark.box = {at.x, at.y, at.x, at.y};
        view_.marks.push_back(mark);
        StartDrag(DragKind::Draw, at, &view_.marks.back());
    }
    }
}

void MarkupDocument::Update(const PointerMoved& event, MarkupAnswer&) {
    if (drag_) FollowPointer(ClampToCrop(event.at), event.shift);
}

void MarkupDocument::Update(const PointerReleased& event, MarkupAnswer&) {
    if (!drag_) return;
    FollowPointer(ClampToCrop(event.at), event.shift);
    EndDrag(true);
}

Mark MarkupDocument::NewMark(MarkKind kind) {
    Mark mark;
    mark.id = next_id_++;
    mark.kind = kind;
    mark.colour = kind == MarkKind::Redaction ? style_.redaction_colour : style_.colour;
    mark.width_index = style_.width_index;
    mark.text_size_index = style_.text_size_index;
    return mark;
}

void MarkupDocument::PressToSelect(Point at) {
    if (const Mark* selected = Find(view_.selected)) {
        const MarkHandle handle = HandleAt(*selected, at);
        if (handle != MarkHandle::None) {
            StartDrag(DragKind::Resize, at, selected, handle);
            return;
        }
    }
    view_.selected = MarkAt(at);
    if (const Mark* hit = Find(view_.selected)) StartDrag(DragKind::Move, at, hit);
}

void MarkupDocument::StartDrag(DragKind kind, Point at, const Mark* mark, MarkHandle handle) {
    drag_.emplace(kind, at);
    drag_->handle = handle;
    if (mark == nullptr) return;
    drag_->mark = mark->id;
    drag_->original = *mark;
}

void MarkupDocument::FollowPointer(Point at, bool shift) {
    const Drag& drag = *drag_;
    if (drag.kind == DragKind::Crop) {
        const Point corner = shift ? SquareCorner(drag.press, at) : at;
        view_.crop_preview.reset();
        if (corner != drag.press) view_.crop_preview = Intersection(SpanBox(drag.press, corner), crop_);
        return;
    }
    Mark* mark = FindMark(drag.mark);
    if (mark == nullptr) return;
    const Point delta{at.x - drag.press.x, at.y - drag.press.y};
    if (drag.kind == DragKind::Move) {
        *mark = Moved(drag.original, LimitMove(drag.original, delta, crop_));
    } else if (drag.kind == DragKind::Resize) {
        if (const std::optional<Mark> resized = Resized(drag.original, drag.handle, delta, shift)) *mark = *resized;
    } else if (mark->kind == MarkKind::Arrow) {
        mark->tip = shift ? SnapTo45Degrees(drag.press, at) : at;
    } else {
        const Point corner = shift ? SquareCorner(drag.press, at) : at;
        mark->box = corner == drag.press ? Rect{at.x, at.y, at.x, at.y} : SpanBox(drag.press, corner);
    }
}

void MarkupDocument::EndDrag(bool keep) {
    const Drag drag = *drag_;
    drag_.reset();
    if (drag.kind == DragKind::Crop) {
        const std::optional<Rect> box = view_.crop_preview;
        view_.crop_preview.reset();
        if (keep && box) ApplyCrop(*box);
        return;
    }
    if (keep && drag.kind == DragKind::Draw) {
        std::erase_if(view_.marks, [&](const Mark& mark) { return mark.id == drag.mark && IsDegenerate(mark); });
    }
    if (keep && view_.marks != history_[at_].marks)
        Commit();
    else
        view_.marks = history_[at_].marks;
}

void MarkupDocument::ApplyCrop(const Rect& box) {
    const Rect cropped = Intersection(box, crop_);
    if (cropped.Empty() || cropped == crop_) return;
    crop_ = cropped;
    std::erase_if(view_.marks, [&](const Mark& mark) { return !Overlap(MarkFrame(mark), crop_); });
    Commit();
}

// --- Keys and choices --------------------------------------------------------------------------

void MarkupDocument::Update(const DeleteKey&, MarkupAnswer&) {
    if (Find(view_.selected) == nullptr) return;
    std::erase_if(view_.marks, [&](const Mark& mark) { return mark.id == view_.selected; });
    view_.selected = kNoMark;
    Commit();
}

void MarkupDocument::Update(const ArrowKey& event, MarkupAnswer&) {
    const Mark* mark = Find(view_.selected);
    if (mark == nullptr) return;
    const int step = event.shift ? kLongNudge : 1;
    const Point delta = LimitMove(*mark, {event.dx * step, event.dy * step}, crop_);
    if (delta != Point{}) ChangeSelected(Moved(*mark, delta));
}

void MarkupDocument::Update(const EscapeKey&, MarkupAnswer& answer) {
    if (drag_)
        EndDrag(false);
    else
        answer.close = true;
}

void MarkupDocument::Update(const ToolChosen& event, MarkupAnswer&) {
    style_.tool = event.tool;
}

void MarkupDocument::Update(const ColourChosen& event, MarkupAnswer&) {
    const Mark* selected = Find(view_.selected);
    const bool redaction =
        style_.tool == MarkupTool::Redact || (selected != nullptr && selected->kind == MarkKind::Redaction);
    (redaction ? style_.redaction_colour : style_.colour) = event.colour;
    if (selected == nullptr || !HasColour(selected->kind) || selected->colour == event.colour) return;
    Mark recoloured = *selected;
    recoloured.colour = event.colour;
    ChangeSelected(recoloured);
}

void MarkupDocument::Update(const WidthChosen& event, MarkupAnswer&) {
    style_.width_index = event.index;
    const Mark* selected = Find(view_.selected);
    if (selected == nullptr || !HasWidth(selected->kind) || selected->width_index == event.index) return;
    Mark widened = *selected;
    widened.width_index = event.index;
    ChangeSelected(widened);
}

void MarkupDocument::Update(const TextSizeChosen& event, MarkupAnswer&) {
    style_.text_size_index = event.index;
}

void MarkupDocument::Update(const UndoChosen&, MarkupAnswer&) {
    if (CanUndo()) Restore(at_ - 1);
}

void MarkupDocument::Update(const RedoChosen&, MarkupAnswer&) {
    if (CanRedo()) Restore(at_ + 1);
}

void MarkupDocument::Update(const TextCommitted& event, MarkupAnswer&) {
    const TextEntryRequest entry = text_entry_.value_or(TextEntryRequest{
        event.anchor, style_.colour, style_.text_size_index, kTextSizes[static_cast<size_t>(style_.text_size_index)]});
    text_entry_.reset();
    if (event.text.empty() || event.width == 0 || event.height == 0) return;
    Mark text = NewMark(MarkKind::Text);
    text.box = {event.anchor.x, event.anchor.y, event.anchor.x + event.width, event.anchor.y + event.height};
    text.colour = entry.colour;
    text.text_size_index = entry.size_index;
    text.text = event.text;
    view_.marks.push_back(text);
    Commit();
}

void MarkupDocument::Update(const TextCancelled&, MarkupAnswer&) {
    text_entry_.reset();
}

// --- History -----------------------------------------------------------------------------------

void MarkupDocument::ChangeSelected(const Mark& changed) {
    *FindMark(changed.id) = changed;
    Commit();
}

void MarkupDocument::Commit() {
    Renumber();
    history_.erase(history_.begin() + static_cast<std::ptrdiff_t>(at_) + 1, history_.end());
    history_.push_back({view_.marks, crop_, next_revision_++});
    at_ = history_.size() - 1;
}

void MarkupDocument::Restore(size_t index) {
    at_ = index;
    view_.marks = history_[at_].marks;
    crop_ = history_[at_].crop;
}

void MarkupDocument::Renumber() {
    int number = 0;
    for (Mark& mark : view_.marks) {
        if (mark.kind == MarkKind::Step) mark.step_number = ++number;
    }
}

std::vector<Rect> MarkupDocument::ChangedAreas(const View& before) const {
    std::vector<Rect> areas;
    const std::vector<Mark>&old_marks = before.marks, &new_marks = view_.marks;
    // Both lists lie in the order of the ids: walk them side by side.
    for (size_t i = 0, j = 0; i < old_marks.size() || j < new_marks.size();) {
        const bool take_old = j == new_marks.size() || (i < old_marks.size() && old_marks[i].id <= new_marks[j].id);
        const bool take_new = i == old_marks.size() || (j < new_marks.size() && new_marks[j].id <= old_marks[i].id);
        const Mark* was = take_old ? &old_marks[i++] : nullptr;
        const Mark* is = take_new ? &new_marks[j++] : nullptr;
        const bool was_selected = was != nullptr && was->id == before.selected;
        const bool is_selected = is != nullptr && is->id == view_.selected;
        if (was != nullptr && is != nullptr && *was == *is && was_selected == is_selected) continue;
        if (was != nullptr) AddInkAreas(*was, was_selected, areas);
        if (is != nullptr) AddInkAreas(*is, is_selected, areas);
    }
    if (before.crop_preview != view_.crop_preview) {
        for (const std::optional<Rect>& preview : {before.crop_preview, view_.crop_preview}) {
            if (!preview) continue;
            for (const Rect& line : FrameLines(*preview))
                areas.push_back(line);
        }
    }
    return ClipAndJoin(areas, crop_);
}

} // namespace kelpix::core
