// The program's own window messages, in one list. WM_HOOKMOUSE is the hook library's, declared with
// its interface (kelpix_hook.h), which the library is built from too.
#pragma once
#include <windows.h>

#include "kelpix_hook.h"

namespace kelpix {

// The shell's reports of the mouse over the notification-area icon; lParam is the mouse message.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;
// Posted by the main window to itself after its first show.
inline constexpr UINT WM_AFTERSHOW = WM_USER + 2;
// WM_HOOKMOUSE = WM_USER + 3: the hook library's report of a move or the release during a drag.
static_assert(WM_HOOKMOUSE == WM_USER + 3);

} // namespace kelpix
