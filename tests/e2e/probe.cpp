// A small Windows console program the end-to-end tests use to look at and set up the desktop:
//   probe find CLASS [TITLE]         -> "hwnd visible left top right bottom" or "none"
//   probe child CLASS CHILD...       -> the same for the first CHILD inside CLASS (each further class
//                                       one level deeper), or "none"
//   probe count CLASS [TITLE]        -> how many visible top-level windows of the class there are
//   probe activate CLASS [TITLE]     -> brings the window to the foreground
//   probe close CLASS [TITLE]        -> asks the window to close
//   probe text CLASS [TITLE]         -> the window's text
//   probe clipboard FILE.ppm         -> writes the clipboard's CF_BITMAP as PPM, prints "W H FORMATS"
//   probe colour X Y W H RRGGBB      -> shows a window of one colour until its input closes
//   probe hold-clipboard MS          -> keeps the clipboard open for MS milliseconds or until its input closes
//   probe clear-clipboard            -> empties the clipboard
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

HWND Find(int argc, char** argv) { return FindWindowA(argv[2], argc > 3 ? argv[3] : nullptr); }

void PrintWindow(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    std::printf("%lu %d %ld %ld %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(wnd)),
                IsWindowVisible(wnd) ? 1 : 0, r.left, r.top, r.right, r.bottom);
}

int FindCommand(int argc, char** argv) {
    HWND wnd = Find(argc, argv);
    if (!wnd) {
        std::puts("none");
        return 1;
    }
    PrintWindow(wnd);
    return 0;
}

int ChildCommand(int argc, char** argv) {
    HWND wnd = FindWindowA(argv[2], nullptr);
    for (int i = 3; wnd && i < argc; ++i) wnd = FindWindowExA(wnd, nullptr, argv[i], nullptr);
    if (!wnd) {
        std::puts("none");
        return 1;
    }
    PrintWindow(wnd);
    return 0;
}

int CountCommand(int argc, char** argv) {
    int count = 0;
    for (HWND wnd = nullptr; (wnd = FindWindowExA(nullptr, wnd, argv[2], argc > 3 ? argv[3] : nullptr)) != nullptr;)
        if (IsWindowVisible(wnd)) ++count;
    std::printf("%d\n", count);
    return 0;
}

int ActivateCommand(int argc, char** argv) {
    HWND wnd = Find(argc, argv);
    return wnd && SetForegroundWindow(wnd) ? 0 : 1;
}

int CloseCommand(int argc, char** argv) {
    HWND wnd = Find(argc, argv);
    return wnd && PostMessageA(wnd, WM_CLOSE, 0, 0) ? 0 : 1;
}

int TextCommand(int argc, char** argv) {
    HWND wnd = Find(argc, argv);
    if (!wnd) return 1;
    char text[1024] = {};
    GetWindowTextA(wnd, text, sizeof text);
    std::fwrite(text, 1, std::strlen(text), stdout);
    std::puts("");
    return 0;
}

bool OpenClipboardPatiently() {
    // Wine's clipboard manager may have it open for a moment after each change.
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}

int ClipboardCommand(const char* path) {
    if (!OpenClipboardPatiently()) {
        std::puts("cannot open");
        return 2;
    }
    int formats = CountClipboardFormats();
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
        CloseClipboard();
        std::printf("0 0 %d\n", formats);
        return 0;
    }
    int w = info.bmWidth, h = info.bmHeight;
    std::vector<unsigned char> bgra(static_cast<size_t>(w) * h * 4);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bgra.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    CloseClipboard();
    FILE* f = std::fopen(path, "wb");
    if (!f) return 3;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        unsigned char rgb[3] = {bgra[i + 2], bgra[i + 1], bgra[i]};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
    std::printf("%d %d %d\n", w, h, formats);
    return 0;
}

COLORREF g_colour = 0;

LRESULT CALLBACK ColourProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(wnd, &r);
        HBRUSH brush = CreateSolidBrush(g_colour);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

DWORD WINAPI WaitForInputEnd(LPVOID thread) {
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
    }
    PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(thread)), WM_QUIT, 0, 0);
    return 0;
}

int ColourCommand(char** argv) {
    int x = std::atoi(argv[2]), y = std::atoi(argv[3]), w = std::atoi(argv[4]), h = std::atoi(argv[5]);
    unsigned long rgb = std::strtoul(argv[6], nullptr, 16);
    g_colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ColourProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "KelpixProbeColour";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, argv[6], WS_POPUP, x, y, w, h, nullptr, nullptr,
                               wc.hInstance, nullptr);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    UpdateWindow(wnd);
    std::printf("ready %lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(wnd)));
    std::fflush(stdout);
    CreateThread(nullptr, 0, WaitForInputEnd, reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(GetCurrentThreadId())),
                 0, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

DWORD WINAPI SignalInputEnd(LPVOID event) {
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
    }
    SetEvent(event);
    return 0;
}

int HoldClipboardCommand(const char* ms) {
    if (!OpenClipboardPatiently()) return 2;
    std::puts("held");
    std::fflush(stdout);
    HANDLE inputEnd = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, SignalInputEnd, inputEnd, 0, nullptr);
    WaitForSingleObject(inputEnd, static_cast<DWORD>(std::atoi(ms)));
    CloseClipboard();
    return 0;
}

int ClearClipboardCommand() {
    if (!OpenClipboardPatiently()) return 2;
    EmptyClipboard();
    CloseClipboard();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && !std::strcmp(argv[1], "find")) return FindCommand(argc, argv);
    if (argc >= 4 && !std::strcmp(argv[1], "child")) return ChildCommand(argc, argv);
    if (argc >= 3 && !std::strcmp(argv[1], "count")) return CountCommand(argc, argv);
    if (argc >= 3 && !std::strcmp(argv[1], "activate")) return ActivateCommand(argc, argv);
    if (argc >= 3 && !std::strcmp(argv[1], "close")) return CloseCommand(argc, argv);
    if (argc >= 3 && !std::strcmp(argv[1], "text")) return TextCommand(argc, argv);
    if (argc >= 3 && !std::strcmp(argv[1], "clipboard")) return ClipboardCommand(argv[2]);
    if (argc >= 7 && !std::strcmp(argv[1], "colour")) return ColourCommand(argv);
    if (argc >= 3 && !std::strcmp(argv[1], "hold-clipboard")) return HoldClipboardCommand(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "clear-clipboard")) return ClearClipboardCommand();
    std::fputs("usage: probe find|child|count|activate|close|text|clipboard|colour|hold-clipboard|clear-clipboard ...\n",
               stderr);
    return 64;
}
