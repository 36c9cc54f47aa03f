// The main window's menu bar, its context menu, the tray menu and the keyboard shortcuts, all
// giving the same command ids (core::Command) for the same commands.
#pragma once
#include <windows.h>

#include "core/commands.h"

namespace kelpix {

struct MainMenus {
    HMENU bar = nullptr;     // goes with the window it is given to
    HMENU context = nullptr; // destroyed by the owner
    HACCEL shortcuts = nullptr;
};

MainMenus CreateMainMenus();
// The notification-area icon's menu; destroyed by the owner.
HMENU CreateTrayMenu();

inline WORD MenuId(core::Command command) {
    return static_cast<WORD>(command);
}

} // namespace kelpix
