// The hidden form that owns the notification-area icon. The icon shows the default picture while
// the program is stored in the notification area, and the seconds still to wait during a delayed
// capture. The form's window is the icon's callback window.
#pragma once
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"

#include <shellapi.h>

#include <memory>

namespace kelpix {

// The record goes to the shell in its 488-byte form: the long tip and the balloon members, but no
// GUID and no balloon icon.
inline constexpr DWORD kTrayIconDataSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(kTrayIconDataSize == 488);
inline constexpr UINT kTrayIconId = 1;

class TTaskForm : public Form {
public:
    TTaskForm();
    ~TTaskForm() override;

    // show: makes the icon present (adding it when absent) with the countdown image for `number`
    // (1 to 99), or with the default icon for any other number. !show: removes the icon if present.
    void UpdateTrayIcon(bool show, int number);

    std::unique_ptr<ImageView> Image1; // the default icon
    std::unique_ptr<ImageView> img_1;  // the countdown icon handed to the shell last
    ImageList ImageList1;              // the countdown images; index = number - 1
    // hWnd is set exactly while the icon is in the notification area.
    NOTIFYICONDATAA TrayIconData{};

private:
    HICON SelectTrayIcon(int number);

    Icon defaultIcon_;
    Icon countdownIcon_;
};

extern TTaskForm* TaskForm;

} // namespace kelpix
