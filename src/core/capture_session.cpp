#include "core/capture_session.h"

#include "core/frame_geometry.h"
#include "core/icons.h"
#include "core/texts.h"

#include <algorithm>

namespace kelpix::core {

namespace {

Action Plain(Act act) {
    return {act};
}
Action OnWindow(Act act, WindowId window) {
    return {.act = act, .window = window};
}
Action ShowTrayIcon(int icon) {
    return {.act = Act::SetTrayIcon, .tray_icon = icon};
}
Action StartTimer(SessionTimer timer) {
    return {.act = Act::StartTimer, .timer = timer};
}
Action StopTimer(SessionTimer timer) {
    return {.act = Act::StopTimer, .timer = timer};
}
Action CopyToClipboard(bool report_failure, bool with_file) {
    return {.act = Act::CopyToClipboard, .report_failure = report_failure, .with_file = with_file};
}
Action PressRecopyButton(bool down) {
    return {.act = Act::PressRecopyButton, .on = down};
}
Action Show(Message message, std::wstring text = {}) {
    return {.act = Act::ShowMessage, .message = message, .text = std::move(text)};
}

// The mouse messages the shell reports for the tray icon.
enum TrayMouse : uint32_t {
    kMouseMove = 0x200,
    kLeftButtonDown = 0x201,
    kLeftButtonUp = 0x202,
    kLeftButtonDoubleClick = 0x203,
    kRightButtonDown = 0x204,
};

// Numbers above the icons drawn show the program's icon until the count comes down to them.
int CountdownIcon(int seconds) {
    return seconds <= kCountdownLast ? seconds : kTrayDefault;
}

} // namespace

bool ReleaseScene::OwnWindowsCovered() const {
    if (Overlap(main_window, target)) return true;
    return std::any_of(frame.begin(), frame.end(), [&](const Rect& side) { return Overlap(side, target); });
}

Actions CaptureSession::Handle(const Event& event) {
    return std::visit([this](const auto& e) { return Update(e); }, event);
}

// --- Picking a target --------------------------------------------------------------------------

void CaptureSession::BeginDrag(Actions& out, Drag kind) {
    // A press while a drag is still on (its release never came) starts afresh: the old frame goes.
    if (dragging()) {
        if (target_ != kNoWindow) out.push_back(OnWindow(Act::EraseFrame, target_));
        if (drag_ == Drag::FromTrayIcon) {
            out.push_back(StopTimer(SessionTimer::DragWatch));
            out.push_back(Plain(Act::RemoveHook));
        }
    }
    out.push_back(Plain(Act::ShowDragCursor));
    drag_ = kind;
    target_ = kNoWindow;
    if (kind == Drag::FromTrayIcon) {
        button_seen_up_ = false;
        out.push_back(StartTimer(SessionTimer::DragWatch));
        // A failure comes back as HookFailed, once this list has been carried out.
        out.push_back(Plain(Act::InstallHook));
    }
}

void CaptureSession::EndDragCursor(Actions& out) {
    if (drag_ == Drag::FromTrayIcon) out.push_back(StopTimer(SessionTimer::DragWatch));
    out.push_back(Plain(Act::ShowNormalCursor));
}

Actions CaptureSession::Update(const TargetPressed& event) {
    Actions out;
    BeginDrag(out, Drag::FromTargetIcon);
    Actions more = Update(PointerOver{event.under_pointer});
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

Actions CaptureSession::Update(const PointerOver& event) {
    Actions out;
    const WindowId window = event.window;
    if (!dragging() || window == target_) return out;
    // From one window to the next the frame moves in one step; with nothing under the pointer it goes.
    if (window == kNoWindow)
        out.push_back(OnWindow(Act::EraseFrame, target_));
    else
        out.push_back(OnWindow(Act::DrawFrame, window));
    target_ = window;
    return out;
}

Actions CaptureSession::Update(const Released& event) {
    Actions out;
    // A release whose press was not on the target icon ends nothing.
    if (!dragging()) return out;
    EndDragCursor(out);
    drag_ = Drag::None;
    busy_ = true;
    // A cooldown still pending from the capture before must not end this one's busy time.
    out.push_back(StopTimer(SessionTimer::Cooldown));
    own_area_ = false;
    const bool covered = event.scene.OwnWindowsCovered();
    if (covered || settings_.delayed_capture) {
        if (target_ != kNoWindow) out.push_back(OnWindow(Act::EraseFrame, target_));
    } else {
        // A frame that lies outside the target is not in the picture: it stays until the image is
        // on the clipboard.
        frame_after_grab_ = target_;
    }
    StartCapture(out, covered, event.scene.compositor);
    return out;
}

Actions CaptureSession::Update(const DragCancelled&) {
    Actions out;
    CancelDrag(out);
    return out;
}

void CaptureSession::CancelDrag(Actions& out) {
    if (!dragging()) return;
    out.reserve(out.size() + 4);
    if (drag_ == Drag::FromTrayIcon) out.push_back(Plain(Act::RemoveHook));
    EndDragCursor(out);
    if (target_ != kNoWindow) out.push_back(OnWindow(Act::EraseFrame, target_));
    target_ = kNoWindow;
    drag_ = Drag::None;
}

// --- A drag from the notification-area icon --------------------------------------------------

Actions CaptureSession::Update(const HookMove& event) {
    if (busy_) return {};
    return Update(PointerOver{event.under_pointer});
}

Actions CaptureSession::Update(const HookRelease& event) {
    if (busy_) return {};
    Actions out{Plain(Act::RemoveHook)};
    // A release with no drag in progress (a report still queued) captures nothing.
    Actions more = Update(Released{event.scene});
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

Actions CaptureSession::Update(const HookFailed& event) {
    Actions out;
    if (drag_ != Drag::FromTrayIcon) return out;
    // No report will come to end the drag: it ends here, without a capture, before the message.
    EndDragCursor(out);
    if (target_ != kNoWindow) out.push_back(OnWindow(Act::EraseFrame, target_));
    target_ = kNoWindow;
    drag_ = Drag::None;
    if (!event.no_block)
        out.push_back(Show(Message::HookInstallFailed));
    else if (!std::exchange(tray_drags_unavailable_, true))
        out.push_back(Show(Message::TrayDragsUnavailable));
    return out;
}

Actions CaptureSession::Update(const TrayNotify& event) {
    Actions out;
    // During a drag every report is ignored, but the release of a drag that began on the icon: the
    // button came up over the icon, and the drag ends without a capture.
    if (dragging()) {
        if (drag_from_tray() && event.mouse_message == kLeftButtonUp) CancelDrag(out);
        return out;
    }
    // While a capture is under way a press cancels its countdown; every report clears the clicks.
    if (busy_) {
        if (event.mouse_message == kLeftButtonDown || event.mouse_message == kRightButtonDown) CancelCountdown(out);
        ClearTrayClicks(out);
        return out;
    }
    TrayClick(out, event);
    return out;
}

void CaptureSession::TrayClick(Actions& out, const TrayNotify& event) {
    switch (event.mouse_message) {
    case kMouseMove:
        // Released already, before the hook could see it: no release would ever be reported.
        if (tray_left_pressed_ && event.primary_down && !tray_drags_unavailable_) BeginDrag(out, Drag::FromTrayIcon);
        ClearTrayClicks(out);
        break;
    case kLeftButtonDown:
        if (!tray_double_clicked_) {
            tray_left_pressed_ = true;
            out.push_back(StartTimer(SessionTimer::TrayPress));
        }
        break;
    case kLeftButtonUp:
        if (tray_double_clicked_) RestoreFromTray(out, event.modal_up);
        ClearTrayClicks(out);
        break;
    case kLeftButtonDoubleClick:
        tray_left_pressed_ = false;
        tray_double_clicked_ = true;
        break;
    case kRightButtonDown:
        out.push_back(Plain(Act::ShowTrayMenu));
        break;
    default:
        break;
    }
}

void CaptureSession::ClearTrayClicks(Actions& out) {
    tray_left_pressed_ = tray_double_clicked_ = false;
    out.push_back(StopTimer(SessionTimer::TrayPress));
}

// --- Capturing ---------------------------------------------------------------------------------

Action CaptureSession::GrabAction() const {
    // The own area is the screen under the main window, no window: neither printed nor shaped.
    const bool printed = settings_.print_window && !own_area_, shaped = settings_.shape_mask && !own_area_;
    return {.act = Act::Grab,
            .window = target_,
            .grab = (settings_.draw_cursor ? kGrabWithCursor : 0) | (printed ? kGrabPrinted : 0) |
                    (shaped ? kGrabShaped : 0)};
}

Actions CaptureSession::Update(const CaptureKeyPressed& event) {
    // A drag is decided by its release; a modal window holds the program's input; a capture under
    // way, its countdown or its cooldown refuses another, as for every other capture.
    if (dragging() || event.modal_up || busy_ || event.window == kNoWindow) return {};
    Actions out;
    busy_ = true;
    out.push_back(StopTimer(SessionTimer::Cooldown));
    target_ = event.window;
    own_area_ = false;
    // In the notification area the main window stays hidden, as after a drag from the tray icon.
    StartCapture(out, event.scene.OwnWindowsCovered(), event.scene.compositor);
    return out;
}

void CaptureSession::StartCapture(Actions& out, bool covered, bool compositor) {
    if (!settings_.delayed_capture && !covered) {
        // Nothing of the program's own lies over the target: the screen shows it as it is, and the
        // main window need not go out of the way.
        out.push_back(GrabAction());
        return;
    }
    out.push_back(Plain(Act::HideMainWindow));
    if (!settings_.delayed_capture) {
        if (compositor) {
            // The compositor keeps every window's picture: its next frame is all the wait there is.
            out.push_back(Plain(Act::WaitForCompositor));
            out.push_back(GrabAction());
        } else {
            // Other programs repaint what the program's own windows covered before the grab.
            pending_ = Pending::RepaintWait;
            out.push_back(StartTimer(SessionTimer::RepaintWait));
        }
        return;
    }
    // The first number shows at once; the grab comes from the tick after the one that showed 1.
    pending_ = Pending::Countdown;
    countdown_ = std::max(settings_.delay_seconds, kShortestDelay);
    out.push_back(ShowTrayIcon(CountdownIcon(countdown_--)));
    out.push_back(StartTimer(SessionTimer::Countdown));
}

void CaptureSession::CancelCountdown(Actions& out) {
    out.push_back(StopTimer(SessionTimer::Countdown));
    out.push_back(StopTimer(SessionTimer::RepaintWait));
    if (in_tray_) {
        out.push_back(ShowTrayIcon(kTrayDefault));
    } else {
        out.push_back(ShowTrayIcon(kTrayNone));
        out.push_back(Plain(Act::ShowMainWindow));
    }
    countdown_ = 0;
    pending_ = Pending::None;
    out.push_back(StartTimer(SessionTimer::Cooldown));
}

Actions CaptureSession::Update(const TimerFired& event) {
    Actions out;
    const SessionTimer timer = event.timer;
    switch (timer) {
    case SessionTimer::Cooldown:
        out.push_back(StopTimer(timer));
        busy_ = false;
        break;
    case SessionTimer::Countdown:
        if (pending_ != Pending::Countdown) {
            out.push_back(StopTimer(timer));
        } else if (countdown_ > 0) {
            out.push_back(ShowTrayIcon(CountdownIcon(countdown_--)));
        } else {
            // In the notification area the program's icon comes back; otherwise the icon goes.
            out.push_back(ShowTrayIcon(in_tray_ ? kTrayDefault : kTrayNone));
            out.push_back(StopTimer(timer));
            pending_ = Pending::None;
            out.push_back(GrabAction());
        }
        break;
    case SessionTimer::RepaintWait:
        out.push_back(StopTimer(timer));
        if (pending_ != Pending::RepaintWait) break;
        pending_ = Pending::None;
        out.push_back(GrabAction());
        break;
    case SessionTimer::DragWatch:
        if (!drag_from_tray()) {
            out.push_back(StopTimer(timer));
        } else if (event.primary_down) {
            button_seen_up_ = false;
        } else if (!button_seen_up_) {
            // The hook's report of the release may still be on its way: one more period for it.
            button_seen_up_ = true;
        } else {
            // It is not coming (a hook the system removed, say): the drag ends without a capture.
            CancelDrag(out);
        }
        break;
    case SessionTimer::TrayPress:
        ClearTrayClicks(out);
        break;
    case SessionTimer::RecopyFlash:
        out.push_back(StopTimer(timer));
        if (recopy_flashing_) {
            recopy_flashing_ = false;
            out.push_back(PressRecopyButton(false));
            out.push_back(CopyToClipboard(true, settings_.copy_as_file));
        }
        break;
    }
    return out;
}

Actions CaptureSession::Update(const GrabFinished& event) {
    Actions out;
    out.reserve(7); // as many as there can be; also keeps GCC 12 from a false -Wstringop-overflow
    const bool image = event.image;
    // A copy as a file takes the automatically saved file: then the save comes first, and the one
    // encoding serves both.
    const bool save = image && settings_.auto_save, saveFirst = save && settings_.copy_as_file;
    if (saveFirst) out.push_back(Plain(Act::SaveAutomatically));
    // Nothing grabbed (a target that has gone or lies off every screen): the clipboard keeps what
    // it had. A clipboard that refuses the new image fails quietly. The image is there to paste
    // before the frame goes and the main window takes its time to show again.
    if (image) out.push_back(CopyToClipboard(false, settings_.copy_as_file));
    if (frame_after_grab_ != kNoWindow)
        out.push_back(OnWindow(Act::EraseFrame, std::exchange(frame_after_grab_, kNoWindow)));
    // Whatever the grab gave, the main window is not left hidden outside the notification area.
    if (!in_tray_) out.push_back(Plain(Act::ShowMainWindow));
    // A failed save takes nothing from the clipboard, before or after it.
    if (save && !saveFirst) out.push_back(Plain(Act::SaveAutomatically));
    out.push_back(StartTimer(SessionTimer::Cooldown));
    if (image && settings_.edit_after_capture) out.push_back(Plain(Act::OpenEditor));
    // Last: the image is kept among the recent captures once everything else has it.
    if (image) out.push_back(Plain(Act::KeepRecentCapture));
    return out;
}

Actions CaptureSession::Update(const ImageEdited&) {
    // As a capture's image: on the clipboard, and saved as a file of its own; the unmarked one stays,
    // and only it among the recent captures (which are what captures gave).
    Actions out;
    const bool saveFirst = settings_.auto_save && settings_.copy_as_file;
    if (saveFirst) out.push_back(Plain(Act::SaveAutomatically));
    out.push_back(CopyToClipboard(true, settings_.copy_as_file));
    if (settings_.auto_save && !saveFirst) out.push_back(Plain(Act::SaveAutomatically));
    return out;
}

Actions CaptureSession::Update(const RecentCaptureRestored&) {
    // On the clipboard as a new capture's image is; it is saved already, or was not to be.
    return {CopyToClipboard(true, settings_.copy_as_file)};
}

Actions CaptureSession::Update(const ImageDragged&) {
    // The drag runs a loop of its own; during a pick the target icon has the mouse.
    if (dragging()) return {};
    return {Plain(Act::DragImageOut)};
}

// --- Commands ----------------------------------------------------------------------------------

Actions CaptureSession::Update(const CommandChosen& event) {
    // While a target is being picked the frame is on the screen and the release will capture: no
    // command may hide, move or capture anything until it ends.
    if (dragging()) return {};
    Actions out;
    switch (event.command) {
    case Command::CaptureOwnArea:
        if (busy_ || in_tray_) break;
        busy_ = true;
        out.push_back(StopTimer(SessionTimer::Cooldown));
        target_ = event.own_window;
        own_area_ = true;
        // What lies under the main window is the target: the main window covers all of it.
        StartCapture(out, true, event.compositor);
        break;
    case Command::StoreInTray:
        StoreInTray(out);
        break;
    case Command::ShowFromTray:
        RestoreFromTray(out, event.modal_up);
        break;
    case Command::Exit:
        exiting_ = true;
        out.push_back(ShowTrayIcon(kTrayNone));
        out.push_back(Plain(Act::CloseMainWindow));
        break;
    case Command::Save:
    case Command::Options:
    case Command::Help: {
        // Each opens a window of its own; one modal window at a time, and that one comes to the front.
        const Act opens = event.command == Command::Save      ? Act::OpenSaveDialog
                          : event.command == Command::Options ? Act::OpenOptions
                                                              : Act::OpenHelp;
        out.push_back(Plain(event.modal_up ? Act::BringModalToFront : opens));
        break;
    }
    case Command::DefaultSize:
        out.push_back(Plain(Act::RestoreDefaultSize));
        break;
    case Command::FitToWindowBelow:
        out.push_back(Plain(Act::FitToWindowBelow));
        break;
    case Command::Recopy:
    case Command::EditImage:
    case Command::CopyAsFile:
    case Command::RecentCapture:
        ImageCommand(out, event);
        break;
    case Command::Translucent:
        translucent_ = !translucent_;
        out.push_back({.act = Act::ShowTranslucent, .on = translucent_});
        break;
    }
    return out;
}

void CaptureSession::ImageCommand(Actions& out, const CommandChosen& event) {
    switch (event.command) {
    case Command::Recopy:
        // The button shows pressed for a moment, as a click on it would, and the copy follows.
        if (recopy_flashing_) break;
        recopy_flashing_ = true;
        out.push_back(PressRecopyButton(true));
        out.push_back(StartTimer(SessionTimer::RecopyFlash));
        break;
    case Command::EditImage:
        // Nothing to edit without an image; while a capture is under way it waits for its end.
        if (!event.image || busy_) break;
        out.push_back(Plain(event.modal_up ? Act::BringModalToFront : Act::OpenEditor));
        break;
    case Command::CopyAsFile:
        if (event.image) out.push_back(CopyToClipboard(true, true));
        break;
    case Command::RecentCapture:
        // A capture under way gives the last image itself; a modal window may be showing this one.
        if (busy_) break;
        if (event.modal_up)
            out.push_back(Plain(Act::BringModalToFront));
        else
            out.push_back({.act = Act::RestoreRecentCapture, .capture_number = event.capture_number});
        break;
    default:
        break;
    }
}

Actions CaptureSession::Update(const RecopyClicked&) {
    return {CopyToClipboard(true, settings_.copy_as_file)};
}

void CaptureSession::StoreInTray(Actions& out) {
    // Storing again repeats the steps and still leaves one icon.
    in_tray_ = true;
    out.push_back(Plain(Act::HideMainWindow));
    out.push_back(ShowTrayIcon(kTrayDefault));
}

void CaptureSession::RestoreFromTray(Actions& out, bool modal_up) {
    // Behind a modal window the main window would take input the modal one holds back.
    if (modal_up) {
        out.push_back(Plain(Act::BringModalToFront));
        return;
    }
    in_tray_ = false;
    out.push_back(ShowTrayIcon(kTrayNone));
    out.push_back(Plain(Act::RestoreMainWindow));
}

Actions CaptureSession::Update(const Failure& event) {
    // Told once every event before it has run to its end (the message opens a loop of its own).
    return {Show(event.warning ? Message::Warning : Message::Failure, event.message)};
}

Actions CaptureSession::Update(const FirstShown&) {
    Actions out;
    if (settings_.start_in_tray) StoreInTray(out);
    return out;
}

Actions CaptureSession::Update(const AnotherStart& event) {
    // A drag, or a capture waiting for its grab with the main window out of the way, goes on as it is.
    Actions out;
    if (dragging() || pending_ != Pending::None) return out;
    RestoreFromTray(out, event.modal_up);
    return out;
}

Actions CaptureSession::Update(const CloseRequested&) {
    // A close during a drag (Alt+F4 with the button held, a close message, the session's end) ends
    // the drag without a capture first: the frame must not stay on the screen.
    Actions out;
    CancelDrag(out);
    if (settings_.close_to_tray && !exiting_ && !session_ending_)
        StoreInTray(out);
    else
        out.push_back(Plain(Act::EndProgram));
    return out;
}

Actions CaptureSession::Update(const SessionEndQueried&) {
    // Logoff and shutdown are never refused. Until the session really ends (or the ending is called
    // off), a close ends the program instead of storing it in the notification area.
    session_ending_ = true;
    return {};
}

Actions CaptureSession::Update(const SessionEnded& event) {
    if (!event.ending) {
        session_ending_ = false;
        return {};
    }
    exiting_ = true;
    return {Plain(Act::CloseMainWindow)};
}

// --- Settings ----------------------------------------------------------------------------------

void CaptureSession::SettingsChanged(Actions& out, bool always_write) {
    if (always_write || settings_.restore_toggles) out.push_back(Plain(Act::WriteSettings));
}

Actions CaptureSession::Update(const OptionsApplied& event) {
    Settings next = event.chosen;
    next.save_folder = settings_.save_folder;
    const bool languageChanged = next.language != settings_.language;
    settings_ = std::move(next);
    // Written on every OK, changed or not; the keys are held anew, a refusal reported as a Failure.
    Actions out{Plain(Act::ShowSettings)};
    SettingsChanged(out, true);
    out.push_back(Plain(Act::HoldShortcutKeys));
    // Only a change is written: a value naming another copy of the program stays as the user left it.
    if (event.start_with_windows != event.start_with_windows_shown)
        out.push_back({.act = Act::SetStartWithWindows, .on = event.start_with_windows});
    if (languageChanged) out.push_back(Plain(Act::ShowLanguage));
    return out;
}

Actions CaptureSession::Update(const CursorToggled& event) {
    settings_.draw_cursor = event.on;
    Actions out;
    SettingsChanged(out, false);
    return out;
}

Actions CaptureSession::Update(const DelayToggled& event) {
    settings_.delayed_capture = event.on;
    Actions out;
    SettingsChanged(out, false);
    return out;
}

Actions CaptureSession::Update(const DelayChanged& event) {
    settings_.delay_seconds = event.seconds;
    Actions out{Plain(Act::ShowSettings)};
    SettingsChanged(out, false);
    return out;
}

Actions CaptureSession::Update(const SavedTo& event) {
    settings_.save_folder = event.folder;
    return {};
}

} // namespace kelpix::core
