// Finding the window a scripted capture names (Kelpix.exe --capture WHICH): the foreground window,
// the one under the pointer, or a top-level window picked by its caption, its program or its handle.
#pragma once
#include <windows.h>

#include "core/command_line.h"

#include <string_view>

namespace kelpix {

// The window `which` picks now, or null when none does.
//  - Active: the foreground window.
//  - UnderPointer: the window under the pointer, a control inside another program's window
//    included, as a drag picks it.
//  - TitleContains: the first visible top-level window, from the top of the screen's order down,
//    whose caption contains the text, ignoring case. A caption that also holds WHICH as written
//    is the command line's own echo (a console's title while the command runs: "cmd.exe -
//    Kelpix.exe --capture title=...") and is passed over, as is the console this program is
//    attached to.
//  - ProcessName, ProcessId: the main window of the process (of the first one in the screen's
//    order, when several run the program): its first visible top-level window that no other
//    window owns. A name is the executable's file name, ignoring case, with or without ".exe".
//  - Handle: that window, whatever it is, as long as it exists.
// A window the desktop compositor keeps out of sight (cloaked: on another virtual desktop, a
// suspended app's) is not visible.
HWND FindWindowFor(const core::WhichWindow& which);

// Whether `text` contains `piece`, ignoring case as file names do (the system's upper-case table).
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view piece);

} // namespace kelpix
