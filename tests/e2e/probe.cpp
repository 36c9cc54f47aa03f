// A small Windows console program the end-to-end tests use to look at and set up the desktop:
//   probe find CLASS [TITLE]         -> "hwnd visible left top right bottom" or "none" (a visible one first)
//   probe child CLASS CHILD...       -> the same for the first CHILD inside CLASS (each further class
//                                       one level deeper), or "none"
//   probe count CLASS [TITLE]        -> how many visible top-level windows of the class there are
//   probe activate CLASS [TITLE]     -> brings the window to the foreground
//   probe text CLASS [TITLE]         -> the window's text
//   probe clipboard FILE.ppm         -> writes the clipboard's CF_BITMAP as PPM, prints "W H FORMATS"
//   probe colour X Y W H RRGGBB [TITLE]
//                                    -> shows a window of one colour until its input closes, captioned
//                                       TITLE (in any script) or RRGGBB; prints "ready HWND PID"
//   probe pattern X Y W H            -> the same with a picture of gradients, stripes and fine detail
//   probe hold-clipboard MS          -> keeps the clipboard open for MS milliseconds or until its input closes
//   probe clear-clipboard            -> empties the clipboard
//   probe close CLASS [TITLE]        -> asks the window to close (posts WM_CLOSE)
//   probe end-session CLASS [TITLE]  -> ends the session for the window as a logoff does: prints the answer to
//                                       WM_QUERYENDSESSION, then sends WM_ENDSESSION (TRUE if the answer was)
//   probe drop-target X Y W H OUT    -> shows a window that takes a drop (OLE) until its input closes; prints
//                                       "ready HWND PID", then for each drop "dropped FILES PNG DIB PATH": how
//                                       many files its file list held, the bytes of its "PNG", the width x height
//                                       of its DIB (0 for what it lacked) and the first file (UTF-8); that file's
//                                       bytes go to OUT.file, the "PNG" to OUT.png
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The first visible window of the class (and title), else the first hidden one.
HWND Find(int argc, char** argv) {
    const char* title = argc > 3 ? argv[3] : nullptr;
    HWND first = FindWindowA(argv[2], title);
    for (HWND wnd = first; wnd; wnd = FindWindowExA(nullptr, wnd, argv[2], title))
        if (IsWindowVisible(wnd)) return wnd;
    return first;
}

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
    for (int i = 3; wnd && i < argc; ++i)
        wnd = FindWindowExA(wnd, nullptr, argv[i], nullptr);
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
bool g_pattern = false;
void (*g_onShown)(HWND) = nullptr; // for the window before it shows

// Gradients, lighter and darker in a checkerboard of 6-pixel squares, with a thin dark line every
// 11 pixels: slopes, flat areas and sharp edges, as window content has them.
COLORREF PatternPixel(int x, int y, int w, int h) {
    if (x % 11 == 3 || y % 11 == 7) return RGB(20, 30, 40);
    const int shade = (x / 6 + y / 6) % 2 ? 30 : -30;
    auto level = [&](int v) { return static_cast<BYTE>(std::clamp(40 + v + shade, 0, 255)); };
    return RGB(level(200 * x / w), level(200 * y / h), level(200 * (x + y) / (w + h)));
}

void PaintPattern(HDC dc, int w, int h) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = PatternPixel(x, y, w, h);
            pixels[static_cast<size_t>(y) * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
}

LRESULT CALLBACK ColourProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(wnd, &r);
        if (g_pattern) {
            PaintPattern(reinterpret_cast<HDC>(wParam), r.right, r.bottom);
            return 1;
        }
        HBRUSH brush = CreateSolidBrush(g_colour);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

DWORD WINAPI WaitForInputEnd(LPVOID thread) {
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, stdin)) {}
    PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(thread)), WM_QUIT, 0, 0);
    return 0;
}

// The argument at `index` as the command line gives it, in UTF-16.
std::wstring WideArgument(int index) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring argument = arguments && index < count ? arguments[index] : L"";
    LocalFree(arguments);
    return argument;
}

int ColourCommand(char** argv, const std::wstring& title = {}) {
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
    if (!title.empty()) SetWindowTextW(wnd, title.c_str());
    if (g_onShown) g_onShown(wnd);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    UpdateWindow(wnd);
    std::printf("ready %lu %lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(wnd)), GetCurrentProcessId());
    std::fflush(stdout);
    CreateThread(nullptr, 0, WaitForInputEnd, reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(GetCurrentThreadId())), 0,
                 nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

DWORD WINAPI SignalInputEnd(LPVOID event) {
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, stdin)) {}
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

int EndSessionCommand(int argc, char** argv) {
    HWND wnd = Find(argc, argv);
    if (!wnd) return 1;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(wnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer)) {
        std::puts("no answer");
        return 2;
    }
    std::printf("%lu\n", static_cast<unsigned long>(answer));
    std::fflush(stdout);
    SendMessageTimeoutA(wnd, WM_ENDSESSION, answer ? TRUE : FALSE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, nullptr);
    return 0;
}

// The bytes of a drop's format, empty when the drop has none.
std::string DroppedBytes(IDataObject* data, CLIPFORMAT format) {
    FORMATETC asked{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&asked, &medium))) return {};
    std::string bytes;
    if (const char* held = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
        bytes.assign(held, GlobalSize(medium.hGlobal));
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// Takes every drop as a copy, and tells what it held.
class DropTarget : public IDropTarget {
public:
    explicit DropTarget(std::string out) : out_(std::move(out)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        const std::string list = DroppedBytes(data, CF_HDROP);
        const std::string png = DroppedBytes(data, static_cast<CLIPFORMAT>(RegisterClipboardFormatA("PNG")));
        const std::string dib = DroppedBytes(data, CF_DIB);
        UINT files = 0;
        char firstPath[MAX_PATH * 3] = {};
        if (!list.empty()) {
            HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, list.size());
            std::memcpy(GlobalLock(copy), list.data(), list.size());
            GlobalUnlock(copy);
            files = DragQueryFileW(static_cast<HDROP>(copy), 0xFFFFFFFF, nullptr, 0);
            wchar_t first[MAX_PATH] = {};
            if (files > 0 && DragQueryFileW(static_cast<HDROP>(copy), 0, first, MAX_PATH)) {
                WriteFileBytes(out_ + ".file", ReadFileBytes(first));
                WideCharToMultiByte(CP_UTF8, 0, first, -1, firstPath, sizeof firstPath, nullptr, nullptr);
            }
            GlobalFree(copy);
        }
        WriteFileBytes(out_ + ".png", png);
        BITMAPINFOHEADER header{};
        if (dib.size() >= sizeof header) std::memcpy(&header, dib.data(), sizeof header);
        std::printf("dropped %u %zu %ldx%ld %s\n", files, png.size(), header.biWidth, header.biHeight, firstPath);
        std::fflush(stdout);
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }

private:
    std::string out_;
};

int DropTargetCommand(char** argv) {
    OleInitialize(nullptr);
    char* colourArgs[] = {argv[0], argv[1], argv[2], argv[3], argv[4], argv[5], const_cast<char*>("FFFFFF")};
    static DropTarget target(argv[6]);
    g_onShown = [](HWND wnd) { RegisterDragDrop(wnd, &target); };
    const int code = ColourCommand(colourArgs);
    OleUninitialize();
    return code;
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
    if (argc >= 7 && !std::strcmp(argv[1], "colour")) return ColourCommand(argv, argc > 7 ? WideArgument(7) : L"");
    if (argc >= 6 && !std::strcmp(argv[1], "pattern")) {
        g_pattern = true;
        char* colourArgs[] = {argv[0], argv[1], argv[2], argv[3], argv[4], argv[5], const_cast<char*>("000000")};
        return ColourCommand(colourArgs);
    }
    if (argc >= 3 && !std::strcmp(argv[1], "hold-clipboard")) return HoldClipboardCommand(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "clear-clipboard")) return ClearClipboardCommand();
    if (argc >= 3 && !std::strcmp(argv[1], "end-session")) return EndSessionCommand(argc, argv);
    if (argc >= 7 && !std::strcmp(argv[1], "drop-target")) return DropTargetCommand(argv);
    std::fputs("usage: probe find|child|count|activate|close|end-session|text|clipboard|colour|pattern|"
               "hold-clipboard|clear-clipboard|drop-target ...\n",
               stderr);
    return 64;
}
