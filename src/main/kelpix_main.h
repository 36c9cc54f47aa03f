// The main window: the target icon to drag, the capture toggles, the last image, the menus, and
// the capture state of the whole program.
#pragma once
#include "main/settings.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"
#include "toolkit/timer.h"

#include <array>
#include <memory>
#include <string>

namespace kelpix {

inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;
inline constexpr UINT WM_AFTERSHOW = WM_USER + 2;

// Menu and shortcut command identifiers (never IDOK or IDCANCEL, which dialog navigation sends).
enum CommandId : WORD {
    ID_SAVE1 = 100,
    ID_EXIT1,
    ID_MENUDEFAULT,
    ID_MEMUTYOKKA,
    ID_N7,
    ID_N10,
    ID_N9,
    ID_MEMUTASK,
    ID_MEMUOPTION,
    ID_README1,
    ID_POPDEFAULT,
    ID_POPTYOKKA,
    ID_N8,
    ID_N2,
    ID_POPTASK,
    ID_N5,
};

// A strip of screen pixels under one side of the highlight frame, in a bitmap compatible with the
// screen that is resized in place: the system bitmap behind it is made with room for a strip along
// the whole screen, and made anew only when a strip needs more.
class StripBitmap {
public:
    // A strip of the top or bottom side runs across (its width is the long side), of the left or
    // right side down.
    explicit StripBitmap(bool across) : across_(across) {}
    // Sets the size. False when the system refuses a bitmap that large; the strip is then empty.
    bool Resize(HDC screen, int width, int height);
    // Empties the strip (size 0 by 0), keeping its bitmap for the next use.
    void Clear() { size_ = {0, 0}; }
    void Reset();
    HBITMAP Handle() const { return bitmap_.get(); }
    SIZE Size() const { return size_; }
    bool Empty() const { return size_.cx <= 0 || size_.cy <= 0; }

private:
    bool across_;
    Bitmap bitmap_;
    SIZE capacity_{0, 0};
    SIZE size_{0, 0};
};

enum class MouseButton { Left, Right, Middle };

class TKelpix : public Form {
public:
    // iniPath: the settings file; the program's own is beside the executable.
    explicit TKelpix(std::string iniPath = DefaultIniPath());
    ~TKelpix() override;

    // The version for the caption: "major.minor" of the module's file version, or "(未定義)".
    static std::string GetVersionText(HMODULE module = nullptr);

    // Shows or hides the main window together with the taskbar button.
    void ShowMainWindow(bool visible);
    void Exit1Click();

    // Picking the target: press on the target icon, drag over the desktop, release.
    void Panel1MouseDown(Window& sender, MouseButton button, WPARAM shift, POINT at);
    void Panel1MouseMove(Window& sender, WPARAM shift, POINT at);
    void Panel1MouseUp(Window& sender, MouseButton button, WPARAM shift, POINT at);
    void BeginTargetDrag();
    void TrackTarget(int x, int y);
    void EndTargetDrag();
    // Ends a drag without a capture (the mouse capture was taken away).
    void CancelTargetDrag();
    void DrawHighlight(HWND window);
    void EraseHighlight(HWND window);

    // View commands and help
    void menuDefaultClick();
    void memuTyokkaClick();
    void AlphaClick();
    void ReadMe1Click();
    bool Translucent() const;

    // Capture
    void StartCapture();
    void GrabTarget();
    void CopyImageToClipboard();
    void StartCooldown();
    void Timer1Timer();
    void N10Click();
    // Drag from the notification-area icon: the hook library reports the moves and the left release
    // to the window whose handle stands in the shared block.
    void InstallDragHook();
    void RemoveDragHook();
    void HandleHookMouse(WPARAM wParam);
    // A drag from the notification-area icon: begun only while the button is still down, and ended
    // without a capture when the release cannot be reported (see DragWatchTimerTimer).
    void BeginTrayDrag();
    void CancelTrayDrag();
    // The primary (logical left) button is down, whichever physical button that is.
    static bool PrimaryButtonDown();
    // While a drag from the icon lasts: the button found up on two ticks in a row, with no release
    // reported meanwhile, ends the drag without a capture.
    void DragWatchTimerTimer();
    // A capture starts: busy from now until its own cooldown ends.
    void BeginBusy();

    // Delayed capture: one tick a second while TimeCaptureCount seconds are still to show.
    void TimeCaptureTimerTimer();
    void CancelDelayedCapture();

    // Notification area
    void StoreInTray();
    void RestoreFromTray();
    void memuTaskClick() { StoreInTray(); }
    // Each show of the main window; the first one posts WM_AFTERSHOW.
    void FormShow();
    void HandleAfterShow();
    // The close rule: false refuses the close, which has stored the program in the notification area.
    bool FormClose();
    // Settings file: the executable's path with ".ini", section "Option".
    static std::string DefaultIniPath();
    // Loads the file into OptionSettings; false when there is no file (nothing changes then).
    bool ReadSettings();
    // Writes all seven keys; a refused write raises "<path> に書き込めません" and keeps the settings.
    bool WriteSettings();

    // Capture toggles and the options command
    void ApplySettingsToControls();
    void UpDown1Click();
    void SpeedButton1Click(); // both toggle buttons
    void memuOptionClick();

    // Image output
    void Save1Click();
    // Puts the last image on the clipboard again; a sender (the menu command's id) flashes SpeedButton3 first.
    void N9Click(WORD sender = 0);
    void SpeedButton3Click();

    // Commands
    void ExecuteCommand(WORD id);

    // State
    HWND TargetWindow = nullptr;
    // How long the main window stays hidden before a grab, for other programs to repaint what it covered.
    DWORD RepaintWait = 200;
    std::array<StripBitmap, 4> EdgeStrips{StripBitmap{true}, StripBitmap{true}, StripBitmap{false},
                                          StripBitmap{false}};  // top, bottom, left, right
    int DefaultClientHeight = 0;
    int DefaultClientWidth = 0;
    bool InTray = false;
    bool Exiting = false;
    bool FirstShowDone = false;
    bool CaptureBusy = false;
    int TrackState = -1;
    TOptionSettings OptionSettings;
    int TimeCaptureCount = 0;  // seconds of the countdown still to show
    // The session is ending (logoff or shutdown): a close then ends the program whatever CloseTask says.
    bool SessionEnding = false;
    std::string IniPath;
    // What the save dialog keeps from one use to the next.
    struct SaveDialogState {
        DWORD filterIndex = 1;  // 1 bitmap, 2 JPEG
        std::string fileName;   // the name last chosen, shown pre-filled
    } SaveFileDlg;

    // Controls
    HWND Bevel1 = nullptr;
    std::unique_ptr<ScrollBox> ScrollBox1;
    std::unique_ptr<ImageView> Image1;
    std::unique_ptr<ImageView> Image3;
    std::unique_ptr<Panel> Panel1;
    std::unique_ptr<ImageView> Image4;
    std::unique_ptr<SpeedButton> SpeedButton1;
    HWND UpDown1 = nullptr;
    std::unique_ptr<SpeedButton> SpeedButton2;
    std::unique_ptr<SpeedButton> SpeedButton3;
    HMENU MainMenu1 = nullptr;
    HMENU PopupMenu1 = nullptr;
    Timer Timer1{500};
    Timer TimeCaptureTimer{1000};
    Timer DragWatchTimer{100};
    bool DragFromTray = false; // the drag in progress began on the notification-area icon

    bool PreTranslateMessage(MSG& msg) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool CanClose() override { return FormClose(); }

private:
    void CreateControls();
    void LayoutControls();
    void LoadTargetIcon();
    void DpiChanged() override;
    void DrawCursorOverlay(HDC imageDc, POINT pointer, POINT origin);
    int UpDown1Position() const;
    // The arrows were used (or a key moved them): a click when the position changed.
    void UpDown1Scrolled();

    HACCEL accelerators_ = nullptr;
    Icon targetIcon_;
    int upDownPosition_ = 1;    // UpDown1's position as last seen
    bool buttonSeenUp_ = false; // the watch found the button up on its last tick
    void TargetControlMouse(Window& control, UINT msg, WPARAM keys, POINT pos);

    Window* pressedControl_ = nullptr;  // Panel1 or Image4 while the left button is held on it
    RECT framedRect_{};                 // where the window was when its frame was drawn
    // The block the hook library reads the main window's handle from; made at the first drag from
    // the notification area and kept until the end.
    KernelHandle hookBlock_;
    MappedView hookBlockView_;
};

// The program's forms, created at start-up.
extern TKelpix* Kelpix;

} // namespace kelpix
