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
    TKelpix();
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
    void RemoveDragHook();
    // A capture starts: busy from now until its own cooldown ends.
    void BeginBusy();

    // Commands
    void ExecuteCommand(WORD id);

    // State
    HWND TargetWindow = nullptr;
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

    bool PreTranslateMessage(MSG& msg) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void LayoutControls();
    void DrawCursorOverlay(HDC imageDc, POINT pointer, POINT origin);
    void TargetControlMouse(Window& control, UINT msg, WPARAM keys, POINT pos);

    HACCEL accelerators_ = nullptr;
    HICON targetIcon_ = nullptr;
    Window* pressedControl_ = nullptr;  // Panel1 or Image4 while the left button is held on it
};

// The program's forms, created at start-up.
extern TKelpix* Kelpix;

} // namespace kelpix
