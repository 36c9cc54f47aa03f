// The bare window again, as a program of Kelpix's kind: the same libraries imported at start, the
// same manifest (common controls 6, DPI awareness), common controls set up. What start-up costs a
// program like this before it does anything of its own. It notes its steps as Kelpix.exe does.
#include "app/startup_trace.h"

#include <windows.h>
#include <commctrl.h>

using kelpix::startup_trace::Mark;

static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

// One function of each library Kelpix.exe imports (the others it loads when first used), read in
// WinMain so that the linker keeps every import.
static const void* volatile kImports[] = {
    reinterpret_cast<const void*>(&GetDeviceCaps),
    reinterpret_cast<const void*>(&RegOpenKeyExW),
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Mark("WinMain");
    for (const void* volatile& f : kImports)
        if (!f) return 1;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BareKelpixKind";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowW(L"BareKelpixKind", L"bare", WS_OVERLAPPEDWINDOW, 248, 127, 302, 196, nullptr, nullptr,
                             instance, nullptr);
    Mark("window made");
    ShowWindow(wnd, SW_SHOW);
    Mark("window shown");
    kelpix::startup_trace::Finish();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
