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

class TKelpix : public Form {
public:
    TKelpix();
    ~TKelpix() override;

    // The version for the caption: "major.minor" of the module's file version, or "(未定義)".
    static std::string GetVersionText(HMODULE module = nullptr);

    // Shows or hides the main window together with the taskbar button.
    void ShowMainWindow(bool visible);
    void Exit1Click();

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

    // Image output
    void Save1Click();
    // Puts the last image on the clipboard again; a sender (the menu command's id) flashes SpeedButton3 first.
    void N9Click(WORD sender = 0);
    void SpeedButton3Click();

    // Commands
    void ExecuteCommand(WORD id);

    // State
    HWND TargetWindow = nullptr;
    std::array<Bitmap, 4> EdgeStrips;  // top, bottom, left, right
    int DefaultClientHeight = 0;
    int DefaultClientWidth = 0;
    bool InTray = false;
    bool Exiting = false;
    bool FirstShowDone = false;
    bool CaptureBusy = false;
    int TrackState = -1;
    TOptionSettings OptionSettings;
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

    bool PreTranslateMessage(MSG& msg) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void LayoutControls();
    void DrawCursorOverlay(HDC imageDc, POINT pointer, POINT origin);

    HACCEL accelerators_ = nullptr;
    HICON targetIcon_ = nullptr;
};

// The program's forms, created at start-up.
extern TKelpix* Kelpix;

} // namespace kelpix
