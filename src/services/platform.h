// The few platform calls that tests count or fake. Each defaults to the real function; those of
// libraries the first window does not need are loaded when first called (services/late_library.h).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "core/rect.h"

#include <string>

namespace kelpix {

struct PlatformCalls {
    BOOL(WINAPI* notifyIcon)(DWORD, PNOTIFYICONDATAW) = nullptr;
    // The hook library's exports, from the library at hookLibrary (beside the program), loaded at
    // the first install; an install fails when it cannot be loaded.
    LONG(WINAPI* installHook)(LONG) = nullptr;
    LONG(WINAPI* uninstallHook)() = nullptr;
    std::wstring hookLibrary;
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEW) = nullptr;
    HANDLE(WINAPI* setClipboardData)(UINT, HANDLE) = &SetClipboardData;
    // How a written file takes its name.
    BOOL(WINAPI* replaceFile)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) = &ReplaceFileW;
    BOOL(WINAPI* moveFile)(LPCWSTR, LPCWSTR, DWORD) = &MoveFileExW;
    SHORT(WINAPI* getAsyncKeyState)(int) = &GetAsyncKeyState;
    // DwmGetWindowAttribute, where dwmapi.dll has it (loaded at run time); null elsewhere.
    HRESULT(WINAPI* windowAttribute)(HWND, DWORD, PVOID, DWORD) = nullptr;
    // DwmIsCompositionEnabled and DwmFlush, likewise (there is no compositor under Wine).
    HRESULT(WINAPI* compositionEnabled)(BOOL*) = nullptr;
    HRESULT(WINAPI* flushCompositor)() = nullptr;
    // The Windows build number, as the system itself reports it (not the compatibility layer's).
    uint32_t (*windowsBuild)() = nullptr;
};

// The calls the program makes; tests replace entries and put them back.
PlatformCalls& Platform();

// Where a window is seen on the screen. With desktop composition a top-level window's rectangle
// includes resize borders that are not drawn (7 pixels a side at 100 % on Windows 10 and 11), whose
// pixels belong to whatever lies behind: the visible bounds leave them out. Child windows, and
// systems without composition, have their window rectangle.
core::Rect VisibleBounds(HWND window);

// A rectangle of the system's as the program's core reads it.
constexpr core::Rect RectOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The rectangle of all monitors together, in screen pixels.
core::Rect VirtualScreen();

// Whether the desktop compositor runs: it keeps every window's picture, so that what one window
// uncovers of another shows again with its next frame, without a repaint by its program.
bool CompositorRuns();
// Waits for the compositor's next frame; nothing where none runs.
void WaitForCompositor();

// The primary (logical left) button is down now, whichever physical button that is.
bool PrimaryButtonDown();

} // namespace kelpix
