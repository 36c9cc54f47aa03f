// The hidden form that owns the notification-area icon. The icon shows the default picture while
// the program is stored in the notification area, and the seconds still to wait during a delayed
// capture. The form's window is the icon's callback window.
#pragma once
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"
#include "toolkit/timer.h"

#include "core/tray_click.h"

#include <shellapi.h>

#include <memory>

namespace kelpix {

// The record goes to the shell in its second form (488 bytes on 32-bit, 504 on 64-bit): the long tip
// and the balloon members, but no GUID and no balloon icon.
inline constexpr DWORD kTrayIconDataSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(kTrayIconDataSize == (sizeof(void*) == 8 ? 504 : 488));
inline constexpr UINT kTrayIconId = 1;

// The tray menu's commands.
enum TrayCommandId : WORD {
    ID_TRAY_N2 = 200, // show Kelpix
    ID_TRAY_N1,       // options
    ID_TRAY_N3,       // exit
};

class TTaskForm : public Form {
public:
    TTaskForm();
    ~TTaskForm() override;

    // show: makes the icon present (adding it when absent) with the countdown image for `number`
    // (1 to 99), or with the default icon for any other number. !show: removes the icon if present.
    // An add the shell refused leaves the icon absent; it is tried again at the next update and
    // when the notification area is made anew.
    void UpdateTrayIcon(bool show, int number);

    // The shell's report of mouse activity over the icon (WM_TRAYNOTIFY; lParam is the mouse message).
    void HandleTrayNotify(WPARAM wParam, LPARAM lParam);
    // Forgets a pending press or double click and stops DragTimer.
    void ResetClickState();
    void DragTimerTimer();
    // Pops the tray menu up at the pointer and returns when it closes.
    void ShowTrayMenu();
    void N1Click(); // options
    void N2Click(); // show Kelpix
    void N3Click(); // exit

    // The left button went down on the icon, and neither DragTimer's period nor a reset has passed since.
    bool LeftPressed() const { return clickState_.left_pressed(); }
    // A double click on the icon was reported; its release is awaited.
    bool DoubleClicked() const { return clickState_.double_clicked(); }

    // A movement over the icon within this time after a left press starts a target drag.
    Timer DragTimer{core::kDragTimerIntervalMs};
    HMENU PopupMenu1 = nullptr;
    std::unique_ptr<ImageView> Image1; // the default icon
    std::unique_ptr<ImageView> img_1;  // the countdown icon handed to the shell last
    ImageList ImageList1;              // the countdown images; index = number - 1
    // hWnd is set exactly while the icon is in the notification area.
    NOTIFYICONDATAA TrayIconData{};
    // The message the shell sends every top-level window when it has made the notification area
    // (again, after Explorer restarted): every icon there is gone.
    static UINT TaskbarCreatedMessage();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HICON SelectTrayIcon(int number);
    void Perform(const core::TrayActions& actions);

    core::TrayClickState clickState_;
    // What the icon should show: whether it is to be there at all, and its number.
    bool iconWanted_ = false;
    int iconNumber_ = 0;

    Icon defaultIcon_;
    Icon countdownIcon_;
};

extern TTaskForm* TaskForm;

} // namespace kelpix
