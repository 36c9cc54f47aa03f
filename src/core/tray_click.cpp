#include "core/tray_click.h"

#include <algorithm>
#include <stdexcept>

namespace kelpix::core {

TrayActions::TrayActions(std::initializer_list<TrayAction> actions) {
    for (TrayAction action : actions)
        push(action);
}

TrayAction TrayActions::operator[](size_t index) const {
    if (index >= count_) throw std::out_of_range("no such tray action");
    return items_[index];
}

bool TrayActions::contains(TrayAction action) const {
    return std::find(begin(), end(), action) != end();
}

void TrayActions::push(TrayAction action) {
    if (count_ == kCapacity) throw std::length_error("too many tray actions in one step");
    items_[count_++] = action;
}

bool operator==(const TrayActions& a, const TrayActions& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

TrayClickPhase TrayClickState::phase() const {
    if (double_clicked_) return TrayClickPhase::AwaitingRelease;
    if (left_pressed_) return TrayClickPhase::Armed;
    return TrayClickPhase::Idle;
}

void TrayClickState::ResetInto(TrayActions& actions) {
    left_pressed_ = false;
    double_clicked_ = false;
    press_timer_running_ = false;
    actions.push(TrayAction::StopPressTimer);
}

TrayActions TrayClickState::Reset() {
    TrayActions actions;
    ResetInto(actions);
    return actions;
}

TrayActions TrayClickState::OnPressTimer() {
    return Reset();
}

TrayActions TrayClickState::OnNotify(uint32_t mouse_message, TrayContext context) {
    TrayActions actions;
    const auto message = static_cast<TrayMouseMessage>(mouse_message);
    if (context.drag_in_progress) {
        if (context.drag_from_tray_icon && message == TrayMouseMessage::LeftButtonUp)
            actions.push(TrayAction::CancelDrag);
        return actions;
    }

    if (context.capture_busy) {
        if (message == TrayMouseMessage::LeftButtonDown || message == TrayMouseMessage::RightButtonDown)
            actions.push(TrayAction::CancelCountdown);
        ResetInto(actions);
        return actions;
    }

    switch (message) {
    case TrayMouseMessage::MouseMove: {
        const bool start_drag = left_pressed_;
        if (start_drag) actions.push(TrayAction::BeginDrag);
        ResetInto(actions);
        break;
    }
    case TrayMouseMessage::LeftButtonDown:
        if (!double_clicked_) {
            left_pressed_ = true;
            press_timer_running_ = true;
            actions.push(TrayAction::StartPressTimer);
        }
        break;
    case TrayMouseMessage::LeftButtonUp: {
        const bool restore = double_clicked_;
        if (restore) actions.push(TrayAction::RestoreWindow);
        ResetInto(actions);
        break;
    }
    case TrayMouseMessage::LeftButtonDoubleClick:
        left_pressed_ = false;
        double_clicked_ = true;
        break;
    case TrayMouseMessage::RightButtonDown:
        actions.push(TrayAction::ShowMenu);
        break;
    default:
        break;
    }
    return actions;
}

} // namespace kelpix::core
