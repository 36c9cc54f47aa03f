// Storing the main window in the notification area and bringing it back: by command, at start-up
// (KidoTask) and instead of closing (CloseTask).
#include "main/kelpix_main.h"
#include "toolkit/application.h"
#include "tray/task_form.h"

namespace kelpix {

void TKelpix::StoreInTray() {
    // No test first: storing again repeats the steps and still leaves one icon.
    InTray = true;
    ShowMainWindow(false);
    TaskForm->UpdateTrayIcon(true, 0);
}

void TKelpix::RestoreFromTray() {
    InTray = false;
    ShowMainWindow(true);
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    // Activation hands the keyboard focus to the control that had it last.
    SetForegroundWindow(Handle());
    SetActiveWindow(Handle());
    BringWindowToTop(Handle());
}

void TKelpix::FormShow() {
    if (FirstShowDone) return;
    // Posted, so the window is fully shown (and TaskForm exists) before it may go into the tray.
    PostMessageA(Handle(), WM_AFTERSHOW, 0, 0);
    FirstShowDone = true;
}

void TKelpix::HandleAfterShow() {
    if (OptionSettings.KidoTask) StoreInTray();
}

bool TKelpix::FormClose() {
    if (OptionSettings.CloseTask && !Exiting && !SessionEnding) {
        StoreInTray();
        return false;
    }
    return true;
}

} // namespace kelpix
