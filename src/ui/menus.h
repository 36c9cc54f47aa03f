// The main window's menu bar, its context menu, the tray menu and the keyboard shortcuts, all
// giving the same command ids (core::Command) for the same commands; and the recent captures'
// submenu, which is filled each time it opens.
#pragma once
#include <windows.h>

#include "core/auto_save_names.h"
#include "core/commands.h"

#include <cstdint>
#include <optional>
#include <vector>

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

// The recent captures' submenu (in the File menu and the tray menu) as it was last filled: which
// capture each of its items stands for.
class RecentCapturesMenu {
public:
    // Fills `popup` when it is a recent captures' submenu (false for any other menu): the captures,
    // the newest first, core::Command::RecentCapture + i the i'th, or one greyed item for none.
    bool Fill(HMENU popup, const std::vector<core::CaptureFacts>& captures);
    // The number (core::CaptureFacts::number) of the capture whose item has this id, if one has.
    std::optional<uint32_t> NumberOf(WORD id) const;

private:
    std::vector<uint32_t> numbers_;
};

} // namespace kelpix
