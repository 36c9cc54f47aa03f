// The bare window again, as a program of Kelpix's kind: the same libraries imported at start, the
// same manifest (common controls 6, DPI awareness), common controls set up. What start-up costs a
// program like this before it does anything of its own. It notes its steps as Kelpix.exe does.
// With "controls" on its command line, the window also has what Kelpix's main window has at start
// (a menu bar of four menus; a framed box with a picture, a panel with an icon, three buttons and an
// up-down control, in the form's font): what the system costs for that window alone.
#include "app/startup_trace.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <initializer_list>

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

static HMENU MenuBar() {
    HMENU bar = CreateMenu();
    for (const wchar_t* title : {L"&File", L"&View", L"&Tools", L"&Help"}) {
        HMENU menu = CreatePopupMenu();
        for (UINT id = 1; id <= 4; ++id)
            AppendMenuW(menu, MF_STRING, id, L"&Item");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), title);
    }
    return bar;
}

static void AddControls(HWND wnd, HINSTANCE instance) {
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
    auto child = [&](HWND parent, DWORD exStyle, const wchar_t* cls, DWORD style, int x, int y, int w, int h) {
        HWND made = CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                                    instance, nullptr);
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return made;
    };
    HWND box = child(wnd, WS_EX_CLIENTEDGE, L"STATIC", WS_TABSTOP, 89, 2, 205, 124);
    child(box, 0, L"STATIC", 0, 0, 0, 81, 49);
    HWND panel = child(wnd, 0, L"STATIC", SS_SUNKEN | WS_TABSTOP, 8, 11, 72, 38);
    child(panel, 0, L"STATIC", SS_ICON, 20, 2, 32, 32);
    child(wnd, 0, L"BUTTON", 0, 0, 56, 65, 22);
    child(wnd, 0, UPDOWN_CLASSW, WS_TABSTOP, 65, 54, 17, 24);
    child(wnd, 0, L"BUTTON", 0, 0, 80, 81, 22);
    child(wnd, 0, L"BUTTON", 0, 0, 104, 81, 22);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
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
    const bool controls = commandLine && std::strstr(commandLine, "controls");
    HWND wnd = CreateWindowW(L"BareKelpixKind", L"bare", WS_OVERLAPPEDWINDOW, 248, 127, 302, 196, nullptr,
                             controls ? MenuBar() : nullptr, instance, nullptr);
    if (controls) AddControls(wnd, instance);
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
