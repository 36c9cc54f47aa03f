// Figures for the Windows side, measured in one Wine session:
//   start-up: launch to main window shown, Kelpix.exe beside a bare Win32 window program;
//   grab: GrabTarget of a full-screen window (the part after the fixed 200 ms wait) beside a bare
//   BitBlt + SetClipboardData of the same size.
#include "main/kelpix_main.h"
#include "toolkit/application.h"

#include <algorithm>
#include <cstdio>
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
double StartupMs(const std::string& exe, const char* windowClass) {
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\"";
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

LRESULT CALLBACK FullScreenProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(1);
    }
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

int main() {
    const int runs = 9;
    std::vector<double> kelpix, bare;
    for (int i = 0; i < runs; ++i) {
        kelpix.push_back(StartupMs(Beside("..\\..\\..\\dist\\Kelpix.exe"), "TKelpix"));
        bare.push_back(StartupMs(Beside("bare_window.exe"), "BareWindow"));
    }
    double k = Median(kelpix), b = Median(bare);
    std::printf("start-up to main window: Kelpix %.1f ms, bare Win32 window %.1f ms, ratio %.2fx (median of %d)\n", k,
                b, k / b, runs);

    Application::Get().Initialize(GetModuleHandleA(nullptr));
    Kelpix = new TKelpix;
    Application::Get().SetMainForm(Kelpix);
    WNDCLASSA wc{};
    wc.lpfnWndProc = FullScreenProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "BenchFullScreen";
    RegisterClassA(&wc);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    HWND target = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchFullScreen", "", WS_POPUP | WS_VISIBLE, 0, 0, sw, sh,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    PumpFor(200);
    std::vector<double> grab, bareGrab;
    for (int i = 0; i < runs; ++i) {
        Kelpix->TargetWindow = target;
        double start = Now();
        Kelpix->GrabTarget();
        grab.push_back(Now() - start);
        PumpFor(250);  // the cooldown
        bareGrab.push_back(BareGrabMs(target));
        PumpFor(50);
    }
    double g = Median(grab), bg = Median(bareGrab);
    std::printf("grab %dx%d to clipboard (after the 200 ms wait): Kelpix %.2f ms, bare BitBlt + SetClipboardData "
                "%.2f ms, ratio %.2fx (median of %d)\n",
                sw, sh, g, bg, g / bg, runs);
    DestroyWindow(target);
    delete Kelpix;
    Kelpix = nullptr;
    Application::Get().Shutdown();
    return 0;
}
