// What happens to the program's windows, as the capture session hears of it: one struct each, plain
// data, in the variant Event. Each event's name (the trace's and the tests') is in kEventNames.
#pragma once

#include "core/commands.h"
#include "core/rect.h"
#include "core/session_actions.h"
#include "core/settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kelpix::core {

// The screen at the moment of a release, as the windows report it: the target's visible bounds, the
// main window's while it is shown (else empty), the frame's sides that are shown, and whether the
// desktop compositor runs. The grab waits for other programs to repaint only what the program's own
// windows covered of the target.
struct ReleaseScene {
    Rect target, main_window;
    std::array<Rect, 4> frame{};
    bool compositor = false;

    // Something of the program's own lay over part of the target.
    bool OwnWindowsCovered() const;
};

// Picking a target with the mouse on the target icon: pressed, moved over a window, released, or
// the mouse taken away with the button held.
struct TargetPressed {
    WindowId under_pointer = kNoWindow;
};
struct PointerOver {
    WindowId window = kNoWindow;
};
struct Released {
    ReleaseScene scene;
};
struct DragCancelled {};

// A drag from the tray icon, reported by the mouse hook. HookFailed: the hook could not be
// installed (the drag ends, the user is told); no_block: the shared block the hook reports through
// cannot be had, and no drag from the tray icon can work in this run.
struct HookMove {
    WindowId under_pointer = kNoWindow;
};
struct HookRelease {
    ReleaseScene scene;
};
struct HookFailed {
    bool no_block = false;
};

// The shell's report of the mouse over the tray icon; primary_down: the primary button is down now.
struct TrayNotify {
    uint32_t mouse_message = 0;
    bool primary_down = false;
    bool modal_up = false; // a modal window of the program's is up (also in the events below)
};

// A global shortcut key: a capture of the window it picked (under the pointer, or the foreground
// one), the main window shown or stored in the notification area. scene: as at a release (no frame
// is shown), for the wait before the grab.
struct CaptureKeyPressed {
    WindowId window = kNoWindow;
    bool modal_up = false;
    ReleaseScene scene;
};

// primary_down matters for DragWatch only.
struct TimerFired {
    SessionTimer timer = SessionTimer::Cooldown;
    bool primary_down = false;
};

// A command from a menu or a shortcut. own_window: the main window, the target of the own-area
// capture; compositor: the desktop compositor runs; image: there is a last image.
struct CommandChosen {
    Command command = Command::Save;
    WindowId own_window = kNoWindow;
    bool modal_up = false;
    bool compositor = false;
    bool image = false;
    uint32_t capture_number = 0; // Command::RecentCapture: the one chosen (its CaptureFacts::number)
};
struct RecopyClicked {}; // a click on the re-copy button itself: the copy at once
// The grab asked for has been done; image: it gave a picture (the last image is now that).
struct GrabFinished {
    bool image = false;
};
// The markup editor handed its image over: the last image is now the marked one.
struct ImageEdited {};
struct ImageDragged {};          // the last image pressed on and moved beyond the system's drag distance
struct RecentCaptureRestored {}; // the recent capture chosen is the last image again
// Something the program was asked to do failed; the user is to be told, once the queue is empty.
struct Failure {
    std::wstring message;
    bool warning = false; // a warning rather than an error
};
struct FirstShown {}; // the main window was shown for the first time
// Kelpix was started again while it runs: the running one shows itself instead.
struct AnotherStart {
    bool modal_up = false;
};
struct CloseRequested {}; // close box, Alt+F4, a close message, or the exit command
// The system asks whether the session may end, then says whether it ends.
struct SessionEndQueried {};
struct SessionEnded {
    bool ending = false;
};

// Settings. OptionsApplied: OK in the options dialog, with what it holds (everything but the save
// folder) and its start-with-Windows box, ticked now and when it opened.
struct OptionsApplied {
    Settings chosen;
    bool start_with_windows = false, start_with_windows_shown = false;
};
struct CursorToggled {
    bool on = false;
};
struct DelayToggled {
    bool on = false;
};
struct DelayChanged {
    int32_t seconds = 1;
};
struct SavedTo {
    std::wstring folder;
}; // the folder the user saved an image to

using Event =
    std::variant<TargetPressed, PointerOver, Released, DragCancelled, HookMove, HookRelease, HookFailed, TrayNotify,
                 CaptureKeyPressed, TimerFired, CommandChosen, RecopyClicked, GrabFinished, ImageEdited, Failure,
                 FirstShown, AnotherStart, CloseRequested, SessionEndQueried, SessionEnded, OptionsApplied,
                 CursorToggled, DelayToggled, DelayChanged, SavedTo, ImageDragged, RecentCaptureRestored>;
inline constexpr std::array<std::string_view, std::variant_size_v<Event>> kEventNames = {
    "TargetPressed",  "PointerOver",          "Released",       "DragCancelled",     "HookMove",
    "HookRelease",    "HookFailed",           "TrayNotify",     "CaptureKeyPressed", "TimerFired",
    "CommandChosen",  "RecopyClicked",        "GrabFinished",   "ImageEdited",       "Failure",
    "FirstShown",     "AnotherStart",         "CloseRequested", "SessionEndQueried", "SessionEnded",
    "OptionsApplied", "CursorToggled",        "DelayToggled",   "DelayChanged",      "SavedTo",
    "ImageDragged",   "RecentCaptureRestored"};
inline std::string_view NameOf(const Event& event) {
    return kEventNames[event.index()];
}

} // namespace kelpix::core
