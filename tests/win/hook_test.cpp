#include "test_support.h"

#include "kelpix_hook.h"
#include "toolkit/handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// Records the WM_HOOKMOUSE reports it receives.
struct ReportWindow {
    HWND wnd = nullptr;
    static std::vector<WPARAM>& Reports() {
        static std::vector<WPARAM> reports;
        return reports;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_HOOKMOUSE) Reports().push_back(wp);
        return DefWindowProcA(w, m, wp, lp);
    }
    ReportWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KelpixTestReports";
        RegisterClassA(&wc);
        wnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                              wc.hInstance, nullptr);
        Reports().clear();
    }
    ~ReportWindow() { DestroyWindow(wnd); }
};

void MoveMouse(int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void Button(DWORD flag) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flag;
    SendInput(1, &in, sizeof in);
}

} // namespace

TEST(HookLibrary, ReportsMovesAndTheReleaseToTheWindowInTheSharedBlock) {
    ReportWindow target;
    KernelHandle block(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHookBlockSize,
                                          kHookBlockName));
    ASSERT_TRUE(block);
    MappedView view(MapViewOfFile(block.get(), FILE_MAP_WRITE, 0, 0, kHookBlockSize));
    ASSERT_TRUE(view);
    *static_cast<DWORD*>(view.get()) = HandleToBlockValue(target.wnd);

    ASSERT_NE(InstallHook_CallWndProc(0), 0);
    // The input comes from another thread, as the user's mouse does; the hook runs in this one.
    std::thread([] {
        MoveMouse(400, 300);
        MoveMouse(420, 310);
        Button(MOUSEEVENTF_LEFTDOWN);
        Button(MOUSEEVENTF_LEFTUP);
    }).detach();
    auto& reports = ReportWindow::Reports();
    auto released = [&] { return std::find(reports.begin(), reports.end(), WM_LBUTTONUP) != reports.end(); };
    ASSERT_TRUE(PumpUntil(released, 3000));
    EXPECT_EQ(reports.front(), static_cast<WPARAM>(WM_MOUSEMOVE));
    // The press is not reported: only moves and the left release.
    for (WPARAM w : reports) EXPECT_TRUE(w == WM_MOUSEMOVE || w == WM_LBUTTONUP) << w;

    UnInstallHook_CallWndProc();
    reports.clear();
    std::thread([] { MoveMouse(500, 400); }).join();
    Pump(200);
    EXPECT_TRUE(reports.empty()) << "no reports after the hook is removed";
}

TEST(HookLibrary, HandlesRoundTripThroughTheBlockSignExtended) {
    // Handles are 32-bit values: the ones with the top bit set come back with every upper bit set.
    for (LONG value : {0x00010001L, 0x7FFFFFFEL, static_cast<LONG>(0x80000010), -2L}) {
        HWND handle = static_cast<HWND>(LongToHandle(value));
        EXPECT_EQ(BlockValueToHandle(HandleToBlockValue(handle)), handle) << std::hex << value;
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(BlockValueToHandle(static_cast<DWORD>(value))), LONG_PTR{value});
    }
}

TEST(HookLibrary, UninstallIsHarmlessWithoutAHookAndInstallNeedsTheBlock) {
    UnInstallHook_CallWndProc();
    UnInstallHook_CallWndProc();
    // Without the shared block there is no one to report to: the install fails.
    EXPECT_EQ(InstallHook_CallWndProc(0), 0);
    UnInstallHook_CallWndProc();
}
