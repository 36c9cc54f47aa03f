// The click protocol of the notification-area icon, apart from the platform.
//
// The shell reports mouse activity over the icon as a mouse message number. From those reports, the
// ticks of the 600 ms press timer and two facts about the main window (a target drag in progress, a
// capture pending), TrayClickState works out what the icon should do:
//   - a left press arms the press timer; a movement while armed starts a target drag from the icon;
//   - the release that follows a double click restores the main window;
//   - a right press opens the tray menu;
//   - while a capture is pending, a left or right press cancels the countdown, and every report
//     clears the click state;
//   - while a target drag is in progress every report is ignored, but for the left release of a drag
//     that began on the icon: the button came up over the icon, so the drag ends without a capture.
//
// The state is two flags, "left pressed" and "double clicked", plus whether the press timer runs:
//   Idle             neither flag, timer off
//   Armed            left pressed, timer running
//   AwaitingRelease  double clicked (the timer may still run if the double click came while armed)
//
// Each call updates the state first and then returns the actions for the caller to carry out, in order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace kelpix::core {

// Mouse message numbers as the shell reports them for the icon.
enum class TrayMouseMessage : uint32_t {
    MouseMove = 0x200,
    LeftButtonDown = 0x201,
    LeftButtonUp = 0x202,
    LeftButtonDoubleClick = 0x203,
    RightButtonDown = 0x204,
    RightButtonUp = 0x205,
};

// The press timer's period: a movement must be reported within this time after a left press to start
// a drag. The timer fires once and is then switched off.
inline constexpr uint32_t kTrayPressMs = 600;

enum class TrayAction : uint8_t {
    StartPressTimer, // switch the press timer on; a timer that already runs keeps its period
    StopPressTimer,  // switch the press timer off (harmless when it is off)
    BeginDrag,       // begin a target drag, then install the drag hook
    RestoreWindow,   // remove the tray icon, then restore the main window from the notification area
    ShowMenu,        // pop up the tray menu at the cursor
    CancelCountdown, // cancel the delayed capture
    CancelDrag,      // end the target drag that began on the icon, capturing nothing
};

// The actions of one step, in the order they are to be carried out.
class TrayActions {
public:
    static constexpr size_t kCapacity = 4;

    TrayActions() = default;
    TrayActions(std::initializer_list<TrayAction> actions);

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    TrayAction operator[](size_t index) const;
    const TrayAction* begin() const { return items_.data(); }
    const TrayAction* end() const { return items_.data() + count_; }
    bool contains(TrayAction action) const;

    void push(TrayAction action);

    friend bool operator==(const TrayActions& a, const TrayActions& b);

private:
    std::array<TrayAction, kCapacity> items_{};
    size_t count_ = 0;
};

// What the main window is doing when a report comes.
struct TrayContext {
    bool drag_in_progress = false;    // a target drag runs (its tracking state is not idle)
    bool capture_busy = false;        // a capture is pending or running
    bool drag_from_tray_icon = false; // the drag in progress began on the icon
};

enum class TrayClickPhase : uint8_t { Idle, Armed, AwaitingRelease };

class TrayClickState {
public:
    // A report from the shell; `mouse_message` may be any number, unknown ones do nothing.
    TrayActions OnNotify(uint32_t mouse_message, TrayContext context);
    TrayActions OnNotify(TrayMouseMessage message, TrayContext context) {
        return OnNotify(static_cast<uint32_t>(message), context);
    }

    // The press timer fired: the click state is cleared and the timer switched off.
    TrayActions OnPressTimer();

    // Clears both flags and switches the press timer off.
    TrayActions Reset();

    bool left_pressed() const { return left_pressed_; }
    bool double_clicked() const { return double_clicked_; }
    bool press_timer_running() const { return press_timer_running_; }
    TrayClickPhase phase() const;

private:
    void ResetInto(TrayActions& actions);

    bool left_pressed_ = false;
    bool double_clicked_ = false;
    bool press_timer_running_ = false;
};

} // namespace kelpix::core
