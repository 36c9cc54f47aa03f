#include "core/capture_session.h"

#include "core/frame_geometry.h"

#include <algorithm>

namespace kelpix::core {

namespace {

// The shortest delay, as the main window's arrows and the options dialog offer it. A settings file
// written by hand may hold less: the countdown then starts from this.
constexpr int32_t kShortestDelay = 1;

Action Do(Act act) {
    return {act};
}
Action On(Act act, WindowId window, int value = 0) {
    return {act, window, value};
}
Action Tray(int icon) {
    return {Act::SetTrayIcon, kNoWindow, icon};
}
Action Start(SessionTimer timer, uint32_t ms) {
    return {Act::StartTimer, kNoWindow, static_cast<int>(ms), timer};
}
Action Stop(SessionTimer timer) {
    return {Act::StopTimer, kNoWindow, 0, timer};
}

// Numbers above the icons drawn show the program's icon until the count comes down to them.
int CountdownIcon(int seconds) {
    return seconds <= kCountdownLast ? seconds : kTrayDefault;
}

} // namespace

bool ReleaseScene::OwnWindowsCovered() const {
    if (Overlap(main_window, target)) return true;
    return std::any_of(frame.begin(), frame.end(), [&](const Rect& side) { return Overlap(side, target); });
}

// --- Picking a target --------------------------------------------------------------------------

void CaptureSession::BeginDrag(Actions& out, Drag kind) {
    // A press while a drag is still on (its release never came) starts afresh: the old frame goes.
    if (dragging()) {
        if (target_ != kNoWindow) out.push_back(On(Act::EraseFrame, target_));
        if (drag_ == Drag::FromTray) {
            out.push_back(Stop(SessionTimer::DragWatch));
            out.push_back(Do(Act::RemoveHook));
        }
    }
    out.push_back(Do(Act::ShowDragCursor));
    drag_ = kind;
    target_ = kNoWindow;
    if (kind == Drag::FromTray) {
        button_seen_up_ = false;
        out.push_back(Start(SessionTimer::DragWatch, kDragWatchMs));
        // Last: a failure reported from it ends the drag, and nothing after it may undo that.
        out.push_back(Do(Act::InstallHook));
    }
}

// The drag is over: the watch stops, the pointer and the target icon are back, the frame goes.
void CaptureSession::EndDragLook(Actions& out) {
    if (drag_ == Drag::FromTray) out.push_back(Stop(SessionTimer::DragWatch));
    out.push_back(Do(Act::ShowNormalCursor));
}

Actions CaptureSession::TargetPressed(WindowId under_pointer) {
    Actions out;
    BeginDrag(out, Drag::FromIcon);
    Actions more = PointerOver(under_pointer);
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

Actions CaptureSession::PointerOver(WindowId window) {
    Actions out;
    if (!dragging() || window == target_) return out;
    // From one window to the next the frame moves in one step; with nothing under the pointer it goes.
    if (window == kNoWindow)
        out.push_back(On(Act::EraseFrame, target_));
    else
        out.push_back(On(Act::DrawFrame, window));
    target_ = window;
    return out;
}

Actions CaptureSession::Released(const ReleaseScene& scene) {
    Actions out;
    // A release whose press was not on the target icon ends nothing.
    if (!dragging()) return out;
    EndDragLook(out);
    drag_ = Drag::None;
    busy_ = true;
    // A cooldown still pending from the capture before must not end this one's busy time.
    out.push_back(Stop(SessionTimer::Cooldown));
    own_area_ = false;
    const bool covered = scene.OwnWindowsCovered();
    // A frame that lies outside the target is not in the picture: it goes once the grab is taken.
    const bool frame_first = covered || settings_.delayed_capture;
    if (frame_first && target_ != kNoWindow) out.push_back(On(Act::EraseFrame, target_));
    StartCapture(out, covered, scene.compositor);
    if (!frame_first && target_ != kNoWindow) out.push_back(On(Act::EraseFrame, target_));
    return out;
}

Actions CaptureSession::DragCancelled() {
    Actions out;
    if (!dragging()) return out;
    out.reserve(4);
    if (drag_ == Drag::FromTray) out.push_back(Do(Act::RemoveHook));
    EndDragLook(out);
    if (target_ != kNoWindow) out.push_back(On(Act::EraseFrame, target_));
    target_ = kNoWindow;
    drag_ = Drag::None;
    return out;
}

void CaptureSession::CancelTrayDrag(Actions& out) {
    if (drag_ != Drag::FromTray) return;
    Actions cancel = DragCancelled();
    out.insert(out.end(), cancel.begin(), cancel.end());
}

// --- A drag from the notification-area icon --------------------------------------------------

Actions CaptureSession::HookMove(WindowId under_pointer) {
    if (busy_) return {};
    return PointerOver(under_pointer);
}

Actions CaptureSession::HookRelease(const ReleaseScene& scene) {
    if (busy_) return {};
    Actions out{Do(Act::RemoveHook)};
    // A release with no drag in progress (a report still queued) captures nothing.
    Actions more = Released(scene);
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

Actions CaptureSession::HookFailed() {
    Actions out;
    if (drag_ != Drag::FromTray) return out;
    // No report will come to end the drag: it ends here, without a capture, before the message.
    EndDragLook(out);
    if (target_ != kNoWindow) out.push_back(On(Act::EraseFrame, target_));
    target_ = kNoWindow;
    drag_ = Drag::None;
    out.push_back(Do(Act::ShowHookFailure));
    return out;
}

Actions CaptureSession::TrayNotify(uint32_t mouse_message, bool primary_down, bool modal_up) {
    const TrayContext context{dragging(), busy_, drag_from_tray()};
    Actions out;
    for (TrayAction action : tray_clicks_.OnNotify(mouse_message, context)) {
        switch (action) {
        case TrayAction::StartDragTimer:
            out.push_back(Start(SessionTimer::TrayPress, kDragTimerIntervalMs));
            break;
        case TrayAction::StopDragTimer:
            out.push_back(Stop(SessionTimer::TrayPress));
            break;
        case TrayAction::BeginDrag:
            // Released already, before the hook could see it: no release would ever be reported.
            if (primary_down) BeginDrag(out, Drag::FromTray);
            break;
        case TrayAction::RestoreWindow: {
            Actions more = RestoreFromTray(modal_up);
            out.insert(out.end(), more.begin(), more.end());
            break;
        }
        case TrayAction::ShowMenu:
            out.push_back(Do(Act::ShowTrayMenu));
            break;
        case TrayAction::CancelCountdown:
            CancelCountdown(out);
            break;
        case TrayAction::CancelDrag:
            CancelTrayDrag(out);
            break;
        }
    }
    return out;
}

// --- Capturing ---------------------------------------------------------------------------------

Action CaptureSession::GrabAction() const {
    const bool printed = settings_.print_window && !own_area_;
    return On(Act::Grab, target_, (settings_.draw_cursor ? kGrabWithCursor : 0) | (printed ? kGrabPrinted : 0));
}

Actions CaptureSession::CaptureKeyPressed(WindowId window, bool modal_up, const ReleaseScene& scene) {
    // A drag is decided by its release; a modal window holds the program's input; a capture under
    // way, its countdown or its cooldown refuses another, as for every other capture.
    if (dragging() || modal_up || busy_ || window == kNoWindow) return {};
    Actions out;
    busy_ = true;
    out.push_back(Stop(SessionTimer::Cooldown));
    target_ = window;
    own_area_ = false;
    // In the notification area the main window stays hidden, as after a drag from the icon.
    StartCapture(out, scene.OwnWindowsCovered(), scene.compositor);
    return out;
}

void CaptureSession::StartCapture(Actions& out, bool covered, bool compositor) {
    if (!settings_.delayed_capture && !covered) {
        // Nothing of the program's own lies over the target: the screen shows it as it is, and the
        // main window need not go out of the way.
        out.push_back(GrabAction());
        return;
    }
    out.push_back(Do(Act::HideMainWindow));
    if (!settings_.delayed_capture) {
        if (compositor) {
            // The compositor keeps every window's picture: its next frame is all the wait there is.
            out.push_back(Do(Act::WaitForCompositor));
            out.push_back(GrabAction());
        } else {
            // Other programs repaint what the program's own windows covered before the grab.
            pending_ = Pending::RepaintWait;
            out.push_back(Start(SessionTimer::RepaintWait, kRepaintWaitMs));
        }
        return;
    }
    // The first number shows at once; the grab comes from the tick after the one that showed 1.
    pending_ = Pending::Countdown;
    countdown_ = std::max(settings_.delay_seconds, kShortestDelay);
    out.push_back(Tray(CountdownIcon(countdown_--)));
    out.push_back(Start(SessionTimer::Countdown, kCountdownTickMs));
}

void CaptureSession::CancelCountdown(Actions& out) {
    out.push_back(Stop(SessionTimer::Countdown));
    out.push_back(Stop(SessionTimer::RepaintWait));
    if (in_tray_) {
        out.push_back(Tray(kTrayDefault));
    } else {
        out.push_back(Tray(kTrayNone));
        out.push_back(Do(Act::ShowMainWindow));
    }
    countdown_ = 0;
    pending_ = Pending::None;
    out.push_back(Start(SessionTimer::Cooldown, kCooldownMs));
}

Actions CaptureSession::TimerFired(SessionTimer timer, bool primary_down) {
    Actions out;
    switch (timer) {
    case SessionTimer::Cooldown:
        out.push_back(Stop(timer));
        busy_ = false;
        break;
    case SessionTimer::Countdown:
        if (pending_ != Pending::Countdown) {
            out.push_back(Stop(timer));
        } else if (countdown_ > 0) {
            out.push_back(Tray(CountdownIcon(countdown_--)));
        } else {
            // In the notification area the program's icon comes back; otherwise the icon goes.
            out.push_back(Tray(in_tray_ ? kTrayDefault : kTrayNone));
            out.push_back(Stop(timer));
            pending_ = Pending::None;
            out.push_back(GrabAction());
        }
        break;
    case SessionTimer::RepaintWait:
        out.push_back(Stop(timer));
        if (pending_ != Pending::RepaintWait) break;
        pending_ = Pending::None;
        out.push_back(GrabAction());
        break;
    case SessionTimer::DragWatch:
        if (!drag_from_tray()) {
            out.push_back(Stop(timer));
        } else if (primary_down) {
            button_seen_up_ = false;
        } else if (!button_seen_up_) {
            // The hook's report of the release may still be on its way: one more period for it.
            button_seen_up_ = true;
        } else {
            // It is not coming (a hook the system removed, say): the drag ends without a capture.
            CancelTrayDrag(out);
        }
        break;
    case SessionTimer::TrayPress:
        for (TrayAction action : tray_clicks_.OnDragTimer())
            if (action == TrayAction::StopDragTimer) out.push_back(Stop(timer));
        break;
    case SessionTimer::RecopyFlash:
        out.push_back(Stop(timer));
        if (recopy_flashing_) {
            recopy_flashing_ = false;
            out.push_back(On(Act::PressRecopyButton, kNoWindow, 0));
            out.push_back(On(Act::CopyToClipboard, kNoWindow, 1));
        }
        break;
    }
    return out;
}

Actions CaptureSession::GrabFinished(bool image) {
    Actions out;
    // Nothing grabbed (a target that has gone or lies off every screen): the clipboard keeps what
    // it had. A clipboard that refuses the new image fails quietly. The image is there to paste
    // before the main window takes its time to show again.
    if (image) out.push_back(On(Act::CopyToClipboard, kNoWindow, 0));
    // Whatever the grab gave, the main window is not left hidden outside the notification area.
    if (!in_tray_) out.push_back(Do(Act::ShowMainWindow));
    // After the clipboard, so that a failed save takes nothing from it.
    if (image && settings_.auto_save) out.push_back(On(Act::SaveAutomatically, target_, 0));
    out.push_back(Start(SessionTimer::Cooldown, kCooldownMs));
    return out;
}

// --- Commands ----------------------------------------------------------------------------------

Actions CaptureSession::Run(Command command, WindowId own_window, bool modal_up, bool compositor) {
    // While a target is being picked the frame is on the screen and the release will capture: no
    // command may hide, move or capture anything until it ends.
    if (dragging()) return {};
    Actions out;
    switch (command) {
    case Command::CaptureOwnArea:
        if (busy_ || in_tray_) break;
        busy_ = true;
        out.push_back(Stop(SessionTimer::Cooldown));
        target_ = own_window;
        own_area_ = true;
        // What lies under the main window is the target: the main window covers all of it.
        StartCapture(out, true, compositor);
        break;
    case Command::Recopy:
        // The button shows pressed for a moment, as a click on it would, and the copy follows.
        if (recopy_flashing_) break;
        recopy_flashing_ = true;
        out.push_back(On(Act::PressRecopyButton, kNoWindow, 1));
        out.push_back(Start(SessionTimer::RecopyFlash, kRecopyFlashMs));
        break;
    case Command::StoreInTray:
        StoreInTray(out);
        break;
    case Command::ShowMainWindow:
        return RestoreFromTray(modal_up);
    case Command::Exit:
        exiting_ = true;
        out.push_back(Tray(kTrayNone));
        out.push_back(Do(Act::CloseMainWindow));
        break;
    default:
        out.push_back({Act::Run, kNoWindow, 0, SessionTimer::Cooldown, command});
        break;
    }
    return out;
}

Actions CaptureSession::RecopyClicked() {
    return {On(Act::CopyToClipboard, kNoWindow, 1)};
}

void CaptureSession::StoreInTray(Actions& out) {
    // Storing again repeats the steps and still leaves one icon.
    in_tray_ = true;
    out.push_back(Do(Act::HideMainWindow));
    out.push_back(Tray(kTrayDefault));
}

Actions CaptureSession::RestoreFromTray(bool modal_up) {
    // Behind a modal window the main window would take input the modal one holds back.
    if (modal_up) return {Do(Act::BringModalToFront)};
    in_tray_ = false;
    return {Tray(kTrayNone), Do(Act::RestoreMainWindow)};
}

Actions CaptureSession::FirstShown() {
    Actions out;
    if (settings_.start_in_tray) StoreInTray(out);
    return out;
}

Actions CaptureSession::CloseRequested() {
    // A close during a drag (Alt+F4 with the button held, a close message, the session's end) ends
    // the drag without a capture first: the frame must not stay on the screen.
    Actions out = DragCancelled();
    if (settings_.close_to_tray && !exiting_ && !session_ending_)
        StoreInTray(out);
    else
        out.push_back(Do(Act::EndProgram));
    return out;
}

Actions CaptureSession::SessionEndQueried() {
    // Logoff and shutdown are never refused. Until the session really ends (or the ending is called
    // off), a close ends the program instead of storing it in the notification area.
    session_ending_ = true;
    return {};
}

Actions CaptureSession::SessionEnded(bool ending) {
    if (!ending) {
        session_ending_ = false;
        return {};
    }
    exiting_ = true;
    return {Do(Act::CloseMainWindow)};
}

// --- Settings ----------------------------------------------------------------------------------

void CaptureSession::SettingsChanged(Actions& out, bool always_write) {
    if (always_write || settings_.restore_toggles) out.push_back(Do(Act::WriteSettings));
}

Actions CaptureSession::OptionsApplied(const Settings& chosen) {
    Settings next = chosen;
    next.save_folder = settings_.save_folder;
    settings_ = std::move(next);
    // Written on every OK, changed or not.
    Actions out{Do(Act::ShowSettings)};
    SettingsChanged(out, true);
    return out;
}

Actions CaptureSession::CursorToggled(bool on) {
    settings_.draw_cursor = on;
    Actions out;
    SettingsChanged(out, false);
    return out;
}

Actions CaptureSession::DelayToggled(bool on) {
    settings_.delayed_capture = on;
    Actions out;
    SettingsChanged(out, false);
    return out;
}

Actions CaptureSession::DelayChanged(int32_t seconds) {
    settings_.delay_seconds = seconds;
    Actions out{Do(Act::ShowSettings)};
    SettingsChanged(out, false);
    return out;
}

} // namespace kelpix::core
