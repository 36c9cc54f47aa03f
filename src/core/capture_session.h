// One run of the program apart from the platform: picking a target, the delayed and immediate
// captures, the cooldown after each, the notification area, closing and the session's end.
//
// What happens to the windows comes in as events, plain data (core/session_events.h); the session's
// one entry, Handle, updates the state and returns what the program is to do now (actions), in
// order (core/session_actions.h). Windows are opaque numbers here; the caller carries the actions out and
// reports back, as further events, what only it can know: whether a grab gave an image, whether the
// hook could be installed. Those are handled after the list that asked for them, never inside it.
//
// The flow of one capture:
//   target pressed → (window under the pointer)* → released:
//       cursor and target icon back, busy; then
//       - nothing of the program's own over the target: the grab at once (the frame, outside it,
//         goes once the image is on the clipboard);
//       - else frame off, main window hidden, and either the countdown (one tray number a second,
//         from the delay down to 1), or the grab after the compositor's next frame where one runs,
//         else after the short wait for other programs to repaint what the program's windows covered;
//   then the image on the clipboard, the main window shown again (unless stored in the notification
//   area), and the cooldown during which no other capture starts.
#pragma once

#include "core/session_actions.h"
#include "core/session_events.h"
#include "core/settings.h"

#include <utility>

namespace kelpix::core {

class CaptureSession {
public:
    explicit CaptureSession(Settings settings = {}) : settings_(std::move(settings)) {}

    // The one entry: the event updates the state; the answer is what the program is to do now.
    Actions Handle(const Event& event);

    const Settings& settings() const { return settings_; }
    bool dragging() const { return drag_ != Drag::None; }
    bool drag_from_tray() const { return drag_ == Drag::FromTrayIcon; }
    bool busy() const { return busy_; }
    bool in_tray() const { return in_tray_; }
    WindowId target() const { return target_; }

private:
    // The target icon on the main window, or the icon in the notification area.
    enum class Drag : uint8_t { None, FromTargetIcon, FromTrayIcon };
    // What the grab to come waits for; a timer's tick for anything else is stale and does nothing.
    enum class Pending : uint8_t { None, RepaintWait, Countdown };

    Actions Update(const TargetPressed& event);
    Actions Update(const PointerOver& event);
    Actions Update(const Released& event);
    Actions Update(const DragCancelled& event);
    Actions Update(const HookMove& event);
    Actions Update(const HookRelease& event);
    Actions Update(const HookFailed& event);
    Actions Update(const TrayNotify& event);
    Actions Update(const CaptureKeyPressed& event);
    Actions Update(const TimerFired& event);
    Actions Update(const CommandChosen& event);
    Actions Update(const RecopyClicked& event);
    Actions Update(const GrabFinished& event);
    Actions Update(const ImageEdited& event);
    Actions Update(const Failure& event);
    Actions Update(const FirstShown& event);
    Actions Update(const AnotherStart& event);
    Actions Update(const CloseRequested& event);
    Actions Update(const SessionEndQueried& event);
    Actions Update(const SessionEnded& event);
    Actions Update(const OptionsApplied& event);
    Actions Update(const CursorToggled& event);
    Actions Update(const DelayToggled& event);
    Actions Update(const DelayChanged& event);
    Actions Update(const SavedTo& event);
    Actions Update(const ImageDragged& event);
    Actions Update(const RecentCaptureRestored& event);

    void BeginDrag(Actions& out, Drag kind);
    // The drag is over: its watch stops, the pointer and the target icon are back.
    void EndDragCursor(Actions& out);
    void CancelDrag(Actions& out);
    // covered: the program's own windows covered part of the target, which must first be repainted.
    void StartCapture(Actions& out, bool covered, bool compositor);
    Action GrabAction() const;
    void TimerTicked(Actions& out, const TimerFired& event);
    void StoreInTray(Actions& out);
    void RestoreFromTray(Actions& out, bool modal_up);
    void CancelCountdown(Actions& out);
    // The tray icon's click protocol: a press arms the press timer, a movement while armed drags,
    // the release after a double click restores, a right press opens the menu.
    void TrayClick(Actions& out, const TrayNotify& event);
    void ClearTrayClicks(Actions& out);
    void SettingsChanged(Actions& out, bool always_write);
    // The commands on the last image: copy it again, edit it, copy it as a file, bring a recent one back.
    void ImageCommand(Actions& out, const CommandChosen& event);

    Settings settings_;
    Drag drag_ = Drag::None;
    Pending pending_ = Pending::None;
    WindowId target_ = kNoWindow;
    bool own_area_ = false;                 // the capture to come is of the program's own area, never printed
    WindowId frame_after_grab_ = kNoWindow; // framed outside the target: the frame goes after the grab
    bool busy_ = false;
    bool in_tray_ = false;
    bool exiting_ = false;
    bool session_ending_ = false;
    bool button_seen_up_ = false; // the drag watch found the button up on its last tick
    bool recopy_flashing_ = false;
    bool translucent_ = false;
    bool tray_drags_unavailable_ = false; // told once; a drag from the tray icon starts no more
    bool tray_left_pressed_ = false;      // armed: the press timer runs
    bool tray_double_clicked_ = false;    // the next left release restores the main window
    int countdown_ = 0;                   // seconds still to show
};

} // namespace kelpix::core
