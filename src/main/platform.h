// The few platform calls that tests count or fake. Each defaults to the real function.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

namespace kelpix {

struct PlatformCalls {
    BOOL(WINAPI* notifyIcon)(DWORD, PNOTIFYICONDATAA) = &Shell_NotifyIconA;
    LONG(WINAPI* installHook)(LONG) = nullptr;
    LONG(WINAPI* uninstallHook)() = nullptr;
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEA) = &GetSaveFileNameA;
    HANDLE(WINAPI* setClipboardData)(UINT, HANDLE) = &SetClipboardData;
    SHORT(WINAPI* getAsyncKeyState)(int) = &GetAsyncKeyState;
};

// The calls the program makes; tests replace entries and put them back.
PlatformCalls& Platform();

} // namespace kelpix
