// The hook library's interface, as the program imports it.
#pragma once
#include <windows.h>

#ifdef KELPIX_HOOK_BUILD
#define KELPIX_HOOK_API extern "C" __declspec(dllexport)
#else
#define KELPIX_HOOK_API extern "C" __declspec(dllimport)
#endif

// Name and size of the shared block whose first four bytes hold the window that receives the reports.
inline constexpr const char kHookBlockName[] = "KelpixWnd";
inline constexpr DWORD kHookBlockSize = 1024;
// Window handles are 32-bit values on 64-bit Windows too: the block holds the low 32 bits, read
// back sign-extended as the system does.
inline DWORD HandleToBlockValue(HWND window) { return HandleToULong(window); }
inline HWND BlockValueToHandle(DWORD value) { return static_cast<HWND>(LongToHandle(static_cast<LONG>(value))); }
// Reports arrive as this message with wParam WM_MOUSEMOVE or WM_LBUTTONUP.
inline constexpr UINT WM_HOOKMOUSE = WM_USER + 3;

// Installs the mouse hook in the calling thread. Returns non-zero when reports will come.
KELPIX_HOOK_API LONG WINAPI InstallHook_CallWndProc(LONG reserved);
// Removes the hook; harmless when none is installed.
KELPIX_HOOK_API LONG WINAPI UnInstallHook_CallWndProc();
