// The hidden window that owns the notification-area icon. The icon shows the program's icon while
// the program is stored there, and the seconds still to wait during a delayed capture. The window
// is the icon's callback window: the shell's reports and the tray menu's commands go to the session.
#pragma once
#include "ui/menus.h"
#include "ui/session_port.h"
#include "ui/window_messages.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"

#include <shellapi.h>

namespace kelpix {

// The record goes to the shell in its second form (936 bytes on 32-bit, 952 on 64-bit): the long tip
// and the balloon members, but no GUID and no balloon icon.
inline constexpr DWORD kTrayIconDataSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(kTrayIconDataSize == (sizeof(void*) == 8 ? 952 : 936));

class TrayWindow : public Form {
public:
    explicit TrayWindow(SessionPort& session);
    ~TrayWindow() override;

    // core::kTrayNone removes the icon; core::kTrayDefault shows the program's icon, 1 to 99 the
    // countdown image. An add the shell refused leaves the icon absent; it is tried again at the
    // next change and when the notification area is made anew.
    void ShowIcon(int icon);
    // Whether the icon is in the notification area now.
    bool IconShown() const { return record_.hWnd != nullptr; }

    // Pops the tray menu up at the pointer and returns when it closes.
    void ShowMenu();
    HMENU Menu() const { return menu_; }
    // Makes the menu anew in the language shown now.
    void ShowTexts();

    // The message the shell sends every top-level window when it has made the notification area
    // (again, after Explorer restarted): every icon there is gone.
    static UINT TaskbarCreatedMessage();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HICON IconFor(int icon);
    // The countdown's images, made when first needed; false if they cannot be.
    bool LoadCountdownImages();

    SessionPort& session_;
    HMENU menu_ = nullptr;
    RecentCapturesMenu recentMenu_;
    ImageList countdownImages_; // index = number - 1
    Icon defaultIcon_;
    Icon countdownIcon_;       // the one handed to the shell last
    NOTIFYICONDATAW record_{}; // hWnd is set exactly while the icon is there
    int iconWanted_ = -1;      // what the icon is to show (core::kTrayNone: no icon)
};

} // namespace kelpix
