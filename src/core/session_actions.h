// What the capture session asks the program to do: acts, one row each, and the timers it runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelpix::core {

// Windows are opaque numbers here; the program knows what they stand for.
using WindowId = uint64_t;
inline constexpr WindowId kNoWindow = 0;

// The program's timers, one row each: each is started with its period and stopped by an act.
enum class SessionTimer : uint8_t { Cooldown, Countdown, RepaintWait, DragWatch, TrayPress, RecopyFlash };
struct TimerRow {
    SessionTimer timer;
    std::string_view name;
    uint32_t period_ms;
};
inline constexpr std::array<TimerRow, 6> kSessionTimers = {{
    {SessionTimer::Cooldown, "Cooldown", 200},       // after a grab: no new capture until it fires
    {SessionTimer::Countdown, "Countdown", 1000},    // one tick a second during a delayed capture
    {SessionTimer::RepaintWait, "RepaintWait", 200}, // between hiding the main window and the grab
    {SessionTimer::DragWatch, "DragWatch", 100},     // a drag from the tray icon: is the button still down?
    {SessionTimer::TrayPress, "TrayPress", 600},     // a move over the icon this soon after a press drags
    {SessionTimer::RecopyFlash, "RecopyFlash", 100}, // how long the re-copy button shows pressed
}};
static_assert([] {
    for (size_t i = 0; i < kSessionTimers.size(); ++i)
        if (static_cast<size_t>(kSessionTimers[i].timer) != i) return false;
    return true;
}());
constexpr const TimerRow& RowOf(SessionTimer timer) {
    return kSessionTimers[static_cast<size_t>(timer)];
}

// What the notification area shows: no icon, the program's icon, or a countdown number 1..99.
inline constexpr int kTrayNone = -1;
inline constexpr int kTrayDefault = 0;

// The acts. Those that open a window with a message loop of its own (a menu, a dialog, a message
// box) are carried out once every queued event has been handled (see core/session_runner.h).
// clang-format off
enum class Act : uint8_t {
    DrawFrame, EraseFrame, ShowDragCursor, ShowNormalCursor, HideMainWindow, ShowMainWindow, RestoreMainWindow,
    BringModalToFront, CloseMainWindow, EndProgram, Grab, WaitForCompositor, CopyToClipboard, SaveAutomatically,
    SetTrayIcon, ShowSettings, WriteSettings, StartTimer, StopTimer, InstallHook, RemoveHook, PressRecopyButton,
    RestoreDefaultSize, FitToWindowBelow, ShowTranslucent, HoldShortcutKeys, SetStartWithWindows, ShowLanguage,
    OpenEditor, KeepRecentCapture, RestoreRecentCapture, ShowTrayMenu, OpenSaveDialog, OpenOptions, OpenHelp,
    DragImageOut, ShowMessage,
};
// clang-format on
struct ActRow {
    Act act;
    std::string_view name;
    bool opensOwnLoop;
};
inline constexpr std::array<ActRow, static_cast<size_t>(Act::ShowMessage) + 1> kActs = {{
    {Act::DrawFrame, "DrawFrame", false},           // window: the black frame round it (moved there in one step)
    {Act::EraseFrame, "EraseFrame", false},         // the frame goes
    {Act::ShowDragCursor, "ShowDragCursor", false}, // the target icon leaves its place and becomes the pointer
    {Act::ShowNormalCursor, "ShowNormalCursor", false},
    {Act::HideMainWindow, "HideMainWindow", false}, // the main window and its taskbar button
    {Act::ShowMainWindow, "ShowMainWindow", false},
    {Act::RestoreMainWindow, "RestoreMainWindow", false}, // shown, restored if minimised, brought to the front
    {Act::BringModalToFront, "BringModalToFront", false}, // a modal window is up: it comes to the front instead
    {Act::CloseMainWindow, "CloseMainWindow", false},     // ask the main window to close (the close rule applies)
    {Act::EndProgram, "EndProgram", false},
    {Act::Grab, "Grab", false},                           // window, grab; reported back with GrabFinished
    {Act::WaitForCompositor, "WaitForCompositor", false}, // the compositor shows its next frame
    {Act::CopyToClipboard, "CopyToClipboard", false},     // report_failure: told, else quiet; with_file: its file too
    {Act::SaveAutomatically, "SaveAutomatically", false}, // the last image, under the name its capture gives
    {Act::SetTrayIcon, "SetTrayIcon", false},             // tray_icon
    {Act::ShowSettings, "ShowSettings", false},           // the toggles show the settings
    {Act::WriteSettings, "WriteSettings", false},         // the settings file gets every setting
    {Act::StartTimer, "StartTimer", false},               // timer, with its period
    {Act::StopTimer, "StopTimer", false},                 // timer
    {Act::InstallHook, "InstallHook", false},             // for a drag from the tray icon; HookFailed reports
    {Act::RemoveHook, "RemoveHook", false},
    {Act::PressRecopyButton, "PressRecopyButton", false}, // on: down or up
    {Act::RestoreDefaultSize, "RestoreDefaultSize", false},
    {Act::FitToWindowBelow, "FitToWindowBelow", false},       // the main window takes the place of what lies below
    {Act::ShowTranslucent, "ShowTranslucent", false},         // on: the main window translucent or not
    {Act::HoldShortcutKeys, "HoldShortcutKeys", false},       // the keys of the settings; Failure reports a refusal
    {Act::SetStartWithWindows, "SetStartWithWindows", false}, // on: the Run value written or removed
    {Act::ShowLanguage, "ShowLanguage", false},               // the language of the settings, in every window
    {Act::OpenEditor, "OpenEditor", false},               // the markup editor on the last image (a window of its own)
    {Act::KeepRecentCapture, "KeepRecentCapture", false}, // the last image among the recent captures
    {Act::RestoreRecentCapture, "RestoreRecentCapture", false}, // capture_number; RecentCaptureRestored reports
    {Act::ShowTrayMenu, "ShowTrayMenu", true},
    {Act::OpenSaveDialog, "OpenSaveDialog", true},
    {Act::OpenOptions, "OpenOptions", true},
    {Act::OpenHelp, "OpenHelp", true},
    {Act::DragImageOut, "DragImageOut", true}, // the last image, with its file, to another program
    {Act::ShowMessage, "ShowMessage", true},   // message, text
}};
static_assert([] {
    for (size_t i = 0; i < kActs.size(); ++i)
        if (static_cast<size_t>(kActs[i].act) != i) return false;
    return true;
}());
constexpr const ActRow& RowOf(Act act) {
    return kActs[static_cast<size_t>(act)];
}

// What Act::Grab's grab holds.
inline constexpr int kGrabWithCursor = 1; // the cursor is drawn in
inline constexpr int kGrabPrinted = 2;    // printed by the window itself where it can be (else the screen copy)
inline constexpr int kGrabShaped = 4;     // the window's shape goes with the image (core/window_shape.h)

// The messages Act::ShowMessage shows.
enum class Message : uint8_t {
    HookInstallFailed,    // the hook for a drag from the tray icon could not be installed
    TrayDragsUnavailable, // drags from the tray icon cannot work in this run (said once)
    Failure,              // text: what failed, in the standard error box
    Warning,              // text: what the user should know
};

// Each field means one thing, and only the acts named beside it read it.
struct Action {
    Act act;
    WindowId window = kNoWindow;                 // DrawFrame, EraseFrame, Grab
    SessionTimer timer = SessionTimer::Cooldown; // StartTimer, StopTimer
    int tray_icon = kTrayNone;                   // SetTrayIcon
    int grab = 0;                                // Grab: kGrabWithCursor, kGrabPrinted, kGrabShaped
    bool report_failure = false;                 // CopyToClipboard
    bool with_file = false;                      // CopyToClipboard: the image's file beside its pixels
    uint32_t capture_number = 0;                 // RestoreRecentCapture
    bool on = false;                             // PressRecopyButton, ShowTranslucent, SetStartWithWindows
    Message message = Message::Failure;          // ShowMessage
    std::wstring text = {};                      // ShowMessage: Failure, Warning

    friend bool operator==(const Action&, const Action&) = default;
};
using Actions = std::vector<Action>;

} // namespace kelpix::core
