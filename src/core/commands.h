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
};

} // namespace kelpix::core
