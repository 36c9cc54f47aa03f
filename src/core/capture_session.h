// One run of the program apart from the platform: picking a target, the delayed and immediate
// captures, the cooldown after each, the notification area, closing and the session's end.
//
// What happens to the windows comes in as events, plain data (one struct each, below); the session's
// one entry, Handle, updates the state and returns what the program is to do now (actions), in
// order. Windows are opaque numbers here (kNoWindow for none); the caller carries the actions out and
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

#include "core/icons.h"
#include "core/rect.h"
#include "core/settings.h"
#include "core/texts.h"
#include "core/tray_click.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kelpix::core {

using WindowId = uint64_t;
inline constexpr WindowId kNoWindow = 0;

// Every command of the program, one id each, whichever menu or shortcut gives it. The numbers are
// the menu item ids.
enum class Command : uint16_t {
    Save = 100,
    Exit,
    DefaultSize,
    FitToWindowBelow,
    Translucent,
    CaptureOwnArea,
    Recopy,
    StoreInTray,
    Options,
    Help,
    ShowFromTray, // the tray menu's "show"
};

// The program's timers. Each is started with its period and stopped by the action that names it.
enum class SessionTimer : uint8_t {
    Cooldown,    // after a grab: no new capture until it fires
    Countdown,   // one tick a second during a delayed capture
    RepaintWait, // between hiding the main window and the grab
    DragWatch,   // during a drag from the notification-area icon: is the button still down?
    TrayPress,   // a movement over the icon within this time after a left press starts a drag
    RecopyFlash, // how long the re-copy button shows pressed when the command came from a menu
};
inline constexpr int kSessionTimerCount = 6;

inline constexpr uint32_t kCooldownMs = 200;
inline constexpr uint32_t kCountdownTickMs = 1000;
inline constexpr uint32_t kRepaintWaitMs = 200;
inline constexpr uint32_t kDragWatchMs = 100;
inline constexpr uint32_t kRecopyFlashMs = 100;

// What the notification area shows: no icon, the program's icon, or a countdown number.
inline constexpr int kTrayNone = -1;
inline constexpr int kTrayDefault = 0;

enum class Act : uint8_t {
    DrawFrame,        // window: the black frame round it (moved from the window it framed, if any)
    EraseFrame,       // window: the frame round it goes
    ShowDragCursor,   // the target icon leaves its place and becomes the pointer
    ShowNormalCursor, // the target icon is back in its place, the pointer as before
    HideMainWindow,   // the main window and its taskbar button
    ShowMainWindow,
    RestoreMainWindow, // shown, restored if minimised, and brought to the front
    BringModalToFront, // a modal window is up: it comes to the front instead
    CloseMainWindow,   // ask the main window to close (the close rule then applies)
    EndProgram,        // the close is allowed: the program ends
    Grab,              // window, grab: the grab; report back with GrabFinished
    CopyToClipboard,   // the last image; report_failure: a failure is told, else it is quiet
    SaveAutomatically, // window: the captured one; the last image goes to the automatic-save folder
    SetTrayIcon,       // tray_icon: kTrayNone, kTrayDefault or a countdown number 1..99
    ShowTrayMenu,
    ShowSettings,  // the toggles show the settings
    WriteSettings, // the settings file gets every setting
    StartTimer,    // timer, period_ms
    StopTimer,     // timer
    InstallHook,   // the mouse hook for a drag from the tray icon; report a failure with HookFailed
    RemoveHook,
    ShowHookFailure,          // says the hook could not be installed
    PressRecopyButton,        // pressed: down or up
    RunCommand,               // command: a command the session lets through to the window that does it
    WaitForCompositor,        // the desktop compositor shows its next frame (what was hidden is gone from it)
    ShowTrayDragsUnavailable, // says, once, that drags from the tray icon cannot work in this run
};

// What Act::Grab's grab holds.
inline constexpr int kGrabWithCursor = 1; // the cursor is drawn in
inline constexpr int kGrabPrinted = 2;    // printed by the window itself where it can be (else the screen copy)

// The screen at the moment of a release, as the windows report it: the target's visible bounds, the
// main window's while it is shown (else empty), the frame's sides that are shown, and whether the
// desktop compositor runs. The grab waits for other programs to repaint only what the program's own
// windows covered of the target.
struct ReleaseScene {
    Rect target;
    Rect main_window;
    std::array<Rect, 4> frame{};
    bool compositor = false;

    // Something of the program's own lay over part of the target.
    bool OwnWindowsCovered() const;
};

// Each field means one thing, and only the acts named beside it read it.
struct Action {
    Act act;
    WindowId window = kNoWindow;                 // DrawFrame, EraseFrame, Grab, SaveAutomatically
    SessionTimer timer = SessionTimer::Cooldown; // StartTimer, StopTimer
    uint32_t period_ms = 0;                      // StartTimer
    int tray_icon = kTrayNone;                   // SetTrayIcon
    int grab = 0;                                // Grab: kGrabWithCursor, kGrabPrinted
    bool report_failure = false;                 // CopyToClipboard
    bool pressed = false;                        // PressRecopyButton
    Command command = Command::Save;             // RunCommand

    friend bool operator==(const Action&, const Action&) = default;
};
using Actions = std::vector<Action>;

// --- Events, one struct each -----------------------------------------------------------------

// Picking a target with the mouse on the target icon.
struct TargetPressed {
    WindowId under_pointer = kNoWindow;
};
struct PointerOver {
    WindowId window = kNoWindow;
};
struct Released {
    ReleaseScene scene;
};
struct DragCancelled {}; // the mouse was taken away with the button held

// A drag from the tray icon, reported by the mouse hook.
struct HookMove {
    WindowId under_pointer = kNoWindow;
};
struct HookRelease {
    ReleaseScene scene;
};
// The hook could not be installed: the drag ends, and the user is told. no_block: the shared block
// that the hook reports through cannot be had; no drag from the tray icon can work in this run.
struct HookFailed {
    bool no_block = false;
};

// The shell's report of the mouse over the tray icon. primary_down: whether the primary button is
// down now; modal_up: a modal window is up.
struct TrayNotify {
    uint32_t mouse_message = 0;
    bool primary_down = false;
    bool modal_up = false;
};

// A global shortcut key: a capture of the window it picked (the window under the pointer or the
// foreground window), from wherever the user is, the main window shown or stored in the
// notification area. modal_up: a modal window of the program's is up; scene: as at a release (no
// frame is shown), for the wait before the grab.
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
// capture; modal_up: a modal window is up; compositor: the desktop compositor runs.
struct CommandChosen {
    Command command = Command::Save;
    WindowId own_window = kNoWindow;
    bool modal_up = false;
    bool compositor = false;
};
struct RecopyClicked {}; // a click on the re-copy button itself: the copy at once
// The grab asked for has been done; image: it gave a picture (the last image is now that).
struct GrabFinished {
    bool image = false;
};
struct FirstShown {}; // the main window was shown for the first time
// Kelpix was started again while it runs: the running one shows itself instead. modal_up: a modal
// window is up.
struct AnotherStart {
    bool modal_up = false;
};
struct CloseRequested {}; // close box, Alt+F4, a close message, or the exit command
// The system asks whether the session may end, then says whether it ends.
struct SessionEndQueried {};
struct SessionEnded {
    bool ending = false;
};

// Settings.
struct OptionsApplied {
    Settings chosen; // everything but the save folder
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
    std::wstring folder; // the folder the user saved an image to
};

using Event = std::variant<TargetPressed, PointerOver, Released, DragCancelled, HookMove, HookRelease, HookFailed,
                           TrayNotify, CaptureKeyPressed, TimerFired, CommandChosen, RecopyClicked, GrabFinished,
                           FirstShown, CloseRequested, SessionEndQueried, SessionEnded, OptionsApplied, CursorToggled,
                           DelayToggled, DelayChanged, SavedTo, AnotherStart>;

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
    Actions Update(const FirstShown& event);
    Actions Update(const CloseRequested& event);
    Actions Update(const SessionEndQueried& event);
    Actions Update(const SessionEnded& event);
    Actions Update(const OptionsApplied& event);
    Actions Update(const CursorToggled& event);
    Actions Update(const DelayToggled& event);
    Actions Update(const DelayChanged& event);
    Actions Update(const SavedTo& event);
    Actions Update(const AnotherStart& event);

    void BeginDrag(Actions& out, Drag kind);
    // The drag is over: its watch stops, the pointer and the target icon are back.
    void EndDragCursor(Actions& out);
    void CancelDrag(Actions& out);
    // covered: the program's own windows covered part of the target, which must first be repainted.
    void StartCapture(Actions& out, bool covered, bool compositor);
    Action GrabAction() const;
    void StoreInTray(Actions& out);
    void RestoreFromTray(Actions& out, bool modal_up);
    void CancelTrayDrag(Actions& out);
    void CancelCountdown(Actions& out);
    void SettingsChanged(Actions& out, bool always_write);

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
    bool tray_drags_unavailable_ = false; // told once; a drag from the tray icon starts no more
    int countdown_ = 0;                   // seconds still to show
    TrayClickState tray_clicks_;
};

} // namespace kelpix::core
