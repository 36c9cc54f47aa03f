// The program's commands, one id each, shared by the menus, the tray menu and the keyboard shortcuts.
#pragma once

#include <cstdint>

namespace kelpix::core {

// The numbers are the menu item ids.
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
    EditImage,
    CopyAsFile,
    // The recent captures' submenu lists its items from here on: RecentCapture + i is its i'th item,
    // i below core::kRecentCaptureCount.
    RecentCapture = 120,
};

} // namespace kelpix::core
