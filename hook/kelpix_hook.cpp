// A low-level mouse hook runs in the thread that installed it and sees the pointer over every
// window, so it can follow a drag that started on the notification-area icon. The exports keep the
// names programs have always imported, though what they install is a low-level mouse hook.
#define KELPIX_HOOK_BUILD
#include "kelpix_hook.h"

namespace {

HINSTANCE g_module = nullptr;
HHOOK g_hook = nullptr;
HANDLE g_block = nullptr;
const volatile DWORD* g_view = nullptr;

// The window the block names, if it is one of this process's own: the block's name is known to
// every program, and another program may have made it or may write into it.
HWND ReportWindow() {
    HWND named = g_view ? BlockValueToHandle(g_view[0]) : nullptr;
    DWORD process = 0;
    if (!named || !GetWindowThreadProcessId(named, &process) || process != GetCurrentProcessId()) return nullptr;
    return named;
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_MOUSEMOVE || wParam == WM_LBUTTONUP)) {
        if (HWND target = ReportWindow()) PostMessageA(target, WM_HOOKMOUSE, wParam, 0);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

void ReleaseBlock() {
    if (g_view) UnmapViewOfFile(const_cast<DWORD*>(g_view));
    if (g_block) CloseHandle(g_block);
    g_view = nullptr;
    g_block = nullptr;
}

} // namespace

KELPIX_HOOK_API LONG WINAPI InstallHook_CallWndProc(LONG) {
    if (g_hook) return 1;
    g_block = OpenFileMappingA(FILE_MAP_READ, FALSE, kHookBlockName);
    if (!g_block) return 0;
    g_view = static_cast<const DWORD*>(MapViewOfFile(g_block, FILE_MAP_READ, 0, 0, sizeof(DWORD)));
    if (!g_view) {
        ReleaseBlock();
        return 0;
    }
    g_hook = SetWindowsHookExA(WH_MOUSE_LL, MouseProc, g_module, 0);
    if (!g_hook) {
        ReleaseBlock();
        return 0;
    }
    return 1;
}

KELPIX_HOOK_API LONG WINAPI UnInstallHook_CallWndProc() {
    LONG removed = 0;
    if (g_hook) removed = UnhookWindowsHookEx(g_hook) ? 1 : 0;
    g_hook = nullptr;
    ReleaseBlock();
    return removed;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}
