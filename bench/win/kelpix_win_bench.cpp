// Figures for the Windows side, measured in one Wine session:
//   start-up: launch to main window shown, Kelpix.exe beside a bare Win32 window program, the same
//   with Kelpix's imports and manifest, and that again with Kelpix's menu bar and controls; each
//   start once the program before has gone, with the steps Kelpix and the bare programs note;
//   release to image on the clipboard: a release over a window that nothing of the program covered
//   (the grab at once, then the bitmap offered to the clipboard) beside a bare BitBlt +
//   SetClipboardData of the same size;
//   tracking: the pointer's window found and given to the session per mouse move within one
//   window, and per move onto another window (the frame's windows moved there), beside the frame the
//   program used to draw on the screen itself (four strips saved, painted black and put back, kept
//   here only as the yardstick);
//   print: a 1024x768 window printed by itself (PrintWindow) beside the screen copy of it;
//   idle: the CPU time a running Kelpix.exe takes over 10 s, and the timer messages an idle main
//   window gets;
//   clipboard: an image copied with "PNG" offered beside the bitmap alone, and the PNG rendered
//   when asked beside the PNG writer on the same pixels;
//   shape: the outputs of a 3840x2160 capture (bitmap, DIB and PNG rendered) with the window's
//   rounded corners or an elliptic region worked out and applied, beside the same without a shape;
//   markup editor: opening it on a 3840x2160 capture beside showing that capture in the main window
//   (each window shown from hidden and drawn),
//   the output of 20 marks beside one plain copy of the image, and one mouse move dragging a mark on
//   3840x2160 beside the same on 640x480;
//   automatic save: a 1024x768 capture saved into a folder where the pattern's first 2000 names are
//   taken, beside the same save into an empty folder;
//   command line: Kelpix.exe --capture of a 1024x768 window to PNG, from process start to exit, beside
//   the bare window's start-up plus the PNG encode of the same image;
//   handing over: Copy as File of a 3840x2160 desktop capture beside the plain PNG save of the same
//   image, and the memory 10 recent captures of it hold, with the time to keep one and bring it back.
#include "../screen_capture.h"
#include "core/png_writer.h"
#include "core/window_shape.h"
#include "app/program.h"
#include "services/auto_save.h"
#include "services/markup_pixels.h"
#include "services/clipboard_image.h"
#include "services/image_files.h"
#include "services/platform.h"
#include "services/recent_store.h"
#include "services/screen_grab.h"
#include "toolkit/application.h"

#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace kelpix;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string Beside(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// Milliseconds from CreateProcess to a visible window of the class, then closes the program.
double StartupMs(const std::string& exe, const char* windowClass, const char* arguments = "") {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\" " + arguments;
    Sleep(100); // the program before has gone, and the system has settled after it
    double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    HWND wnd = nullptr;
    while (Now() - start < 20000) {
        wnd = FindWindowA(windowClass, nullptr);
        if (wnd && IsWindowVisible(wnd)) break;
        Sleep(1);
    }
    double elapsed = Now() - start;
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return elapsed;
}

double FileTimeMs(const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

double ProcessCpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

// CPU milliseconds Kelpix.exe takes over `seconds` once its main window shows and it has settled.
double IdleCpuMs(const std::string& exe, int seconds) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForInputIdle(pi.hProcess, 20000);
    HWND wnd = nullptr;
    for (int i = 0; i < 2000 && !(wnd && IsWindowVisible(wnd)); ++i) {
        wnd = FindWindowA("TKelpix", nullptr);
        Sleep(10);
    }
    Sleep(1000);
    double before = ProcessCpuMs(pi.hProcess);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    double used = ProcessCpuMs(pi.hProcess) - before;
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return used;
}

// Handles this thread's messages for the time and counts the timer messages among them.
int TimerMessagesIn(DWORD ms) {
    int timers = 0;
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            timers += msg.message == WM_TIMER;
            DispatchMessageA(&msg);
        }
        Sleep(1);
    }
    return timers;
}

LRESULT CALLBACK FullScreenProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

// Paints two halves in two colours, on the screen and for PrintWindow.
LRESULT CALLBACK HalvesProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto paint = [w](HDC dc) {
        RECT r{};
        GetClientRect(w, &r);
        RECT left = r, right = r;
        left.right = right.left = r.right / 2;
        FillRect(dc, &left, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        FillRect(dc, &right, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    };
    switch (m) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        paint(BeginPaint(w, &ps));
        EndPaint(w, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wp));
        return 0;
    default:
        return DefWindowProcA(w, m, wp, lp);
    }
}

// The frame as the program used to draw it, straight on the screen: before each frame the screen
// pixels under its four 3-pixel strips are saved into bitmaps, then the strips are painted black;
// taking it off puts the saved pixels back. Here only as the yardstick for the frame's windows.
class StripFrameOnTheScreen {
public:
    void Draw(HWND window) {
        GetWindowRect(window, &framed_);
        const RECT& r = framed_;
        const int w = r.right - r.left, h = r.bottom - r.top;
        strips_[0] = {r.left, r.top - 1, w + 1, 3};
        strips_[1] = {r.left, r.bottom - 1, w + 1, 3};
        strips_[2] = {r.left - 1, r.top, 3, h + 1};
        strips_[3] = {r.right - 1, r.top, 3, h + 1};
        HDC screen = GetDC(nullptr);
        for (int i = 0; i < 4; ++i) {
            const Strip& s = strips_[i];
            if (!bitmaps_[i] || s.width > room_[i].cx || s.height > room_[i].cy) {
                if (bitmaps_[i]) DeleteObject(bitmaps_[i]);
                room_[i] = {std::max(s.width, GetSystemMetrics(SM_CXVIRTUALSCREEN) + 64),
                            std::max(s.height, GetSystemMetrics(SM_CYVIRTUALSCREEN) + 64)};
                bitmaps_[i] = CreateCompatibleBitmap(screen, room_[i].cx, room_[i].cy);
            }
            HDC saved = CreateCompatibleDC(screen);
            HGDIOBJ old = SelectObject(saved, bitmaps_[i]);
            BitBlt(saved, 0, 0, s.width, s.height, screen, s.x, s.y, SRCCOPY);
            SelectObject(saved, old);
            DeleteDC(saved);
        }
        for (const Strip& s : strips_)
            PatBlt(screen, s.x, s.y, s.width, s.height, BLACKNESS);
        ReleaseDC(nullptr, screen);
        shown_ = true;
    }
    void Erase() {
        if (!shown_) return;
        HDC screen = GetDC(nullptr);
        for (int i = 0; i < 4; ++i) {
            const Strip& s = strips_[i];
            HDC saved = CreateCompatibleDC(screen);
            HGDIOBJ old = SelectObject(saved, bitmaps_[i]);
            BitBlt(screen, s.x, s.y, s.width, s.height, saved, 0, 0, SRCCOPY);
            SelectObject(saved, old);
            DeleteDC(saved);
        }
        ReleaseDC(nullptr, screen);
        shown_ = false;
    }
    ~StripFrameOnTheScreen() {
        for (HBITMAP b : bitmaps_)
            if (b) DeleteObject(b);
    }

private:
    struct Strip {
        int x, y, width, height;
    };
    RECT framed_{};
    Strip strips_[4]{};
    HBITMAP bitmaps_[4]{};
    SIZE room_[4]{};
    bool shown_ = false;
};

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(1);
    }
}

// A screen-compatible bitmap of the size, filled with a pattern.
HBITMAP PatternBitmap(int w, int h) {
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    for (int y = 0; y < h; y += 16)
        for (int x = 0; x < w; x += 16) {
            RECT r{x, y, x + 16, y + 16};
            HBRUSH brush = CreateSolidBrush(RGB(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
            FillRect(mem, &r, brush);
            DeleteObject(brush);
        }
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return bmp;
}

// The bitmap alone on the clipboard, as every copy was made before "PNG" was offered.
double BitmapAloneMs(HWND owner, HBITMAP bitmap, int w, int h) {
    double start = Now();
    HDC screen = GetDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen, w, h);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, bitmap), oldTo = SelectObject(to, copy);
    BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        if (!SetClipboardData(CF_BITMAP, copy)) DeleteObject(copy);
        CloseClipboard();
    }
    return Now() - start;
}

// When the program last offered a bitmap to the clipboard: the end of a grab.
double g_bitmapOfferedAt = 0;
HANDLE WINAPI NotedSetClipboardData(UINT format, HANDLE data) {
    if (format == CF_BITMAP) g_bitmapOfferedAt = Now();
    return SetClipboardData(format, data);
}

double BareGrabMs(HWND target) {
    RECT r{};
    GetWindowRect(target, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    double start = Now();
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (OpenClipboard(Application::Get().Handle())) {
        EmptyClipboard();
        if (!SetClipboardData(CF_BITMAP, bmp)) DeleteObject(bmp);
        CloseClipboard();
    } else {
        DeleteObject(bmp);
    }
    return Now() - start;
}

} // namespace

// The steps Kelpix.exe noted in its start-up trace: name and milliseconds since its process was created.
std::vector<std::pair<std::string, double>> ReadTrace(const std::string& path) {
    std::vector<std::pair<std::string, double>> steps;
    FILE* in = std::fopen(path.c_str(), "r");
    if (!in) return steps;
    char line[256];
    while (std::fgets(line, sizeof line, in)) {
        std::string text = line;
        const size_t space = text.find_last_of(' ');
        if (space == std::string::npos) continue;
        steps.emplace_back(text.substr(0, space), std::atof(text.c_str() + space + 1));
    }
    std::fclose(in);
    return steps;
}

// The steps of one program's start-up, as medians over its runs.
struct StepTimes {
    std::vector<std::string> names;
    std::vector<std::vector<double>> times; // per step, ms since the step before

    void Add(const std::vector<std::pair<std::string, double>>& steps) {
        for (size_t j = 0; j < steps.size(); ++j) {
            if (j >= names.size()) {
                names.push_back(steps[j].first);
                times.emplace_back();
            }
            times[j].push_back(steps[j].second - (j ? steps[j - 1].second : 0.0));
        }
    }

    void Print(const char* program) const {
        std::printf("start-up steps of %s (median ms each, from process creation):", program);
        for (size_t j = 0; j < names.size(); ++j)
            std::printf("%s %s %.1f", j ? "," : "", j ? names[j].c_str() : "process start to WinMain",
                        Median(times[j]));
        std::printf("\n");
    }
};

SharedImage ImageOf(HBITMAP bitmap, SIZE size) {
    auto image = std::make_shared<CapturedImage>();
    image->bitmap.reset(bitmap);
    image->size = size;
    return image;
}

// Milliseconds for one automatic save of `image` into `folder` under the name "bench" (median of
// `runs`); each file written is removed again.
double AutoSaveMs(const CapturedImage& image, const std::wstring& folder, int runs) {
    core::Settings settings;
    settings.auto_save_folder = folder;
    settings.auto_save_name = L"bench";
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        const std::wstring written = SaveAutomatically(image, settings, 1);
        times.push_back(Now() - start);
        DeleteFileW(written.c_str());
    }
    return Median(times);
}

// A capture of this size as Kelpix keeps one, filled with a pattern.
SharedImage CaptureOf(int w, int h) {
    auto image = std::make_shared<CapturedImage>(BlankImage({w, h}));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<uint32_t*>(image->pixels)[static_cast<size_t>(y) * w + x] = (x * 7 ^ y * 13) * 0x10101u;
    return image;
}

// Milliseconds for one mouse move dragging a rectangle across the editor's image, painted.
double DragMoveMs(Program& program, int w, int h) {
    program.Main().ShowImage(CaptureOf(w, h));
    program.CarryOut({{core::Act::OpenEditor}});
    MarkupWindow& editor = *program.Editor();
    HWND canvas = editor.Canvas();
    const auto mouse = [&](UINT msg, int x, int y) {
        SendMessageW(canvas, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
        UpdateWindow(canvas);
    };
    MSG key{canvas, WM_KEYDOWN, 'R', 0, 0, {0, 0}};
    editor.PreTranslateMessage(key);
    mouse(WM_LBUTTONDOWN, 20, 20);
    mouse(WM_MOUSEMOVE, 30, 30); // the first mark: the view's copy of the image is made
    constexpr int kMoves = 200;
    const double start = Now();
    for (int i = 0; i < kMoves; ++i)
        mouse(WM_MOUSEMOVE, 40 + i % 150, 40 + i % 100);
    const double perMove = (Now() - start) / kMoves;
    mouse(WM_LBUTTONUP, 60, 60);
    editor.Finish();
    return perMove;
}

void PrintEditorFigures(Program& program, int runs) {
    const SharedImage large = CaptureOf(3840, 2160);
    // The main window as large as the editor opens: the work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    MoveWindow(program.Main().Handle(), work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
    std::vector<double> shown, opened;
    double first = 0;
    for (int i = 0; i <= runs; ++i) {
        program.Main().ShowWithTaskbarButton(false);
        PumpFor(20);
        double start = Now();
        program.Main().ShowImage(large);
        program.Main().ShowWithTaskbarButton(true);
        RedrawWindow(program.Main().Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (i > 0) shown.push_back(Now() - start);
        start = Now();
        program.CarryOut({{core::Act::OpenEditor}});
        RedrawWindow(program.Editor()->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        (i == 0 ? first : opened.emplace_back()) = Now() - start;
        program.Editor()->Finish();
        PumpFor(20);
    }
    const double o = Median(opened), s = Median(shown);
    std::printf("markup editor opened on 3840x2160: %.1f ms (the first time, window made: %.1f ms), the same image "
                "shown in the main window %.1f ms, ratio %.2fx (goal at most 1.5x; median of %d)\n",
                o, first, s, o / s, runs);

    // 20 marks of every kind over the image, then the output against one plain copy of its pixels.
    MarkupPixels pixels(large);
    core::MarkupDocument document(3840, 2160);
    const core::MarkupTool tools[] = {core::MarkupTool::Rectangle, core::MarkupTool::Arrow, core::MarkupTool::Highlight,
                                      core::MarkupTool::Redact, core::MarkupTool::Step};
    for (int i = 0; i < 20; ++i) {
        document.Handle(core::ToolChosen{tools[i % 5]});
        const core::Point from{100 + 180 * i, 100 + 90 * i}, to{from.x + 150, from.y + 80};
        document.Handle(core::PointerPressed{from});
        document.Handle(core::PointerReleased{to});
    }
    std::vector<double> output, copy;
    for (int i = 0; i < runs; ++i) {
        double start = Now();
        const CapturedImage marked = pixels.Output(document);
        output.push_back(Now() - start);
        start = Now();
        CapturedImage plain = BlankImage(large->size);
        std::memcpy(plain.pixels, large->pixels, size_t{3840} * 2160 * 4);
        copy.push_back(Now() - start);
    }
    std::printf("the output of 3840x2160 with %zu marks: %.1f ms, one plain copy of its pixels %.1f ms, ratio %.2fx "
                "(goal at most 3x; median of %d)\n",
                document.marks().size(), Median(output), Median(copy), Median(output) / Median(copy), runs);

    const double onLarge = DragMoveMs(program, 3840, 2160), onSmall = DragMoveMs(program, 640, 480);
    std::printf("one mouse move dragging a mark: on 3840x2160 %.3f ms, on 640x480 %.3f ms, ratio %.2fx (goal at most "
                "1.5x)\n",
                onLarge, onSmall, onLarge / onSmall);
}

// Milliseconds for the outputs of one capture that a paste may ask for, rendered: the bitmap, the
// DIB and "PNG"; with `facts`, the window's shape is worked out first and goes with them.
double CaptureOutputsMs(ClipboardImage& clipboard, const core::WindowShapeFacts* facts) {
    auto image = std::make_shared<CapturedImage>(BlankImage({3840, 2160}));
    std::memcpy(image->pixels, CaptureOf(3840, 2160)->pixels, size_t{3840} * 2160 * 4);
    image->dpi = 144;
    const double start = Now();
    if (facts) image->shapeMask = core::WindowShapeMask(*facts);
    clipboard.Copy(image);
    if (OpenClipboard(nullptr)) {
        for (UINT format : {UINT{CF_BITMAP}, UINT{CF_DIB}, ClipboardImage::PngFormat()})
            GetClipboardData(format);
        CloseClipboard();
    }
    return Now() - start;
}

void PrintShapeFigures(int runs) {
    // A 3840x2160 window on Windows 11 at 150 %: corners of 12 pixels. And the same window shaped by
    // an elliptic region, a rectangle for each of its rows.
    core::WindowShapeFacts rounded;
    rounded.area = rounded.visible = {0, 0, 3840, 2160};
    rounded.dpi = 144;
    rounded.build = 22631;
    rounded.composition = rounded.framed = true;
    core::WindowShapeFacts ellipse = rounded;
    ellipse.region.emplace();
    for (int y = 0; y < 2160; ++y) {
        const double dy = (y + 0.5 - 1080) / 1080, half = 1920 * std::sqrt(std::max(0.0, 1 - dy * dy));
        ellipse.region->push_back({static_cast<int32_t>(1920 - half), y, static_cast<int32_t>(1920 + half), y + 1});
    }
    ClipboardImage clipboard;
    std::vector<double> plain, corners, region;
    for (int i = 0; i < runs; ++i) {
        plain.push_back(CaptureOutputsMs(clipboard, nullptr));
        corners.push_back(CaptureOutputsMs(clipboard, &rounded));
        region.push_back(CaptureOutputsMs(clipboard, &ellipse));
    }
    const double p = Median(plain), c = Median(corners), r = Median(region);
    std::printf(
        "3840x2160 capture's outputs (bitmap, DIB, \"PNG\"): without the shape %.1f ms, with rounded corners "
        "%.1f ms, ratio %.2fx, with an elliptic region %.1f ms, ratio %.2fx (goal at most 1.1x; median of %d)\n",
        p, c, c / p, r, r / p, runs);
}

void PrintAutoSaveFigures(int runs) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring empty = std::wstring(temp) + L"kelpix-bench-empty\\",
                       full = std::wstring(temp) + L"kelpix-bench-full\\";
    CreateDirectoryW(empty.c_str(), nullptr);
    CreateDirectoryW(full.c_str(), nullptr);
    constexpr int kTaken = 2000;
    for (int n = 1; n <= kTaken; ++n) {
        const std::wstring name = full + (n == 1 ? L"bench.png" : L"bench (" + std::to_wstring(n) + L").png");
        CloseHandle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    const SharedImage image = ImageOf(PatternBitmap(1024, 768), {1024, 768});
    const double intoEmpty = AutoSaveMs(*image, empty, runs), intoFull = AutoSaveMs(*image, full, runs);
    std::printf("automatic save of 1024x768 as PNG: into a folder with the first %d names taken %.1f ms, into an empty "
                "folder %.1f ms, ratio %.2fx (goal at most 3x; median of %d)\n",
                kTaken, intoFull, intoEmpty, intoFull / intoEmpty, runs);
    for (int n = 1; n <= kTaken; ++n)
        DeleteFileW((full + (n == 1 ? L"bench.png" : L"bench (" + std::to_wstring(n) + L").png")).c_str());
    RemoveDirectoryW(full.c_str());
    RemoveDirectoryW(empty.c_str());
}

// A 3840x2160 capture of a desktop (bench/screen_capture.h) as Kelpix keeps one; a new image each
// time, so that no file written before is taken for its own.
SharedImage DesktopCapture() {
    static const core::PixelImage desktop = bench::MakeScreenCapture();
    auto image = std::make_shared<CapturedImage>(BlankImage({desktop.width, desktop.height}));
    const size_t stride = size_t{4} * static_cast<size_t>(desktop.width);
    for (int y = 0; y < desktop.height; ++y)
        std::memcpy(image->pixels + stride * static_cast<size_t>(y),
                    desktop.bits.data() + stride * static_cast<size_t>(desktop.height - 1 - y), stride);
    image->facts = CaptureFactsOf(nullptr);
    return image;
}

// The one file of the clipboard's file list, else empty.
std::wstring ClipboardFile() {
    std::wstring file;
    if (!OpenClipboard(nullptr)) return file;
    if (HANDLE list = GetClipboardData(CF_HDROP)) {
        const auto* files = static_cast<const DROPFILES*>(GlobalLock(list));
        file = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(files) + files->pFiles);
        GlobalUnlock(list);
    }
    CloseClipboard();
    return file;
}

// Copy as File, from the command to the file on the clipboard, beside the plain PNG save of the same
// image, one after the other in each run.
void PrintCopyAsFileFigures(Program& program, int runs) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring plainFile = std::wstring(temp) + L"kelpix-bench-plain.png";
    std::vector<double> copied, plain;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {
        const SharedImage image = DesktopCapture();
        program.Main().ShowImage(image);
        double start = Now();
        program.Send(core::CommandChosen{core::Command::CopyAsFile, core::kNoWindow, false, false, true});
        copied.push_back(Now() - start);
        const std::wstring file = ClipboardFile();
        failed += file.empty();
        DeleteFileW(file.c_str());
        start = Now();
        SaveImageFile(plainFile, ImageFormat::Png, *image);
        plain.push_back(Now() - start);
        DeleteFileW(plainFile.c_str());
    }
    const double c = Median(copied), p = Median(plain);
    std::printf("Copy as File of 3840x2160, the PNG written and on the clipboard: %.1f ms, the plain PNG save of the "
                "same image %.1f ms, ratio %.2fx (goal at most 1.1x; medians of %d%s)\n",
                c, p, c / p, runs, failed ? "; SOME COPIES GAVE NO FILE, THE FIGURE IS WRONG" : "");
}

// Ten captures of the desktop kept among the recent ones, each compressed before the next comes.
void PrintRecentCaptureFigures(int runs) {
    RecentStore store;
    const SharedImage image = DesktopCapture();
    std::vector<double> read, kept, restored;
    for (size_t i = 0; i < core::kRecentCaptureCount; ++i) {
        const double start = Now();
        store.Keep(image);
        read.push_back(Now() - start);
        while (store.Listed().size() <= i && Now() - start < 20000)
            Sleep(1);
        kept.push_back(Now() - start - read.back());
    }
    const std::vector<core::CaptureFacts> listed = store.Listed();
    for (int i = 0; i < runs && !listed.empty(); ++i) {
        const double start = Now();
        store.Restore(listed[static_cast<size_t>(i) % listed.size()].number);
        restored.push_back(Now() - start);
    }
    constexpr double kMiB = 1024.0 * 1024.0;
    const double count = static_cast<double>(std::max<size_t>(listed.size(), 1));
    const double held = static_cast<double>(store.BytesHeld()) / kMiB, raw = 3840.0 * 2160 * 4 / kMiB;
    std::printf("%zu recent captures of 3840x2160 kept: %.1f MiB in all (%.2f MiB each, %.1f %% of its %.1f MiB of "
                "pixels; the limit %zu MiB); keeping one takes the window's thread %.1f ms and the store's own %.1f "
                "ms more; one brought back %.1f ms (medians)\n",
                listed.size(), held, held / count, 100.0 * held / count / raw, raw, core::kRecentCaptureBytes >> 20,
                Median(read), Median(kept), restored.empty() ? 0.0 : Median(restored));
}

LRESULT CALLBACK PatternProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_PAINT) return DefWindowProcA(w, m, wp, lp);
    static const Bitmap pattern(PatternBitmap(1024, 768));
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    MemoryDc from(CreateCompatibleDC(dc));
    SelectGuard keep(from.get(), pattern.get());
    BitBlt(dc, 0, 0, 1024, 768, from.get(), 0, 0, SRCCOPY);
    EndPaint(w, &ps);
    return 0;
}

// Milliseconds from CreateProcess to the end of the program, handling this thread's messages
// meanwhile; the exit code in `exitCode`. What it prints goes into a pipe, as a script reads it.
double RunToExitMs(const std::string& exe, const std::string& arguments, DWORD& exitCode) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherited, 1 << 16)) return -1;
    const KernelHandle readEnd(reading), writeEnd(writing);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writing;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\" " + arguments;
    Sleep(100);
    const double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return -1;
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    const double elapsed = Now() - start;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return elapsed;
}

// A scripted capture of a 1024x768 window to PNG beside what it cannot do without: a bare program's
// start-up and the PNG encode of the same image, each measured between two captures, so that what
// else the machine does weighs on both alike.
void PrintCommandLineFigures(int runs) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchPattern";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchPattern", "pattern", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    PumpFor(300);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string out = std::string(temp) + "kelpix-bench-command-line.png";
    const std::string arguments =
        "--capture window=" + std::to_string(reinterpret_cast<uintptr_t>(window)) + " --out \"" + out + "\"";
    std::vector<double> run, bare, encode;
    int failed = 0;
    const std::string trace = Beside("command-line-trace.txt");
    SetEnvironmentVariableA("KELPIX_STARTUP_TRACE", trace.c_str());
    StepTimes steps;
    for (int i = 0; i < runs; ++i) {
        DeleteFileA(out.c_str());
        DeleteFileA(trace.c_str());
        DWORD exitCode = 1;
        run.push_back(RunToExitMs(Beside("..\\..\\..\\dist\\Kelpix.exe"), arguments, exitCode));
        failed += exitCode != 0;
        std::vector<std::pair<std::string, double>> noted = ReadTrace(trace);
        noted.emplace_back("ended", run.back());
        steps.Add(noted);
        bare.push_back(StartupMs(Beside("bare_window.exe"), "BareWindow"));
        const CapturedImage image = GrabWindow(window);
        const double start = Now();
        core::EncodePng(ReadImagePixels(image.bitmap.get()));
        encode.push_back(Now() - start);
    }
    SetEnvironmentVariableA("KELPIX_STARTUP_TRACE", nullptr);
    DeleteFileA(trace.c_str());
    DeleteFileA(out.c_str());
    DestroyWindow(window);
    const double r = Median(run), b = Median(bare), e = Median(encode);
    std::printf("command-line capture of 1024x768 to PNG, process start to exit: Kelpix %.1f ms, bare window start-up "
                "%.1f ms + PNG encode of the same image %.1f ms = %.1f ms, ratio %.2fx (goal at most 1.5x; medians of "
                "%d%s)\n",
                r, b, e, b + e, r / (b + e), runs, failed ? "; SOME RUNS FAILED, THE FIGURE IS WRONG" : "");
    steps.Print("the command-line capture");
}

int main() {
    const int runs = 9;
    std::vector<double> kelpix, bare, bareKind, bareShape;
    // Each run of Kelpix.exe and of the bare window with its imports notes its start-up steps; their
    // medians make the breakdowns.
    const std::string trace = Beside("startup-trace.txt");
    SetEnvironmentVariableA("KELPIX_STARTUP_TRACE", trace.c_str());
    StepTimes kelpixSteps, bareKindSteps, bareShapeSteps;
    for (int i = 0; i < runs; ++i) {
        DeleteFileA(trace.c_str());
        kelpix.push_back(StartupMs(Beside("..\\..\\..\\dist\\Kelpix.exe"), "TKelpix"));
        kelpixSteps.Add(ReadTrace(trace));
        bare.push_back(StartupMs(Beside("bare_window.exe"), "BareWindow"));
        DeleteFileA(trace.c_str());
        bareKind.push_back(StartupMs(Beside("bare_window_imports.exe"), "BareKelpixKind"));
        bareKindSteps.Add(ReadTrace(trace));
        DeleteFileA(trace.c_str());
        bareShape.push_back(StartupMs(Beside("bare_window_imports.exe"), "BareKelpixKind", "controls"));
        bareShapeSteps.Add(ReadTrace(trace));
    }
    SetEnvironmentVariableA("KELPIX_STARTUP_TRACE", nullptr);
    DeleteFileA(trace.c_str());
    double k = Median(kelpix), b = Median(bare), bk = Median(bareKind);
    std::printf("start-up to main window: Kelpix %.1f ms, bare Win32 window %.1f ms, ratio %.2fx; bare window with "
                "Kelpix's imports and manifest %.1f ms, ratio %.2fx (medians of %d)\n",
                k, b, k / b, bk, k / bk, runs);
    kelpixSteps.Print("Kelpix");
    bareKindSteps.Print("the bare window with Kelpix's imports");
    // Not a goal: what the system alone costs for a window like Kelpix's, with nothing of Kelpix's.
    const double bs = Median(bareShape);
    std::printf("the bare window with Kelpix's imports, menu bar and controls: %.1f ms, Kelpix's ratio to it %.2fx\n",
                bs, k / bs);
    bareShapeSteps.Print("the bare window with Kelpix's imports, menu bar and controls");
    PrintCommandLineFigures(runs);

    Application::Get().Initialize(GetModuleHandleA(nullptr));
    auto program = StartProgram();
    Platform().setClipboardData = &NotedSetClipboardData;
    // Gives the session the window under a screen point, as the main window does on each move.
    auto pointerAt = [&](int x, int y) { program->Send(core::PointerOver{IdOf(WindowFromPoint(POINT{x, y}))}); };
    WNDCLASSA wc{};
    wc.lpfnWndProc = FullScreenProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "BenchFullScreen";
    RegisterClassA(&wc);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    // The main window in the screen's right corner and the target beside it, clear of it and of the
    // screen's edges by more than the frame's width: the frame lies outside, and nothing covers it.
    RECT own{};
    GetWindowRect(program->Main().Handle(), &own);
    SetWindowPos(program->Main().Handle(), nullptr, sw - (own.right - own.left), 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int tw = sw - (own.right - own.left) - 24, th = sh - 24;
    HWND target = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchFullScreen", "", WS_POPUP | WS_VISIBLE, 12, 12, tw, th,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    PumpFor(200);
    std::vector<double> grab, bareGrab;
    int waited = 0; // releases that waited for a repaint after all: the figure would not be the grab's
    for (int i = 0; i < runs; ++i) {
        program->Send(core::TargetPressed{IdOf(target)});
        // The main window is aside and the frame lies outside the target: nothing to wait for.
        double start = Now();
        program->Send(core::Released{program->SceneAtRelease()});
        grab.push_back(g_bitmapOfferedAt - start);
        waited += program->TimerFor(core::SessionTimer::RepaintWait).Running();
        PumpFor(250); // the cooldown
        bareGrab.push_back(BareGrabMs(target));
        PumpFor(50);
    }
    double g = Median(grab), bg = Median(bareGrab);
    std::printf(
        "release to image on the clipboard, %dx%d, nothing covered: Kelpix %.2f ms, bare BitBlt + SetClipboardData "
        "%.2f ms, ratio %.2fx (goal at most 1.3x; median of %d%s)\n",
        tw, th, g, bg, g / bg, runs, waited ? "; SOME RELEASES WAITED, THE FIGURE IS WRONG" : "");
    {
        // The grab's steps one by one: the copy from the screen, the image shown, the clipboard.
        ClipboardImage clipboard;
        std::vector<double> copy, show, clip;
        for (int i = 0; i < runs; ++i) {
            double t0 = Now();
            CapturedImage shot = GrabWindow(target);
            double t1 = Now();
            program->Main().ShowImage(std::make_shared<const CapturedImage>(std::move(shot)));
            double t2 = Now();
            clipboard.Copy(program->Main().CurrentImage());
            double t3 = Now();
            copy.push_back(t1 - t0);
            show.push_back(t2 - t1);
            clip.push_back(t3 - t2);
            PumpFor(20);
        }
        std::printf("grab steps (median ms): the copy from the screen %.2f, showing the image %.2f, the clipboard "
                    "%.2f\n",
                    Median(copy), Median(show), Median(clip));
    }
    DestroyWindow(target);

    // Tracking over two windows side by side.
    HWND left = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchFullScreen", "", WS_POPUP | WS_VISIBLE, 0, 0, sw / 2, sh,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HWND right = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchFullScreen", "", WS_POPUP | WS_VISIBLE, sw / 2, 0, sw / 2, sh,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    PumpFor(200);
    const int moves = 2000, changes = 200;
    program->Send(core::TargetPressed{IdOf(left)});
    double start = Now();
    for (int i = 0; i < moves; ++i)
        pointerAt(10 + i % (sw / 2 - 20), 10 + i % (sh - 20));
    double perMove = (Now() - start) / moves;
    start = Now();
    for (int i = 0; i < changes; ++i)
        pointerAt(i % 2 ? sw / 4 : sw * 3 / 4, sh / 2);
    double perChange = (Now() - start) / changes;
    program->Send(core::DragCancelled{});
    PumpFor(100);
    // The yardstick: the same changes with the frame drawn on the screen as before.
    StripFrameOnTheScreen strips;
    start = Now();
    for (int i = 0; i < changes; ++i) {
        strips.Erase();
        strips.Draw(WindowFromPoint(POINT{i % 2 ? sw / 4 : sw * 3 / 4, sh / 2}));
    }
    double perStripChange = (Now() - start) / changes;
    strips.Erase();
    std::printf("tracking: %.4f ms per move within one window (%d moves)\n", perMove, moves);
    std::printf("one change of framed window (%dx%d windows, %d changes): frame windows %.3f ms, strips on the "
                "screen %.3f ms, ratio %.2fx (goal at most 0.5x)\n",
                sw / 2, sh, changes, perChange, perStripChange, perChange / perStripChange);
    DestroyWindow(left);
    DestroyWindow(right);

    // A 1024x768 window printed by itself, beside the screen copy of it.
    WNDCLASSA halves{};
    halves.lpfnWndProc = HalvesProc;
    halves.hInstance = wc.hInstance;
    halves.lpszClassName = "BenchHalves";
    RegisterClassA(&halves);
    HWND printed = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchHalves", "", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    PumpFor(200);
    std::vector<double> print, copy;
    for (int i = 0; i < runs; ++i) {
        double at = Now();
        CapturedImage p = GrabWindow(printed, {.printed = true});
        print.push_back(Now() - at);
        at = Now();
        CapturedImage c = GrabWindow(printed);
        copy.push_back(Now() - at);
        PumpFor(20);
    }
    double pw = Median(print), sc = Median(copy);
    std::printf("grab of a 1024x768 window: printed by itself %.2f ms, screen copy %.2f ms, ratio %.2fx (median of "
                "%d)\n",
                pw, sc, pw / sc, runs);
    DestroyWindow(printed);

    program->Main().ShowWithTaskbarButton(true);
    PumpFor(500); // any cooldown from above runs out
    int timers = TimerMessagesIn(3000);
    std::printf("idle main window: %d timer messages in 3 s, cooldown timer %s, countdown timer %s\n", timers,
                program->TimerFor(core::SessionTimer::Cooldown).Running() ? "running" : "stopped",
                program->TimerFor(core::SessionTimer::Countdown).Running() ? "running" : "stopped");
    double idle = IdleCpuMs(Beside("..\\..\\..\\dist\\Kelpix.exe"), 10);
    std::printf("idle Kelpix.exe: %.1f ms of CPU time over 10 s\n", idle);

    {
        // The copy of a 1024x768 image, and the PNG of a 3840x2160 one rendered as a paste asks.
        ClipboardImage clipboard;
        std::vector<double> offered, alone;
        const SharedImage image = ImageOf(PatternBitmap(1024, 768), {1024, 768});
        for (int i = 0; i < runs; ++i) {
            double start = Now();
            clipboard.Copy(image);
            offered.push_back(Now() - start);
            alone.push_back(BitmapAloneMs(Application::Get().Handle(), image->bitmap.get(), 1024, 768));
        }
        double o = Median(offered), a = Median(alone);
        std::printf(
            "copy of 1024x768 to the clipboard: bitmap with \"PNG\" offered %.2f ms, bitmap alone %.2f ms, ratio "
            "%.2fx (median of %d)\n",
            o, a, o / a, runs);
        const SharedImage large = ImageOf(PatternBitmap(3840, 2160), {3840, 2160});
        std::vector<double> renders, writers;
        size_t pngBytes = 0, written = 0;
        for (int i = 0; i < runs; ++i) {
            clipboard.Copy(large);
            double start = Now();
            if (OpenClipboard(nullptr)) {
                if (HANDLE png = GetClipboardData(ClipboardImage::PngFormat())) pngBytes = GlobalSize(png);
                CloseClipboard();
            }
            renders.push_back(Now() - start);
            start = Now();
            written = core::EncodePng(ReadImagePixels(large->bitmap.get())).size();
            writers.push_back(Now() - start);
        }
        const double render = Median(renders), writer = Median(writers);
        std::printf("\"PNG\" of 3840x2160 rendered when asked: %.1f ms (%zu bytes), the PNG writer on the same pixels "
                    "%.1f ms (%zu bytes), ratio %.2fx (median of %d)\n",
                    render, pngBytes, writer, written, render / writer, runs);
    }

    PrintEditorFigures(*program, runs);
    PrintShapeFigures(runs);
    PrintAutoSaveFigures(runs);
    PrintCopyAsFileFigures(*program, 5);
    PrintRecentCaptureFigures(runs);

    program.reset();
    Application::Get().Shutdown();
    return 0;
}
